// When an SMS reminder goes out, relative to its appointment's start: a
// short English schedule text ("15 minutes before", "at 9:00am the day
// before") parsed into an event that computes the send time from a datum.
//
// Parse reads "<amount><unit> before|after" as a fixed period and
// "at <time> [the] <amount><unit> before|after" as a day relative to the
// datum at a set time of day; units are "min", "hour", "day" and "week",
// a missing count is 1. The time of day is read in the user's locale.
#pragma once

#include "platform/OleDateTime.h"

#include <cstdint>
#include <memory>
#include <string>

class CDateTimeRelativeScheduledEvent
{
public:
    enum Kind : std::int32_t
    {
        FixedPeriodRelativeToDatum = 1,
        DayRelativeToDatumAtSetTimeOfDay = 2,
    };

    virtual ~CDateTimeRelativeScheduledEvent();

    // A new event owned by the caller, or none when the text is not a
    // schedule (a count beyond 32 bits or a period beyond the span range
    // included). Never throws.
    static std::unique_ptr<CDateTimeRelativeScheduledEvent> Parse(const std::string& text) noexcept;
    static bool IsValidScheduleText(const std::string& text) noexcept;

    // The send time; invalid when it cannot be formed or falls outside the
    // OLE date range.
    virtual COleDateTime GetEventTime(const COleDateTime& datum) const = 0;

    Kind GetKind() const { return m_Kind; }

protected:
    explicit CDateTimeRelativeScheduledEvent(Kind kind) : m_Kind(kind) {}

private:
    Kind m_Kind;
};

// The datum plus a signed period; negative is before the datum.
class CDateTimeRelativeScheduledEvent_FixedPeriodRelativeToDatumEvent : public CDateTimeRelativeScheduledEvent
{
public:
    explicit CDateTimeRelativeScheduledEvent_FixedPeriodRelativeToDatumEvent(const COleDateTimeSpan& period);

    COleDateTime GetEventTime(const COleDateTime& datum) const override;
    const COleDateTimeSpan& GetPeriod() const { return m_Period; }

private:
    COleDateTimeSpan m_Period;
};

// The calendar day of the datum plus a period, at a wall-clock time of day:
// it works on calendar fields, so a change of daylight saving in between
// does not move the time.
class CDateTimeRelativeScheduledEvent_DayRelativeToDatumEventAtSetTimeOfDay : public CDateTimeRelativeScheduledEvent
{
public:
    CDateTimeRelativeScheduledEvent_DayRelativeToDatumEventAtSetTimeOfDay(const COleDateTimeSpan& dayPeriod,
                                                                          const COleDateTime& timeOfDay);

    COleDateTime GetEventTime(const COleDateTime& datum) const override;
    const COleDateTimeSpan& GetDayPeriod() const { return m_DayPeriod; }
    const COleDateTime& GetTimeOfDay() const { return m_TimeOfDay; }

private:
    COleDateTimeSpan m_DayPeriod;
    COleDateTime m_TimeOfDay;
};
