#include "core/WrenloDESImpl.h"

#include <cstdlib>
#include <cstring>

namespace
{
// The tables of FIPS 46-3, as bit numbers counted from 0.
const unsigned char kInitialPermutation[64] = {
    57, 49, 41, 33, 25, 17, 9, 1, 59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7,
    56, 48, 40, 32, 24, 16, 8, 0, 58, 50, 42, 34, 26, 18, 10, 2,
    60, 52, 44, 36, 28, 20, 12, 4, 62, 54, 46, 38, 30, 22, 14, 6,
};

const unsigned char kFinalPermutation[64] = {
    39, 7, 47, 15, 55, 23, 63, 31, 38, 6, 46, 14, 54, 22, 62, 30,
    37, 5, 45, 13, 53, 21, 61, 29, 36, 4, 44, 12, 52, 20, 60, 28,
    35, 3, 43, 11, 51, 19, 59, 27, 34, 2, 42, 10, 50, 18, 58, 26,
    33, 1, 41, 9, 49, 17, 57, 25, 32, 0, 40, 8, 48, 16, 56, 24,
};

const unsigned char kExpansion[48] = {
    31, 0, 1, 2, 3, 4, 3, 4, 5, 6, 7, 8, 7, 8, 9, 10,
    11, 12, 11, 12, 13, 14, 15, 16, 15, 16, 17, 18, 19, 20, 19, 20,
    21, 22, 23, 24, 23, 24, 25, 26, 27, 28, 27, 28, 29, 30, 31, 0,
};

const unsigned char kPermutationP[32] = {
    15, 6, 19, 20, 28, 11, 27, 16, 0, 14, 22, 25, 4, 17, 30, 9,
    1, 7, 23, 13, 31, 26, 2, 8, 18, 12, 29, 5, 21, 10, 3, 24,
};

const unsigned char kPermutedChoice1[56] = {
    56, 48, 40, 32, 24, 16, 8, 0, 57, 49, 41, 33, 25, 17, 9, 1,
    58, 50, 42, 34, 26, 18, 10, 2, 59, 51, 43, 35, 62, 54, 46, 38,
    30, 22, 14, 6, 61, 53, 45, 37, 29, 21, 13, 5, 60, 52, 44, 36,
    28, 20, 12, 4, 27, 19, 11, 3,
};

const unsigned char kPermutedChoice2[48] = {
    13, 16, 10, 23, 0, 4, 2, 27, 14, 5, 20, 9, 22, 18, 11, 3,
    25, 7, 15, 6, 26, 19, 12, 1, 40, 51, 30, 36, 46, 54, 29, 39,
    50, 44, 32, 47, 43, 48, 38, 55, 33, 52, 45, 41, 49, 35, 28, 31,
};

const unsigned char kSBoxes[8][64] = {
    {
        14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7,
        0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8,
        4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0,
        15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13,
    },
    {
        15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10,
        3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5,
        0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15,
        13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9,
    },
    {
        10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8,
        13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1,
        13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7,
        1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12,
    },
    {
        7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15,
        13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9,
        10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4,
        3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14,
    },
    {
        2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9,
        14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6,
        4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14,
        11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3,
    },
    {
        12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11,
        10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8,
        9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6,
        4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13,
    },
    {
        4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1,
        13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6,
        1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2,
        6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12,
    },
    {
        13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7,
        1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2,
        7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8,
        2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11,
    },
};

const int kLeftShifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

const int kBlockSize = 8;

int GetBit(const unsigned char* bytes, int bit)
{
    return (bytes[bit >> 3] >> (7 - (bit & 7))) & 1;
}

std::uint32_t Rotate28(std::uint32_t half, int shift)
{
    return ((half << shift) | (half >> (28 - shift))) & 0x0FFFFFFFu;
}

void XorBlock(unsigned char* block, const unsigned char* with)
{
    for (int i = 0; i < kBlockSize; ++i)
        block[i] ^= with[i];
}
} // namespace

WrenloDESImpl::WrenloDESImpl(const unsigned char key1[8], const unsigned char key2[8], bool pad, bool chain,
                             std::uint32_t passes)
    : m_Pad(pad), m_Chain(chain), m_Passes(passes)
{
    std::memcpy(m_Key1, key1, sizeof(m_Key1));
    std::memcpy(m_Key2, key2, sizeof(m_Key2));
}

WrenloDESImpl::~WrenloDESImpl()
{
    // The buffer held deciphered secrets.
    if (m_pOutput)
        std::memset(m_pOutput.get(), 0, m_OutputCapacity);
}

void WrenloDESImpl::Permute(const unsigned char* input, unsigned char* output, const unsigned char* table,
                            int outputBits)
{
    std::memset(output, 0, static_cast<size_t>((outputBits + 7) / 8));
    for (int i = 0; i < outputBits; ++i)
    {
        if (GetBit(input, table[i]))
            output[i >> 3] |= static_cast<unsigned char>(0x80 >> (i & 7));
    }
}

void WrenloDESImpl::PermutedChoice1(const unsigned char key[8], unsigned char output[7])
{
    Permute(key, output, kPermutedChoice1, 56);
}

void WrenloDESImpl::KeySchedule(const unsigned char key[8], RoundKeys& roundKeys)
{
    unsigned char choice1[7];
    PermutedChoice1(key, choice1);

    std::uint32_t c = 0;
    std::uint32_t d = 0;
    for (int bit = 0; bit < 28; ++bit)
    {
        c = (c << 1) | static_cast<std::uint32_t>(GetBit(choice1, bit));
        d = (d << 1) | static_cast<std::uint32_t>(GetBit(choice1, bit + 28));
    }

    for (int round = 0; round < 16; ++round)
    {
        c = Rotate28(c, kLeftShifts[round]);
        d = Rotate28(d, kLeftShifts[round]);
        const std::uint64_t cd = (static_cast<std::uint64_t>(c) << 28) | d;
        unsigned char joined[7];
        for (int i = 0; i < 7; ++i)
            joined[i] = static_cast<unsigned char>(cd >> (48 - 8 * i));
        Permute(joined, roundKeys.key[round], kPermutedChoice2, 48);
    }
}

void WrenloDESImpl::SBox(const unsigned char input[6], unsigned char output[4])
{
    std::memset(output, 0, 4);
    for (int box = 0; box < 8; ++box)
    {
        int six = 0;
        for (int bit = 0; bit < 6; ++bit)
            six = (six << 1) | GetBit(input, box * 6 + bit);
        const int row = ((six >> 4) & 0x02) | (six & 0x01);
        const int column = (six >> 1) & 0x0F;
        const unsigned char value = kSBoxes[box][row * 16 + column];
        output[box / 2] |= static_cast<unsigned char>(box % 2 == 0 ? value << 4 : value);
    }
}

void WrenloDESImpl::RoundFunction(const unsigned char right[4], const unsigned char roundKey[6],
                                  unsigned char result[4])
{
    unsigned char expanded[6];
    Permute(right, expanded, kExpansion, 48);
    for (int i = 0; i < 6; ++i)
        expanded[i] ^= roundKey[i];
    unsigned char substituted[4];
    SBox(expanded, substituted);
    Permute(substituted, result, kPermutationP, 32);
}

void WrenloDESImpl::ProcessBlock(const unsigned char input[8], unsigned char output[8],
                                 const RoundKeys& roundKeys, bool encipher)
{
    unsigned char block[8];
    Permute(input, block, kInitialPermutation, 64);
    unsigned char* left = block;
    unsigned char* right = block + 4;

    for (int round = 0; round < 16; ++round)
    {
        const unsigned char* key = roundKeys.key[encipher ? round : 15 - round];
        unsigned char f[4];
        RoundFunction(right, key, f);
        for (int i = 0; i < 4; ++i)
        {
            const unsigned char newRight = static_cast<unsigned char>(left[i] ^ f[i]);
            left[i] = right[i];
            right[i] = newRight;
        }
    }

    // The last round's halves go into the final permutation swapped.
    unsigned char preOutput[8];
    std::memcpy(preOutput, right, 4);
    std::memcpy(preOutput + 4, left, 4);
    Permute(preOutput, output, kFinalPermutation, 64);
}

void WrenloDESImpl::ProcessPasses(unsigned char block[8], const RoundKeys& keys1, const RoundKeys& keys2,
                                  bool encipher) const
{
    if (m_Passes <= 1)
    {
        ProcessBlock(block, block, keys1, encipher);
        return;
    }
    ProcessBlock(block, block, keys1, encipher);
    ProcessBlock(block, block, keys2, !encipher);
    ProcessBlock(block, block, keys1, encipher);
}

void WrenloDESImpl::Allocate(std::uint32_t length)
{
    if (!m_pOutput || m_OutputCapacity < length + 1)
    {
        m_pOutput.reset(new unsigned char[length + 1]);
        m_OutputCapacity = length + 1;
    }
    std::memset(m_pOutput.get(), 0, m_OutputCapacity);
    m_OutputLength = length;
}

bool WrenloDESImpl::Process(const unsigned char* input, std::uint32_t length, bool encipher)
{
    m_PaddingValid = false;
    RoundKeys keys1 = {};
    RoundKeys keys2 = {};
    KeySchedule(m_Key1, keys1);
    if (m_Passes > 1)
        KeySchedule(m_Key2, keys2);

    const std::uint32_t chainBytes = m_Chain ? kBlockSize : 0;

    if (encipher)
    {
        if (!m_Pad && length % kBlockSize != 0)
            return false;
        const std::uint32_t dataBytes = m_Pad ? (length / kBlockSize + 1) * kBlockSize : length;
        Allocate(chainBytes + dataBytes);
        unsigned char* out = m_pOutput.get();

        const unsigned char* previous = nullptr;
        if (m_Chain)
        {
            // bits 4 to 11 of each pseudo-random number
            for (int i = 0; i < kBlockSize; ++i)
                out[i] = static_cast<unsigned char>((std::rand() >> 4) & 0xFF);
            ProcessBlock(out, out, keys1, true);
            previous = out;
        }

        for (std::uint32_t offset = 0; offset < dataBytes; offset += kBlockSize)
        {
            unsigned char* block = out + chainBytes + offset;
            const std::uint32_t take = length - offset < kBlockSize ? length - offset : kBlockSize;
            std::memcpy(block, input + offset, take);
            std::memset(block + take, kBlockSize - static_cast<int>(take), kBlockSize - take);
            if (previous != nullptr)
                XorBlock(block, previous);
            ProcessPasses(block, keys1, keys2, true);
            if (m_Chain)
                previous = block;
        }
        return true;
    }

    const std::uint32_t wholeBytes = length / kBlockSize * kBlockSize;
    if (wholeBytes < chainBytes + kBlockSize)
        return false;
    const std::uint32_t dataBytes = wholeBytes - chainBytes;
    Allocate(dataBytes);
    unsigned char* out = m_pOutput.get();

    const unsigned char* previous = m_Chain ? input : nullptr;
    for (std::uint32_t offset = 0; offset < dataBytes; offset += kBlockSize)
    {
        const unsigned char* cipherBlock = input + chainBytes + offset;
        unsigned char* block = out + offset;
        std::memcpy(block, cipherBlock, kBlockSize);
        ProcessPasses(block, keys1, keys2, false);
        if (previous != nullptr)
        {
            XorBlock(block, previous);
            previous = cipherBlock;
        }
    }

    if (m_Pad)
    {
        const unsigned char padding = out[dataBytes - 1];
        bool valid = padding >= 1 && padding <= kBlockSize;
        for (std::uint32_t i = 0; valid && i < padding; ++i)
            valid = out[dataBytes - 1 - i] == padding;
        m_PaddingValid = valid;
        if (valid)
        {
            std::memset(out + dataBytes - padding, 0, padding);
            m_OutputLength = dataBytes - padding;
        }
    }
    return true;
}
