#include "core/ZentavoEncryption.h"

#include "core/Base64.h"
#include "core/WrenloDESImpl.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
// The character codes of the first 8 characters of the two key texts.
const unsigned char kKey1[8] = {'/', 'x', '6', 'B', '/', 'x', '1', 'F'};
const unsigned char kKey2[8] = {'/', 'x', 'A', '4', '/', 'x', '3', 'E'};

std::string FromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

const unsigned char* Bytes(const std::string& text)
{
    return reinterpret_cast<const unsigned char*>(text.data());
}

std::string Output(const WrenloDESImpl& engine)
{
    return std::string(reinterpret_cast<const char*>(engine.GetOutput()), engine.GetOutputLength());
}

std::string DesBlock(const std::string& keyHex, const std::string& blockHex, bool encipher)
{
    WrenloDESImpl::RoundKeys keys;
    WrenloDESImpl::KeySchedule(Bytes(FromHex(keyHex)), keys);
    unsigned char out[8];
    WrenloDESImpl::ProcessBlock(Bytes(FromHex(blockHex)), out, keys, encipher);
    return std::string(reinterpret_cast<const char*>(out), 8);
}

TEST(WrenloDESImpl, KnownAnswersOfTheStandard)
{
    EXPECT_EQ(FromHex("85E813540F0AB405"), DesBlock("133457799BBCDFF1", "0123456789ABCDEF", true));
    EXPECT_EQ(FromHex("0123456789ABCDEF"), DesBlock("133457799BBCDFF1", "85E813540F0AB405", false));
    // variable plaintext and variable key known answers
    EXPECT_EQ(FromHex("95F8A5E5DD31D900"), DesBlock("0101010101010101", "8000000000000000", true));
    EXPECT_EQ(FromHex("95A8D72813DAA94D"), DesBlock("8001010101010101", "0000000000000000", true));
    EXPECT_EQ(FromHex("8000000000000000"), DesBlock("0101010101010101", "95F8A5E5DD31D900", false));
}

TEST(WrenloDESImpl, ElectronicCodebookAndChainedModes)
{
    const std::string key = FromHex("0123456789ABCDEF");
    const std::string text = "Now is the time for all ";

    WrenloDESImpl ecb(Bytes(key), Bytes(key), false, false, 1);
    ASSERT_TRUE(ecb.Process(Bytes(text), 24, true));
    EXPECT_EQ(FromHex("3FA40E8A984D48156A271787AB8883F9893D51EC4B563B53"), Output(ecb));
    EXPECT_FALSE(ecb.Process(Bytes(text), 23, true));

    // With chaining, the first input block is the chaining start.
    WrenloDESImpl cbc(Bytes(key), Bytes(key), false, true, 1);
    const std::string cipher = FromHex("1234567890ABCDEF" "E5C7CDDE872BF27C43E934008C389C0F683788499A7C05F6");
    ASSERT_TRUE(cbc.Process(Bytes(cipher), 32, false));
    EXPECT_EQ(text, Output(cbc));
    EXPECT_EQ(0, cbc.GetOutput()[cbc.GetOutputLength()]);
}

TEST(WrenloDESImpl, TwoKeyTripleDes)
{
    WrenloDESImpl ede(kKey1, kKey2, false, false, 3);
    ASSERT_TRUE(ede.Process(Bytes("ABCDEFGH"), 8, true));
    EXPECT_EQ(FromHex("E7FCC9ABA2529F62"), Output(ede));
    const std::string cipher = Output(ede);
    ASSERT_TRUE(ede.Process(Bytes(cipher), 8, false));
    EXPECT_EQ("ABCDEFGH", Output(ede));
}

TEST(WrenloDESImpl, DecipherNeedsAWholeDataBlock)
{
    const std::string bytes(24, 'x');
    WrenloDESImpl chained(kKey1, kKey2, true, true, 3);
    EXPECT_FALSE(chained.Process(Bytes(bytes), 0, false));
    EXPECT_FALSE(chained.Process(Bytes(bytes), 15, false));
    EXPECT_TRUE(chained.Process(Bytes(bytes), 16, false));
    WrenloDESImpl plain(kKey1, kKey2, true, false, 3);
    EXPECT_FALSE(plain.Process(Bytes(bytes), 7, false));
    EXPECT_TRUE(plain.Process(Bytes(bytes), 8, false));
}

class ZentavoEncryption : public ::testing::Test
{
protected:
    // A stored value: the first block followed by data blocks of our
    // choosing, enciphered without padding.
    static std::string StoredValueOf(const std::string& paddedData)
    {
        WrenloDESImpl engine(kKey1, kKey2, false, true, 3);
        engine.Process(Bytes(paddedData), static_cast<std::uint32_t>(paddedData.size()), true);
        return CBase64::Encode(engine.GetOutput(), static_cast<int>(engine.GetOutputLength()));
    }

    CZentavoEncryption m_Cipher;
};

TEST_F(ZentavoEncryption, MatchesValuesComputedWithOpenssl)
{
    // rand() state is per thread: seed the thread that enciphers.
    std::srand(12345);
    EXPECT_EQ("9jwahDwA59IVsjO7axWw5A==", m_Cipher.Encrypt("secret"));
    EXPECT_EQ("fqkY141vxfUjaHW2ZHospo/J8LKs8ESX", m_Cipher.Encrypt("12345678"));
    EXPECT_EQ("U+zL8KmLtGWwHMmP4x/Zp5rDXuiF+dA5Gvy9e2wBWt0=", m_Cipher.Encrypt("Pa55word with 23 chars!"));

    EXPECT_EQ("Correct Horse Battery Staple",
              m_Cipher.Decrypt("ASNFZ4mrze8UFwG6QlqlNbeLlh1wJTyoR5smZv+hn32A4DXs0kWZkw=="));
    EXPECT_EQ("secret", m_Cipher.Decrypt("9jwahDwA59IVsjO7axWw5A=="));
}

TEST_F(ZentavoEncryption, OutputSizes)
{
    std::srand(1);
    const struct
    {
        size_t bytes;
        size_t characters;
    } cases[] = {{1, 24}, {7, 24}, {8, 32}, {15, 32}, {16, 44}, {23, 44}, {24, 56}, {64, 108}};
    for (const auto& c : cases)
        EXPECT_EQ(c.characters, m_Cipher.Encrypt(std::string(c.bytes, 'k')).size()) << c.bytes;
    EXPECT_EQ("", m_Cipher.Encrypt(""));
    const std::string onlyPadding = m_Cipher.Encrypt(std::string("\0abc", 4));
    EXPECT_EQ(24u, onlyPadding.size());
    EXPECT_EQ("", m_Cipher.Decrypt(onlyPadding));
}

TEST_F(ZentavoEncryption, RoundTripsWithFreshFirstBlocks)
{
    std::srand(99);
    const std::string first = m_Cipher.Encrypt("p@ssw0rd");
    const std::string second = m_Cipher.Encrypt("p@ssw0rd");
    EXPECT_NE(first, second);
    EXPECT_EQ("p@ssw0rd", m_Cipher.Decrypt(first));
    EXPECT_EQ("p@ssw0rd", m_Cipher.Decrypt(second));
    EXPECT_EQ("abc", m_Cipher.Decrypt(m_Cipher.Encrypt(std::string("abc\0def", 7))));

    for (int length = 1; length <= 70; ++length)
    {
        std::string text;
        for (int i = 0; i < length; ++i)
            text += static_cast<char>(1 + std::rand() % 255);
        ASSERT_EQ(text, m_Cipher.Decrypt(m_Cipher.Encrypt(text))) << length;
    }
}

TEST_F(ZentavoEncryption, EightByteTextGetsAWholePaddingBlock)
{
    std::srand(7);
    const std::string bytes = CBase64::Decode(m_Cipher.Encrypt("12345678"));
    ASSERT_EQ(24u, bytes.size());
    WrenloDESImpl engine(kKey1, kKey2, false, true, 3);
    ASSERT_TRUE(engine.Process(Bytes(bytes), 24, false));
    EXPECT_EQ("12345678" + std::string(8, '\x08'), Output(engine));
}

TEST_F(ZentavoEncryption, ChangedFirstBlockChangesOnlyTheFirstEightBytes)
{
    std::srand(3);
    std::string bytes = CBase64::Decode(m_Cipher.Encrypt("ABCDEFGHIJKLMNOP"));
    for (int i = 0; i < 8; ++i)
        bytes[static_cast<size_t>(i)] ^= 0x20;
    EXPECT_EQ("abcdefghIJKLMNOP", m_Cipher.Decrypt(CBase64::Encode(Bytes(bytes), static_cast<int>(bytes.size()))));
}

// A damaged value is no secret: its deciphered bytes never come back.
TEST_F(ZentavoEncryption, InvalidPaddingGivesEmptyText)
{
    EXPECT_EQ("", m_Cipher.Decrypt(StoredValueOf("abcdefghijklmno\x09")));
    EXPECT_EQ("", m_Cipher.Decrypt(StoredValueOf("abcdefghijklmn\x01\x02")));
    EXPECT_EQ("", m_Cipher.Decrypt(StoredValueOf(std::string("abc\0efghijklmno\x09", 16))));
    EXPECT_EQ("", m_Cipher.Decrypt(StoredValueOf(std::string(8, '\0'))));
    EXPECT_EQ("", m_Cipher.Decrypt(StoredValueOf("TESTSECRETKEY0001\xe9\x80\x02\x05\x06\x07\x08")));
    // A changed last block spoils the padding of the stored secret.
    std::srand(5);
    std::string bytes = CBase64::Decode(m_Cipher.Encrypt("TESTSECRETKEY0001"));
    bytes[bytes.size() - 1] ^= 0x5A;
    EXPECT_EQ("", m_Cipher.Decrypt(CBase64::Encode(Bytes(bytes), static_cast<int>(bytes.size()))));
    // a valid padding ends the text even without a zero byte
    EXPECT_EQ("abcdefghijklm", m_Cipher.Decrypt(StoredValueOf("abcdefghijklm\x03\x03\x03")));
    EXPECT_EQ("", m_Cipher.Decrypt(StoredValueOf(std::string(8, '\x08'))));
}

TEST_F(ZentavoEncryption, ShortOrForeignValuesGiveEmptyText)
{
    EXPECT_EQ("", m_Cipher.Decrypt(""));
    EXPECT_EQ("", m_Cipher.Decrypt("!!!!"));
    EXPECT_EQ("", m_Cipher.Decrypt("QUJDREVGR0g="));             // 8 bytes
    EXPECT_EQ("", m_Cipher.Decrypt("QUJDREVGR0hJSktMTU5P"));     // 15 bytes
    EXPECT_EQ("", m_Cipher.Decrypt("plain text password"));
}

TEST_F(ZentavoEncryption, TamperedAndTruncatedValuesNeverFail)
{
    std::srand(2024);
    const std::string value = m_Cipher.Encrypt("a secret key of forty bytes, or close!!");
    for (size_t cut = 0; cut <= value.size(); ++cut)
    {
        const std::string result = m_Cipher.Decrypt(value.substr(0, cut));
        ASSERT_LE(result.size(), 40u);
    }
    for (int round = 0; round < 200; ++round)
    {
        std::string tampered = value;
        tampered[static_cast<size_t>(std::rand()) % tampered.size()] =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=\r "[std::rand() % 67];
        const std::string result = m_Cipher.Decrypt(tampered);
        ASSERT_LE(result.size(), 48u);
    }
}
} // namespace
