#include "core/SHA1Hash.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace
{
std::string Hex(const unsigned char* bytes, size_t count)
{
    std::string hex;
    char pair[3];
    for (size_t i = 0; i < count; ++i)
    {
        std::snprintf(pair, sizeof(pair), "%02X", bytes[i]);
        hex += pair;
    }
    return hex;
}

std::string DigestOf(CSHA1Hash& hash)
{
    hash.Final();
    unsigned char digest[20];
    hash.GetDigest(digest);
    return Hex(digest, sizeof(digest));
}

std::string Sha1(const std::string& text)
{
    CSHA1Hash hash;
    hash.Update(reinterpret_cast<const unsigned char*>(text.data()), static_cast<std::uint32_t>(text.size()));
    return DigestOf(hash);
}

TEST(SHA1Hash, SampleMessagesOfTheStandard)
{
    EXPECT_EQ("A9993E364706816ABA3E25717850C26C9CD0D89D", Sha1("abc"));
    EXPECT_EQ("84983E441C3BD26EBAAE4AA1F95129E5E54670F1",
              Sha1("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
    EXPECT_EQ("DA39A3EE5E6B4B0D3255BFEF95601890AFD80709", Sha1(""));
}

TEST(SHA1Hash, MillionAsInUnevenPieces)
{
    const std::string as(1000000, 'a');
    const auto* data = reinterpret_cast<const unsigned char*>(as.data());
    const std::uint32_t pieces[] = {1, 63, 64, 65, 0, 127, 3, 1000, 4096, 55, 56, 57, 8000};
    CSHA1Hash hash;
    std::uint32_t done = 0;
    for (size_t i = 0; done < as.size(); ++i)
    {
        const std::uint32_t want = pieces[i % (sizeof(pieces) / sizeof(pieces[0]))];
        const std::uint32_t take = std::min<std::uint32_t>(want, static_cast<std::uint32_t>(as.size()) - done);
        hash.Update(data + done, take);
        done += take;
    }
    EXPECT_EQ("34AA973CD4C4DAA4F61EEB2BDBAD27316534016F", DigestOf(hash));

    CSHA1Hash whole;
    whole.Update(data, static_cast<std::uint32_t>(as.size()));
    EXPECT_EQ("34AA973CD4C4DAA4F61EEB2BDBAD27316534016F", DigestOf(whole));
}

TEST(SHA1Hash, PaddingAroundTheBlockEdge)
{
    // python3 hashlib: lengths whose padding spills into a second block
    EXPECT_EQ("C1C8BBDC22796E28C0E15163D20899B65621D65A", Sha1(std::string(55, 'a')));
    EXPECT_EQ("C2DB330F6083854C99D4B5BFB6E8F29F201BE699", Sha1(std::string(56, 'a')));
    EXPECT_EQ("0098BA824B5C16427BD7A1122A5A442A25EC644D", Sha1(std::string(64, 'a')));
}

TEST(SHA1Hash, FinalStartsTheNextMessage)
{
    CSHA1Hash hash;
    hash.Update(reinterpret_cast<const unsigned char*>("abc"), 3);
    EXPECT_EQ("A9993E364706816ABA3E25717850C26C9CD0D89D", DigestOf(hash));
    hash.Reset();
    hash.Update(reinterpret_cast<const unsigned char*>("abc"), 3);
    EXPECT_EQ("A9993E364706816ABA3E25717850C26C9CD0D89D", DigestOf(hash));
}

TEST(SHA1Hash, HashesFilesAndReportsDigests)
{
    char folder[MAX_PATH];
    char path[MAX_PATH];
    ASSERT_NE(0u, ::GetTempPathA(MAX_PATH, folder));
    ASSERT_NE(0u, ::GetTempFileNameA(folder, "sha", 0, path));
    {
        FILE* file = std::fopen(path, "wb");
        ASSERT_NE(nullptr, file);
        const std::string as(1000000, 'a');
        std::fwrite(as.data(), 1, as.size(), file);
        std::fclose(file);
    }

    CSHA1Hash hash;
    ASSERT_TRUE(hash.HashFile(path));
    hash.Final();
    std::string report;
    hash.ReportHash(report);
    EXPECT_EQ("34 AA 97 3C D4 C4 DA A4 F6 1E EB 2B DB AD 27 31 65 34 01 6F", report);
    hash.ReportHash(report, CSHA1Hash::REPORT_DIGIT);
    EXPECT_EQ("52 170 151 60 212 196 218 164 246 30 235 43 219 173 39 49 101 52 1 111", report);
    ::DeleteFileA(path);

    EXPECT_FALSE(hash.HashFile((std::string(folder) + "no-such-file.bin").c_str()));
}
} // namespace
