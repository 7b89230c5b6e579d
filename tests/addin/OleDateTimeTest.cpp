// The date, period and variant stand-ins, against OLE Automation itself.
#include "platform/ComVariant.h"
#include "platform/OleDateTime.h"

#include "core/Win32Utils.h"

#include <gtest/gtest.h>

namespace
{
const char* const kFullPattern = "%Y-%m-%d %H:%M:%S";
const double kSecond = 1.0 / 86400;

std::string Text(const COleDateTime& time)
{
    return time.Format(kFullPattern);
}
} // namespace

TEST(OleDateTime, FieldsOutOfRangeGiveAnInvalidValue)
{
    struct Row
    {
        const char* m_Case;
        int m_Fields[6];
    };
    const Row rows[] = {
        {"31 April", {2024, 4, 31, 0, 0, 0}},  {"29 February 2023", {2023, 2, 29, 0, 0, 0}},
        {"second 60", {2024, 1, 1, 0, 0, 60}}, {"year 99", {99, 1, 1, 0, 0, 0}},
        {"a field of -1", {2024, 1, 1, -1, 0, 0}},
    };
    for (const Row& row : rows)
    {
        const int* f = row.m_Fields;
        const COleDateTime time(f[0], f[1], f[2], f[3], f[4], f[5]);
        EXPECT_EQ(COleDateTime::invalid, time.GetStatus()) << row.m_Case;
        EXPECT_EQ(-1, time.GetYear()) << row.m_Case;
        EXPECT_EQ(COleDateTime::kInvalidText, time.Format()) << row.m_Case;
    }
    EXPECT_EQ("2024-02-29 23:59:59", Text(COleDateTime(2024, 2, 29, 23, 59, 59)));
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(COleDateTime::kMaxDate + 1).GetStatus());
    EXPECT_EQ(COleDateTime::invalid, COleDateTime(COleDateTime::kMinDate - 1).GetStatus());
}

TEST(OleDateTime, FieldsRoundToTheNearestSecond)
{
    const DATE noon = COleDateTime(2024, 3, 15, 12, 0, 0);
    EXPECT_EQ("2024-03-15 12:00:00", Text(COleDateTime(noon + 0.49 * kSecond)));
    EXPECT_EQ("2024-03-15 12:00:01", Text(COleDateTime(noon + 0.51 * kSecond)));
    EXPECT_EQ("2024-03-15 11:59:59", Text(COleDateTime(noon - 0.51 * kSecond)));
    EXPECT_EQ("2024-03-16 00:00:00", Text(COleDateTime(noon + 0.5 - 0.4 * kSecond)));
    // Fifteen one-minute steps land on the minute despite the binary fractions.
    COleDateTime time(2024, 3, 15, 14, 30, 0);
    for (int i = 0; i < 15; ++i)
        time = time + COleDateTimeSpan(1.0 / 1440);
    EXPECT_EQ("2024-03-15 14:45:00", Text(time));
}

TEST(OleDateTime, ArithmeticRunsStraightThroughThe1899Turn)
{
    // -1.25 is 29 December 1899, 06:00: the fraction counts forwards.
    const COleDateTime early(-1.25);
    EXPECT_EQ("1899-12-29 06:00:00", Text(early));
    EXPECT_DOUBLE_EQ(-1.75, static_cast<DATE>(early + COleDateTimeSpan(0.5)));
    EXPECT_EQ("1899-12-29 18:00:00", Text(early + COleDateTimeSpan(0.5)));
    EXPECT_DOUBLE_EQ(0.25, static_cast<DATE>(early + COleDateTimeSpan(1.0)));
    EXPECT_DOUBLE_EQ(-3.75, static_cast<DATE>(COleDateTime(0.25) - COleDateTimeSpan(2.5)));
    EXPECT_EQ("1899-12-27 18:00:00", Text(COleDateTime(0.25) - COleDateTimeSpan(2.5)));
    EXPECT_DOUBLE_EQ(1.0, (COleDateTime(0.25) - early).GetTotalDays());
}

TEST(ComVariant, EqualityIsAtlsTypeFirstThenVarCmp)
{
    _variant_t null;
    V_VT(&null) = VT_NULL;
    struct Row
    {
        const char* m_Case;
        _variant_t m_Left;
        _variant_t m_Right;
        bool m_Equal;
    };
    const Row rows[] = {
        {"the same text", L"1", L"1", true},
        {"texts differing in case", L"Visit", L"visit", false},
        {"text against a number", L"1", 1L, false},
        {"numbers of two types", 1L, static_cast<short>(1), false},
        {"equal numbers", 7L, 7L, true},
        {"booleans", true, true, true},
        {"true against false", true, false, false},
        {"two nulls", null, null, true},
        {"two empties", _variant_t(), _variant_t(), true},
        {"empty text against empty", L"", _variant_t(), false},
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(row.m_Equal, CComVariant(row.m_Left) == row.m_Right) << row.m_Case;
        EXPECT_NE(row.m_Equal, CComVariant(row.m_Left) != row.m_Right) << row.m_Case;
    }
}

// Run by the CTest entries that pin the locale; skipped otherwise.
TEST(OleDateTimeLocale, TextsFollowTheUsersLocale)
{
    const std::string locale = CWin32Utils::GetEnvironmentVariable("ZENTAVO_TEST_LOCALE");
    if (locale.empty())
        GTEST_SKIP() << "ZENTAVO_TEST_LOCALE not set";
    const bool dayFirst = locale == "en_GB";
    COleDateTime parsed;
    ASSERT_TRUE(parsed.ParseDateTime("05/03/2024 09:07"));
    EXPECT_EQ(dayFirst ? "2024-03-05 09:07:00" : "2024-05-03 09:07:00", Text(parsed));

    const COleDateTime time(2024, 3, 5, 21, 7, 0);
    const std::string text = time.Format(LOCALE_NOUSEROVERRIDE, LANG_USER_DEFAULT);
    EXPECT_EQ(dayFirst ? "05/03/2024 21:07:00" : "3/5/2024 9:07:00 PM", text);
    COleDateTime back;
    ASSERT_TRUE(back.ParseDateTime(text, LOCALE_NOUSEROVERRIDE, LANG_USER_DEFAULT));
    EXPECT_EQ(static_cast<DATE>(time), static_cast<DATE>(back));
}
