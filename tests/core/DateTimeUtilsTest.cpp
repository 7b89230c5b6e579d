#include "core/DateTimeUtils.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

#include "core/ErrorReports.h"
#include "core/Win32Utils.h"

namespace
{
SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
                WORD milliseconds = 0)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = milliseconds;
    return time;
}

TEST(DateTimeUtils, DifferencesAreSignedAndTruncatedTowardsZero)
{
    const SYSTEMTIME a = Time(2024, 2, 28, 23, 59, 59);
    const SYSTEMTIME b = Time(2024, 2, 29, 0, 0, 0);
    EXPECT_EQ(10000000, CDateTimeUtils::GetDateDiff100nSecs(a, b));
    EXPECT_EQ(-10000000, CDateTimeUtils::GetDateDiff100nSecs(b, a));

    const SYSTEMTIME c = Time(2024, 1, 1, 0, 1, 59, 900);
    const SYSTEMTIME d = Time(2024, 1, 1, 0, 0, 0, 0);
    EXPECT_EQ(-119, CDateTimeUtils::GetDateDiffSeconds(c, d));
    EXPECT_EQ(-1, CDateTimeUtils::GetDateDiffMinutes(c, d));
    EXPECT_EQ(1, CDateTimeUtils::GetDateDiffMinutes(d, c));
    EXPECT_EQ(366LL * 24 * 60, CDateTimeUtils::GetDateDiffMinutes(Time(2024, 1, 1), Time(2025, 1, 1)));
}

TEST(DateTimeUtils, InvalidTimesRaiseNamingWhichOne)
{
    const SYSTEMTIME good = Time(2024, 1, 1);
    const SYSTEMTIME bad = Time(2024, 13, 1);
    const std::string prefix = "CDateTimeUtils::GetDateDiff100nSecs - SystemTimeToFileTime(";
    for (int which = 1; which <= 2; ++which)
    {
        try
        {
            which == 1 ? CDateTimeUtils::GetDateDiff100nSecs(bad, good)
                       : CDateTimeUtils::GetDateDiff100nSecs(good, bad);
            ADD_FAILURE() << "no error for time " << which;
        }
        catch (const _com_error& e)
        {
            EXPECT_EQ(prefix + "Time" + std::to_string(which) + ") failed", GetCOMErrorDescription(e));
            EXPECT_EQ(0x80070000u, static_cast<DWORD>(e.Error()) & 0xFFFF0000u);
        }
    }
}

TEST(DateTimeUtils, UnixTimeBothWays)
{
    std::int64_t seconds = -1;
    CDateTimeUtils::SystemTimeToUnixTime(Time(1970, 1, 1), seconds);
    EXPECT_EQ(0, seconds);
    CDateTimeUtils::SystemTimeToUnixTime(Time(2024, 3, 5, 9, 7, 0, 999), seconds);
    EXPECT_EQ(1709629620, seconds);
    CDateTimeUtils::SystemTimeToUnixTime(Time(1969, 12, 31, 23, 59, 59), seconds);
    EXPECT_EQ(-1, seconds);
    CDateTimeUtils::SystemTimeToUnixTime(Time(2024, 2, 30), seconds);
    EXPECT_EQ(-11644473600LL, seconds);

    SYSTEMTIME time = {};
    CDateTimeUtils::UnixTimeToSystemTime(0, time);
    EXPECT_EQ(0, CDateTimeUtils::GetDateDiff100nSecs(Time(1970, 1, 1), time));
    EXPECT_EQ(0, time.wMilliseconds);
    CDateTimeUtils::UnixTimeToSystemTime(1709629620, time);
    EXPECT_EQ(0, CDateTimeUtils::GetDateDiff100nSecs(Time(2024, 3, 5, 9, 7, 0), time));
}

TEST(DateTimeUtils, LocalTimeTextHasFixedWidthsAndAnOffset)
{
    EXPECT_TRUE(IsTzSpecificLocalTimeToSystemTimeAvailable());
    const std::string text = CDateTimeUtils::GetLocalTimeWithTimeZoneOffset(Time(2024, 3, 5, 9, 7, 0, 123));
    EXPECT_TRUE(std::regex_match(text, std::regex(R"(2024-03-05T09:07:00[+-]\d\d:\d\d)"))) << text;
    const std::string early = CDateTimeUtils::GetLocalTimeWithTimeZoneOffset(Time(1601, 6, 1));
    EXPECT_EQ("1601-06-01T00:00:00", early.substr(0, 19));
}

TEST(DateTimeUtils, YearsWindowsCannotConvertRaise)
{
    try
    {
        CDateTimeUtils::GetLocalTimeWithTimeZoneOffset(Time(1600, 12, 31, 12));
        ADD_FAILURE() << "no error";
    }
    catch (const _com_error& e)
    {
        EXPECT_EQ("CXMLWriter::AddInnerText_LocalTimeWithTimeZoneOffset - TzSpecificLocalTimeToSystemTime failed",
                  GetCOMErrorDescription(e));
    }
}

// Run by CTest entries that pin TZ for Wine and name the zone in
// ZENTAVO_TEST_ZONE; skipped otherwise.
TEST(ZoneOffset, LocalTimesCarryTheOffsetOfTheirZoneAndSeason)
{
    const std::string zone = CWin32Utils::GetEnvironmentVariable("ZENTAVO_TEST_ZONE");
    if (zone.empty())
        GTEST_SKIP() << "ZENTAVO_TEST_ZONE not set";
    // Offsets on 5 January and 1 July 2024.
    const std::map<std::string, std::pair<std::string, std::string>> offsets = {
        {"UTC", {"+00:00", "+00:00"}},
        {"Asia/Kolkata", {"+05:30", "+05:30"}},
        {"Europe/London", {"+00:00", "+01:00"}},
        {"America/St_Johns", {"-03:30", "-02:30"}},
    };
    const auto expected = offsets.find(zone);
    ASSERT_NE(offsets.end(), expected) << zone;
    EXPECT_EQ("2024-01-05T00:00:00" + expected->second.first,
              CDateTimeUtils::GetLocalTimeWithTimeZoneOffset(Time(2024, 1, 5)));
    EXPECT_EQ("2024-07-01T12:30:45" + expected->second.second,
              CDateTimeUtils::GetLocalTimeWithTimeZoneOffset(Time(2024, 7, 1, 12, 30, 45)));
}

TEST(TickCountTime, ComparisonsSurviveTheWrap)
{
    CTickCountTime before(0xFFFFFFFFu - 255);
    CTickCountTime after = before;
    after += 512;
    EXPECT_EQ(256u, after.GetTick());
    EXPECT_TRUE(before < after);
    EXPECT_TRUE(after > before);
    EXPECT_FALSE(after < before);
    EXPECT_FALSE(before > after);
    after -= 512;
    EXPECT_EQ(before.GetTick(), after.GetTick());
    EXPECT_FALSE(before < after);
    EXPECT_FALSE(before > after);

    // Half the range apart: exactly one order holds.
    for (DWORD base : {0u, 5u, 0x80000000u, 0xFFFFFFF0u})
    {
        const CTickCountTime a(base);
        const CTickCountTime b(base + 0x80000000u);
        EXPECT_NE(a < b, a > b) << base;
        EXPECT_NE(a < b, b < a) << base;
    }
}

TEST(TickCountTime, NullIsEarlierThanEverythingAndStaysNull)
{
    CTickCountTime null;
    const CTickCountTime set(1000);
    EXPECT_TRUE(null.IsNull());
    EXPECT_TRUE(null < set);
    EXPECT_TRUE(null < CTickCountTime());
    EXPECT_FALSE(null > set);
    EXPECT_FALSE(null > CTickCountTime());
    EXPECT_TRUE(set > null);
    EXPECT_FALSE(set < null);
    null += 500;
    EXPECT_TRUE(null.IsNull());
    EXPECT_EQ(0u, null.GetTick());

    CTickCountTime now;
    now.SetToNow();
    EXPECT_FALSE(now.IsNull());
    now.SetNull();
    EXPECT_TRUE(now.IsNull());
}

TEST(FileExists, FilesAndFoldersExistEmptyPathsDoNot)
{
    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    EXPECT_TRUE(FileExists(folder));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists((std::string(folder) + "zentavo-no-such-file.txt").c_str()));
    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    EXPECT_TRUE(FileExists(self));
}
} // namespace
