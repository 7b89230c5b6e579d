// Schedule texts against a datum, in one table. The time of day is read in
// the user's locale, so the table runs only in the CTest entries that pin
// the locale (LC_ALL) and zone (TZ) and name the locale in
// ZENTAVO_TEST_LOCALE.
#include "addin/DateTimeRelativeScheduledEvent.h"

#include "core/Win32Utils.h"

#include <gtest/gtest.h>

namespace
{
const char* const kNoEvent = "no event";
const char* const kInvalid = "invalid";

struct Row
{
    const char* m_Case;
    const char* m_Text;
    COleDateTime m_Datum;
    const char* m_Expected; // "%Y-%m-%d %H:%M:%S", kNoEvent or kInvalid
    int m_Kind;             // 0 with no event
};

COleDateTime At(int year, int month, int day, int hour, int minute, int second = 0)
{
    return COleDateTime(year, month, day, hour, minute, second);
}

// Friday 15 March 2024, 14:30.
const COleDateTime kDatum = At(2024, 3, 15, 14, 30);

const Row kRows[] = {
    // The Part's edge cases.
    {"minutes", "15 minutes before", kDatum, "2024-03-15 14:15:00", 1},
    {"hours", "2 hour before", kDatum, "2024-03-15 12:30:00", 1},
    {"a week", "1 week before", kDatum, "2024-03-08 14:30:00", 1},
    {"after", "3 days after", kDatum, "2024-03-18 14:30:00", 1},
    {"zero", "0 minutes before", kDatum, "2024-03-15 14:30:00", 1},
    {"any case, blanks around", "  At 9:00AM the day before \r\n", kDatum, "2024-03-14 09:00:00", 2},
    {"day before, 2 days", "at 9:00am the 2 days before", kDatum, "2024-03-13 09:00:00", 2},
    {"without \"the\"", "at 9:00am 2 days before", kDatum, "2024-03-13 09:00:00", 2},
    {"no blank after the time", "at 9:00am", kDatum, kNoEvent, 0},
    {"\"at\" alone", "at", kDatum, kNoEvent, 0},
    {"\"at\" and blanks", "at   ", kDatum, kNoEvent, 0},
    {"no direction", "at 9:00am the day", kDatum, kNoEvent, 0},
    {"unreadable time", "at noonish the day before", kDatum, kNoEvent, 0},
    {"no number", "minutes before", kDatum, "2024-03-15 14:29:00", 1},
    {"no unit", "15 before", kDatum, kNoEvent, 0},
    {"digits only", "15", kDatum, kNoEvent, 0},
    {"empty", "", kDatum, kNoEvent, 0},
    {"\"after\" first", "1 day after, 2 days before", kDatum, "2024-03-16 14:30:00", 1},
    {"\"at\" not at the start", "1 day before at 9:00am", kDatum, "2024-03-14 14:30:00", 1},
    {"\"min\" wins", "2 days minimum before", kDatum, "2024-03-15 14:28:00", 1},
    {"a time of day after", "at 9:00am the day after", kDatum, "2024-03-16 09:00:00", 2},
    {"the day itself", "at 7:15am 0 days before", kDatum, "2024-03-15 07:15:00", 2},
    // Time-of-day forms.
    {"9am", "at 9am the day before", kDatum, "2024-03-14 09:00:00", 2},
    {"09:00", "at 09:00 the day before", kDatum, "2024-03-14 09:00:00", 2},
    {"21:00", "at 21:00 the day before", kDatum, "2024-03-14 21:00:00", 2},
    {"9:30pm", "at 9:30pm the day before", kDatum, "2024-03-14 21:30:00", 2},
    // Month and year ends, leap days.
    {"into February", "1 day after", At(2024, 1, 31, 10, 0), "2024-02-01 10:00:00", 1},
    {"back to a leap day", "at 9:00am the day before", At(2024, 3, 1, 8, 0), "2024-02-29 09:00:00", 2},
    {"no leap day in 2023", "at 9:00am the day before", At(2023, 3, 1, 8, 0), "2023-02-28 09:00:00", 2},
    {"a leap day plus a week", "1 week after", At(2024, 2, 29, 18, 45), "2024-03-07 18:45:00", 1},
    {"over the year end", "2 days after", At(2024, 12, 31, 23, 59), "2025-01-02 23:59:00", 1},
    {"day before just after midnight", "at 9:00am the day before", At(2024, 3, 15, 0, 5), "2024-03-14 09:00:00",
     2},
    {"minutes back over midnight", "10 minutes before", At(2024, 3, 15, 0, 5), "2024-03-14 23:55:00", 1},
    // Daylight saving changes (Europe 31 March, America 10 March 2024): the
    // wall-clock time of day stays.
    {"Europe's spring change", "at 9:00am the day before", At(2024, 4, 1, 9, 0), "2024-03-31 09:00:00", 2},
    {"over Europe's change", "1 day before", At(2024, 3, 31, 10, 0), "2024-03-30 10:00:00", 1},
    {"America's spring change", "at 2:30am the day before", At(2024, 3, 11, 12, 0), "2024-03-10 02:30:00", 2},
    {"Europe's autumn change", "at 1:30am the day before", At(2024, 10, 28, 12, 0), "2024-10-27 01:30:00", 2},
    // Before 30 December 1899 the fraction of a DATE runs the other way.
    {"into the 1890s", "12 hour after", At(1899, 12, 29, 6, 0), "1899-12-29 18:00:00", 1},
    {"out of the 1890s", "1 day after", At(1899, 12, 29, 6, 0), "1899-12-30 06:00:00", 1},
    {"back before 1899", "30 minutes before", At(1899, 12, 30, 0, 10), "1899-12-29 23:40:00", 1},
    // Counts and ranges.
    {"the largest count", "2147483647 minutes before", kDatum, kInvalid, 1},
    {"a count over 32 bits", "2147483648 minutes before", kDatum, kNoEvent, 0},
    {"a count far over 32 bits", "99999999999999999999 days before", kDatum, kNoEvent, 0},
    {"the longest period", "3615897 days before", kDatum, kInvalid, 1},
    {"one day too long", "3615898 days before", kDatum, kNoEvent, 0},
    {"weeks too long", "516557 weeks after", kDatum, kNoEvent, 0},
    {"a day period too long", "at 9:00am the 3615898 days before", kDatum, kNoEvent, 0},
    {"past the year 9999", "at 9:00am the 3615897 days after", kDatum, kInvalid, 2},
    {"the last day there is", "1 day after", At(9999, 12, 30, 12, 0), "9999-12-31 12:00:00", 1},
    {"past the last day", "1 day after", At(9999, 12, 31, 12, 0), kInvalid, 1},
    {"an invalid datum", "1 day after", COleDateTime(-1000000.0), kInvalid, 1},
};

class Schedules : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (CWin32Utils::GetEnvironmentVariable("ZENTAVO_TEST_LOCALE").empty())
            GTEST_SKIP() << "ZENTAVO_TEST_LOCALE not set";
    }
};
} // namespace

TEST_F(Schedules, TextsGiveTheirEventAndSendTime)
{
    for (const Row& row : kRows)
    {
        const auto event = CDateTimeRelativeScheduledEvent::Parse(row.m_Text);
        EXPECT_EQ(event != nullptr, CDateTimeRelativeScheduledEvent::IsValidScheduleText(row.m_Text)) << row.m_Case;
        if (!event)
        {
            EXPECT_EQ(kNoEvent, std::string(row.m_Expected)) << row.m_Case;
            continue;
        }
        EXPECT_EQ(row.m_Kind, event->GetKind()) << row.m_Case;
        const COleDateTime time = event->GetEventTime(row.m_Datum);
        const std::string text = time.GetStatus() == COleDateTime::valid ? time.Format("%Y-%m-%d %H:%M:%S") : kInvalid;
        EXPECT_EQ(row.m_Expected, text) << row.m_Case << ": " << row.m_Text;
    }
}

TEST_F(Schedules, EventsHoldTheirPeriodAndTimeOfDay)
{
    const auto fixed = CDateTimeRelativeScheduledEvent::Parse("15 minutes before");
    ASSERT_EQ(CDateTimeRelativeScheduledEvent::FixedPeriodRelativeToDatum, fixed->GetKind());
    EXPECT_DOUBLE_EQ(-15.0 / 1440,
                     static_cast<CDateTimeRelativeScheduledEvent_FixedPeriodRelativeToDatumEvent&>(*fixed)
                         .GetPeriod()
                         .GetTotalDays());

    const auto day = CDateTimeRelativeScheduledEvent::Parse("at 9:00am the 2 days before");
    ASSERT_EQ(CDateTimeRelativeScheduledEvent::DayRelativeToDatumAtSetTimeOfDay, day->GetKind());
    const auto& dayEvent = static_cast<CDateTimeRelativeScheduledEvent_DayRelativeToDatumEventAtSetTimeOfDay&>(*day);
    EXPECT_DOUBLE_EQ(-2.0, dayEvent.GetDayPeriod().GetTotalDays());
    EXPECT_DOUBLE_EQ(9.0 / 24, static_cast<DATE>(dayEvent.GetTimeOfDay()));
}

TEST_F(Schedules, EveryOfferedTextIsValid)
{
    for (const char* text :
         {"at 9:00am the day before", "at 9:00am the 2 days before", "0 minutes before", "15 minutes before",
          "30 minutes before", "45 minutes before", "1 hour before", "2 hour before", "4 hour before", "8 hour before",
          "12 hour before", "1 day before", "2 days before", "3 days before", "1 week before"})
        EXPECT_TRUE(CDateTimeRelativeScheduledEvent::IsValidScheduleText(text)) << text;
}
