// DES of FIPS 46-3 and the block modes of the credential cipher: single DES
// or two-key triple DES (encipher key 1, decipher key 2, encipher key 1),
// optionally with PKCS #5 padding and CBC chaining from a random first block
// that stands, enciphered, in front of the output.
#pragma once

#include <cstdint>
#include <memory>

class WrenloDESImpl
{
public:
    // The 16 round keys of one DES key, 48 bits each.
    struct RoundKeys
    {
        unsigned char key[16][6];
    };

    // passes: 1 for single DES under key 1, 3 for triple DES.
    WrenloDESImpl(const unsigned char key1[8], const unsigned char key2[8], bool pad, bool chain,
                  std::uint32_t passes);
    virtual ~WrenloDESImpl();
    WrenloDESImpl(const WrenloDESImpl&) = delete;
    WrenloDESImpl& operator=(const WrenloDESImpl&) = delete;

    // Enciphers or deciphers into the engine's own buffer. With chaining, the
    // first block of the output (enciphering) or input (deciphering) is the
    // chaining start; its random bytes come from rand(). Deciphering removes a
    // valid padding and keeps an invalid one. False when the input cannot be
    // processed: deciphering without a whole data block, or enciphering
    // without padding a length that is not a multiple of 8.
    bool Process(const unsigned char* input, std::uint32_t length, bool encipher);

    // After deciphering with padding: whether the last block ended in a valid
    // padding (and so the output is the text that was enciphered).
    bool HasValidPadding() const { return m_PaddingValid; }

    // Valid until the next Process or the engine's end; a zero byte follows
    // the output.
    const unsigned char* GetOutput() const { return m_pOutput.get(); }
    std::uint32_t GetOutputLength() const { return m_OutputLength; }

    static void KeySchedule(const unsigned char key[8], RoundKeys& roundKeys);
    // One DES block: round keys 1 to 16 to encipher, 16 to 1 to decipher.
    static void ProcessBlock(const unsigned char input[8], unsigned char output[8], const RoundKeys& roundKeys,
                             bool encipher);

private:
    static void RoundFunction(const unsigned char right[4], const unsigned char roundKey[6],
                              unsigned char result[4]);
    static void SBox(const unsigned char input[6], unsigned char output[4]);
    // Output bit i is input bit table[i]; bits count from 0, most
    // significant bit of the first byte first.
    static void Permute(const unsigned char* input, unsigned char* output, const unsigned char* table,
                        int outputBits);
    static void PermutedChoice1(const unsigned char key[8], unsigned char output[7]);

    void ProcessPasses(unsigned char block[8], const RoundKeys& keys1, const RoundKeys& keys2,
                       bool encipher) const;
    void Allocate(std::uint32_t length);

    unsigned char m_Key1[8];
    unsigned char m_Key2[8];
    std::unique_ptr<unsigned char[]> m_pOutput;
    std::uint32_t m_OutputCapacity = 0;
    std::uint32_t m_OutputLength = 0;
    bool m_Pad;
    bool m_Chain;
    bool m_PaddingValid = false;
    std::uint32_t m_Passes;
};
