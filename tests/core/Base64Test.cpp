#include "core/Base64.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace
{
std::string Encode(const std::string& bytes)
{
    return CBase64::Encode(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
}

TEST(Base64, EncodesTheRfc4648Vectors)
{
    EXPECT_EQ("", Encode(""));
    EXPECT_EQ("Zg==", Encode("f"));
    EXPECT_EQ("Zm8=", Encode("fo"));
    EXPECT_EQ("Zm9v", Encode("foo"));
    EXPECT_EQ("Zm9vYg==", Encode("foob"));
    EXPECT_EQ("Zm9vYmE=", Encode("fooba"));
    EXPECT_EQ("Zm9vYmFy", Encode("foobar"));
    EXPECT_EQ("", CBase64::Encode(nullptr, 3));
    EXPECT_EQ("", CBase64::Encode(reinterpret_cast<const unsigned char*>("abc"), -1));
}

TEST(Base64, DecodesTheRfc4648Vectors)
{
    EXPECT_EQ("", CBase64::Decode(""));
    EXPECT_EQ("f", CBase64::Decode("Zg=="));
    EXPECT_EQ("fo", CBase64::Decode("Zm8="));
    EXPECT_EQ("foo", CBase64::Decode("Zm9v"));
    EXPECT_EQ("foob", CBase64::Decode("Zm9vYg=="));
    EXPECT_EQ("fooba", CBase64::Decode("Zm9vYmE="));
    EXPECT_EQ("foobar", CBase64::Decode("Zm9vYmFy"));
}

TEST(Base64, DecodeStopsAtTheFirstForeignCharacter)
{
    EXPECT_EQ("foo", CBase64::Decode("Zm9v\r\nYmFy"));
    EXPECT_EQ("foo", CBase64::Decode("Zm9v YmFy"));
    EXPECT_EQ("", CBase64::Decode("=Zm9v"));
    EXPECT_EQ("", CBase64::Decode(" Zm9v"));
    EXPECT_EQ("f", CBase64::Decode("Zg==Zm9v"));
    // a single character holds no whole byte
    EXPECT_EQ("foo", CBase64::Decode("Zm9vY"));
    EXPECT_EQ(std::string("f"), CBase64::Decode(std::string("Zg\0Zm9v", 7)));
}

TEST(Base64, PaddingIsOptionalOnDecode)
{
    EXPECT_EQ("f", CBase64::Decode("Zg"));
    EXPECT_EQ("fo", CBase64::Decode("Zm8"));
    EXPECT_EQ("fooba", CBase64::Decode("Zm9vYmE"));
}

TEST(Base64, EveryByteValueRoundTrips)
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    bytes += std::string("\0\xFF\0", 3);
    const std::string text = Encode(bytes);
    EXPECT_EQ(std::string::npos, text.find_first_of("\r\n "));
    EXPECT_EQ((bytes.size() + 2) / 3 * 4, text.size());
    EXPECT_EQ(bytes, CBase64::Decode(text));
    EXPECT_EQ("AP8A", Encode(std::string("\0\xFF\0", 3)));
}

TEST(Base64, RandomAndTruncatedInputNeverFails)
{
    std::srand(4242);
    const std::string alphabet = "ABCxyz019+/=\r\n -_*\x80\xFF";
    for (int round = 0; round < 500; ++round)
    {
        std::string bytes;
        const int length = std::rand() % 40;
        for (int i = 0; i < length; ++i)
            bytes += static_cast<char>(std::rand() & 0xFF);
        const std::string text = Encode(bytes);
        ASSERT_EQ(bytes, CBase64::Decode(text));

        // Any prefix decodes to a prefix of the bytes.
        const std::string prefix = text.substr(0, std::rand() % (text.size() + 1));
        const std::string decoded = CBase64::Decode(prefix);
        ASSERT_EQ(bytes.substr(0, decoded.size()), decoded);
        const size_t read = std::min(prefix.size(), prefix.find('='));
        ASSERT_EQ(read * 3 / 4, decoded.size()) << prefix;

        std::string junk;
        for (int i = 0; i < length; ++i)
            junk += alphabet[static_cast<size_t>(std::rand()) % alphabet.size()];
        const std::string fromJunk = CBase64::Decode(junk);
        ASSERT_LE(fromJunk.size(), junk.size());
    }
}
} // namespace
