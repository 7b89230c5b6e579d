// SHA-1 of FIPS 180-1. One hasher serves one message: Update as often as
// needed, then Final, then GetDigest.
#pragma once

#include <cstdint>
#include <string>

class CSHA1Hash
{
public:
    enum ReportType
    {
        REPORT_HEX = 0,   // upper-case hexadecimal pairs
        REPORT_DIGIT = 1, // decimal numbers
    };

    CSHA1Hash();
    ~CSHA1Hash();
    CSHA1Hash(const CSHA1Hash&) = delete;
    CSHA1Hash& operator=(const CSHA1Hash&) = delete;

    // Loads the initial state and clears the bit count.
    void Reset();
    // Compresses every 64-byte block that the bytes complete.
    void Update(const unsigned char* data, std::uint32_t length);
    // Pads (0x80, zeros, the bit count as 64 bits big-endian), stores the
    // digest, then clears the buffer, state and count.
    void Final();
    void GetDigest(unsigned char digest[20]) const;

    // Feeds a whole file, read in blocks of 8000 bytes; false when the file
    // cannot be opened or read. Final is still the caller's.
    bool HashFile(const char* path);
    // The 20 digest bytes, separated by single blanks.
    void ReportHash(std::string& report, ReportType type = REPORT_HEX) const;

private:
    void Transform(const unsigned char block[64]);

    std::uint32_t m_State[5];
    std::uint32_t m_Count[2]; // bit count, low word then high word
    unsigned char m_Buffer[64];
    unsigned char m_Digest[20];
};
