#include "addin/OutlookVersionCapabilites.h"

#include <gtest/gtest.h>

namespace
{
TEST(OutlookVersionCapabilites, StartsWithTheOldestLook)
{
    const COutlookVersionCapabilites record;
    EXPECT_FALSE(record.m_bVersion14OrLater);
    EXPECT_FALSE(record.m_bVersion15);
    EXPECT_FALSE(record.m_bPlainBackground);
    EXPECT_EQ(0u, record.m_crBackgroundColour);
    EXPECT_TRUE(record.m_bClassicLook1);
    EXPECT_TRUE(record.m_bClassicLook2);
    EXPECT_EQ("", record.m_strVersion);
    EXPECT_EQ(0, record.m_nMajorVersion);
}

TEST(OutlookVersionCapabilites, VersionTextGivesMajorAndLook)
{
    const struct
    {
        const char* version;
        int major;
        bool v14OrLater;
        bool v15;
        bool plain;
        COLORREF colour;
        bool classic;
    } cases[] = {
        {"16.0.0.4266", 16, true, false, true, 0xFFFFFF, false},
        {"15.0.4569.1506", 15, true, true, true, 0xFFFFFF, false},
        {"14.0.7015.1000", 14, true, false, false, 0, true},
        {"12.0.6606.1000", 12, false, false, false, 0, true},
        {"12", 0, false, false, false, 0, true},
        {".5", 0, false, false, false, 0, true},
        {"", 0, false, false, false, 0, true},
        {"  15.0", 15, true, true, true, 0xFFFFFF, false},
        {"+16.0", 16, true, false, true, 0xFFFFFF, false},
        {"-16.0", -16, false, false, false, 0, true},
        {"x16.0", 0, false, false, false, 0, true},
        {"14a.0", 14, true, false, false, 0, true},
        {"99999999999.0", 2147483647, true, false, true, 0xFFFFFF, false},
    };
    for (const auto& c : cases)
    {
        COutlookVersionCapabilites record;
        record.Parse(c.version);
        EXPECT_EQ(c.version, record.m_strVersion);
        EXPECT_EQ(c.major, record.m_nMajorVersion) << c.version;
        EXPECT_EQ(c.v14OrLater, record.m_bVersion14OrLater) << c.version;
        EXPECT_EQ(c.v15, record.m_bVersion15) << c.version;
        EXPECT_EQ(c.plain, record.m_bPlainBackground) << c.version;
        EXPECT_EQ(c.colour, record.m_crBackgroundColour) << c.version;
        EXPECT_EQ(c.classic, record.m_bClassicLook1) << c.version;
        EXPECT_EQ(c.classic, record.m_bClassicLook2) << c.version;
    }
}

TEST(OutlookVersionCapabilites, ParsingAgainStartsFromTheDefaults)
{
    COutlookVersionCapabilites record;
    record.Parse("15.0.4569.1506");
    record.Parse("12");
    EXPECT_EQ("12", record.m_strVersion);
    EXPECT_EQ(0, record.m_nMajorVersion);
    EXPECT_FALSE(record.m_bVersion15);
    EXPECT_FALSE(record.m_bPlainBackground);
    EXPECT_EQ(0u, record.m_crBackgroundColour);
    EXPECT_TRUE(record.m_bClassicLook1);
}
} // namespace
