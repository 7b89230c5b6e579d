#include "core/SHA1Hash.h"

#include "core/ScopedHandle.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace
{
std::uint32_t RotateLeft(std::uint32_t value, int bits)
{
    return (value << bits) | (value >> (32 - bits));
}

std::uint32_t ReadBigEndian(const unsigned char* bytes)
{
    return (static_cast<std::uint32_t>(bytes[0]) << 24) | (static_cast<std::uint32_t>(bytes[1]) << 16) |
           (static_cast<std::uint32_t>(bytes[2]) << 8) | bytes[3];
}
} // namespace

CSHA1Hash::CSHA1Hash()
{
    std::memset(m_Digest, 0, sizeof(m_Digest));
    Reset();
}

CSHA1Hash::~CSHA1Hash()
{
    Reset();
}

void CSHA1Hash::Reset()
{
    m_State[0] = 0x67452301u;
    m_State[1] = 0xEFCDAB89u;
    m_State[2] = 0x98BADCFEu;
    m_State[3] = 0x10325476u;
    m_State[4] = 0xC3D2E1F0u;
    m_Count[0] = 0;
    m_Count[1] = 0;
    std::memset(m_Buffer, 0, sizeof(m_Buffer));
}

void CSHA1Hash::Transform(const unsigned char block[64])
{
    std::uint32_t w[80];
    for (int t = 0; t < 16; ++t)
        w[t] = ReadBigEndian(block + 4 * t);
    for (int t = 16; t < 80; ++t)
        w[t] = RotateLeft(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);

    std::uint32_t a = m_State[0], b = m_State[1], c = m_State[2], d = m_State[3], e = m_State[4];
    for (int t = 0; t < 80; ++t)
    {
        std::uint32_t f;
        std::uint32_t k;
        if (t < 20)
        {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        }
        else if (t < 40)
        {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        }
        else if (t < 60)
        {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        }
        else
        {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        const std::uint32_t temp = RotateLeft(a, 5) + f + e + w[t] + k;
        e = d;
        d = c;
        c = RotateLeft(b, 30);
        b = a;
        a = temp;
    }

    m_State[0] += a;
    m_State[1] += b;
    m_State[2] += c;
    m_State[3] += d;
    m_State[4] += e;
}

void CSHA1Hash::Update(const unsigned char* data, std::uint32_t length)
{
    std::uint32_t used = (m_Count[0] >> 3) & 63;

    const std::uint32_t lowBits = length << 3;
    m_Count[0] += lowBits;
    if (m_Count[0] < lowBits)
        ++m_Count[1];
    m_Count[1] += length >> 29;

    std::uint32_t i = 0;
    if (used + length >= 64)
    {
        i = 64 - used;
        std::memcpy(m_Buffer + used, data, i);
        Transform(m_Buffer);
        for (; i + 63 < length; i += 64)
            Transform(data + i);
        used = 0;
    }
    if (i < length)
        std::memcpy(m_Buffer + used, data + i, length - i);
}

void CSHA1Hash::Final()
{
    unsigned char lengthBytes[8];
    for (int i = 0; i < 8; ++i)
        lengthBytes[i] = static_cast<unsigned char>(m_Count[i < 4 ? 1 : 0] >> ((3 - (i & 3)) * 8));

    const unsigned char marker = 0x80;
    Update(&marker, 1);
    const unsigned char zero = 0;
    while (((m_Count[0] >> 3) & 63) != 56)
        Update(&zero, 1);
    Update(lengthBytes, 8);

    for (int i = 0; i < 20; ++i)
        m_Digest[i] = static_cast<unsigned char>(m_State[i / 4] >> ((3 - (i & 3)) * 8));

    std::memset(m_Buffer, 0, sizeof(m_Buffer));
    std::memset(m_State, 0, sizeof(m_State));
    m_Count[0] = 0;
    m_Count[1] = 0;
}

void CSHA1Hash::GetDigest(unsigned char digest[20]) const
{
    std::memcpy(digest, m_Digest, sizeof(m_Digest));
}

bool CSHA1Hash::HashFile(const char* path)
{
    CScopedFileHandle file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return false;

    unsigned char block[8000];
    for (;;)
    {
        DWORD read = 0;
        if (!::ReadFile(file.get(), block, sizeof(block), &read, nullptr))
            return false;
        if (read == 0)
            return true;
        Update(block, read);
    }
}

void CSHA1Hash::ReportHash(std::string& report, ReportType type) const
{
    report.clear();
    char number[8];
    for (int i = 0; i < 20; ++i)
    {
        std::snprintf(number, sizeof(number), type == REPORT_HEX ? "%02X" : "%u",
                      static_cast<unsigned>(m_Digest[i]));
        if (i > 0)
            report += ' ';
        report += number;
    }
}
