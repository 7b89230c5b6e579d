#include "core/ZentavoSMSSecurity.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
// Digests computed with python3 hashlib and base64 from the salts.
const char kSKey[] = "250203090507000421337";

bool AllDigits(const std::string& text)
{
    return text.find_first_not_of("0123456789") == std::string::npos;
}

TEST(ZentavoSMSSecurity, SaltedDigest)
{
    const CZentavoSMSSecurity security;
    EXPECT_EQ("A6PC8Hesz+APz/5Lb/Ws1bSWIXXg=", security.GenerateSaltedDigest("MASTERKEY-01", kSKey));
    EXPECT_EQ("A6PC8Hesz+APz/5Lb/Ws1bSWIXXg=", security.GenerateCorporateKeyAuthDigest("MASTERKEY-01", kSKey));

    const std::string empty = security.GenerateSaltedDigest("", "");
    EXPECT_EQ(29u, empty.size());
    EXPECT_EQ('A', empty[0]);
    EXPECT_EQ('=', empty[28]);
    // the master key's case matters
    EXPECT_NE(security.GenerateSaltedDigest("masterkey-01", kSKey),
              security.GenerateSaltedDigest("MASTERKEY-01", kSKey));
}

TEST(ZentavoSMSSecurity, CredentialDigestIgnoresLetterCase)
{
    const CZentavoSMSSecurity security;
    EXPECT_EQ("AtLab5HZBPiEzSaStm7YERVMWNhI=",
              security.GenerateUsernamePasswordAuthDigest("jane.doe", "hunter2!", kSKey));
    EXPECT_EQ("AtLab5HZBPiEzSaStm7YERVMWNhI=",
              security.GenerateUsernamePasswordAuthDigest("Jane.DOE", "HUNTER2!", kSKey));
    EXPECT_EQ(security.GenerateSaltedDigest("66BdOGpN0b7URjZ3YkeNpp8ukd8=", kSKey),
              security.GenerateUsernamePasswordAuthDigest("jane.doe", "hunter2!", kSKey));
    EXPECT_NE(security.GenerateUsernamePasswordAuthDigest("jane.doe", "hunter2!", "250203090507010421337"),
              security.GenerateUsernamePasswordAuthDigest("jane.doe", "hunter2!", kSKey));
}

TEST(ZentavoSMSSecurity, SKeyFields)
{
    SYSTEMTIME utc = {};
    utc.wYear = 2025;
    utc.wMonth = 2;
    utc.wDay = 3;
    utc.wHour = 9;
    utc.wMinute = 5;
    utc.wSecond = 7;
    utc.wMilliseconds = 42;
    EXPECT_EQ("25020309050700042007", FormatSKeyFields(utc, 0, 1007));
    EXPECT_EQ("25020309050799042999", FormatSKeyFields(utc, 99, 1999));
    EXPECT_EQ("250203090507100042000", FormatSKeyFields(utc, 100, 0));
    EXPECT_EQ("2502030905074294967295042123", FormatSKeyFields(utc, 4294967295u, 123));
    utc.wYear = 2100;
    utc.wMonth = 12;
    utc.wDay = 31;
    utc.wHour = 23;
    utc.wMinute = 59;
    utc.wSecond = 59;
    utc.wMilliseconds = 999;
    EXPECT_EQ("00123123595905999500", FormatSKeyFields(utc, 5, 500));
}

TEST(ZentavoSMSSecurity, SKeysCountUp)
{
    std::srand(5);
    const CZentavoSMSSecurity security;
    const std::string first = security.GenerateSKey();
    const std::string second = security.GenerateSKey();
    ASSERT_TRUE(AllDigits(first));
    ASSERT_TRUE(AllDigits(second));
    ASSERT_GE(first.size(), 20u);
    ASSERT_EQ(first.size(), second.size());
    const size_t counterDigits = first.size() - 18;
    const unsigned long a = std::stoul(first.substr(12, counterDigits));
    const unsigned long b = std::stoul(second.substr(12, counterDigits));
    EXPECT_EQ(a + 1, b);

    EXPECT_EQ(20u, security.FormatSKey(0).size());
    EXPECT_EQ(20u, security.FormatSKey(99).size());
    EXPECT_EQ(21u, security.FormatSKey(100).size());
    EXPECT_EQ("100", security.FormatSKey(100).substr(12, 3));

    SYSTEMTIME now;
    ::GetSystemTime(&now);
    const std::string key = security.FormatSKey(7);
    // the date part, unless midnight UTC passed in between
    EXPECT_TRUE(key.substr(0, 6) == FormatSKeyFields(now, 7, 0).substr(0, 6) || now.wHour == 23) << key;
}
} // namespace
