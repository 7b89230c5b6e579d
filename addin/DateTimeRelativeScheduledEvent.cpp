#include "addin/DateTimeRelativeScheduledEvent.h"

#include "core/StringUtils.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

namespace
{
const char* const kDigits = "0123456789";

struct Unit
{
    const char* m_Word;
    double m_Days; // per count
};
// Searched in this order; the first found wins wherever it stands.
const Unit kUnits[] = {{"min", 1.0 / 1440}, {"hour", 1.0 / 24}, {"day", 1.0}, {"week", 7.0}};

// "<count><unit>": a leading run of digits (none means 1) and the first unit
// found after it. None when the count does not fit 32 bits or there is no
// unit.
std::optional<COleDateTimeSpan> ParseAmount(const std::string& amount)
{
    const std::string::size_type digitsEnd = std::min(amount.find_first_not_of(kDigits), amount.size());
    long count = 1;
    if (digitsEnd > 0)
    {
        errno = 0;
        const long long value = std::strtoll(amount.substr(0, digitsEnd).c_str(), nullptr, 10);
        if (errno == ERANGE || value > INT_MAX)
            return std::nullopt;
        count = static_cast<long>(value);
    }
    for (const Unit& unit : kUnits)
    {
        if (amount.find(unit.m_Word, digitsEnd) != std::string::npos)
            return COleDateTimeSpan(count * unit.m_Days);
    }
    return std::nullopt;
}

// "<amount> before" or "<amount> after"; whichever word comes first decides.
// None also when the period lies outside the span range.
std::optional<COleDateTimeSpan> ParsePeriod(const std::string& text)
{
    const std::string::size_type before = text.find("before");
    const std::string::size_type after = text.find("after");
    if (before == std::string::npos && after == std::string::npos)
        return std::nullopt;
    const bool isBefore = before < after;
    std::optional<COleDateTimeSpan> period = ParseAmount(Trim(text.substr(0, isBefore ? before : after)));
    if (period && isBefore)
        period = -*period;
    if (!period || period->GetStatus() != COleDateTimeSpan::valid)
        return std::nullopt;
    return period;
}

std::unique_ptr<CDateTimeRelativeScheduledEvent> ParseDayRelative(const std::string& text)
{
    const std::string::size_type timeStart = text.find_first_not_of(' ', 2);
    if (timeStart == std::string::npos)
        return nullptr;
    const std::string::size_type timeEnd = text.find(' ', timeStart);
    if (timeEnd == std::string::npos)
        return nullptr;
    const std::string timeText = Trim(text.substr(timeStart, timeEnd - timeStart));

    std::string::size_type restStart = text.find("the", timeEnd);
    restStart = restStart == std::string::npos ? timeEnd : restStart + 3;
    const std::optional<COleDateTimeSpan> period = ParsePeriod(Trim(text.substr(restStart)));
    if (!period)
        return nullptr;

    COleDateTime timeOfDay;
    if (!timeOfDay.ParseDateTime(timeText, VAR_TIMEVALUEONLY, LANG_USER_DEFAULT))
        return nullptr;
    return std::make_unique<CDateTimeRelativeScheduledEvent_DayRelativeToDatumEventAtSetTimeOfDay>(*period,
                                                                                                    timeOfDay);
}
} // namespace

CDateTimeRelativeScheduledEvent::~CDateTimeRelativeScheduledEvent() = default;

std::unique_ptr<CDateTimeRelativeScheduledEvent> CDateTimeRelativeScheduledEvent::Parse(
    const std::string& text) noexcept
{
    try
    {
        std::string copy = text;
        copy = Trim(ToLower(copy));
        if (copy.compare(0, 2, "at") == 0)
            return ParseDayRelative(copy);
        const std::optional<COleDateTimeSpan> period = ParsePeriod(copy);
        if (!period)
            return nullptr;
        return std::make_unique<CDateTimeRelativeScheduledEvent_FixedPeriodRelativeToDatumEvent>(*period);
    }
    catch (...)
    {
        // Nothing but a failed allocation can get here: no event.
        return nullptr;
    }
}

bool CDateTimeRelativeScheduledEvent::IsValidScheduleText(const std::string& text) noexcept
{
    return Parse(text) != nullptr;
}

CDateTimeRelativeScheduledEvent_FixedPeriodRelativeToDatumEvent::
    CDateTimeRelativeScheduledEvent_FixedPeriodRelativeToDatumEvent(const COleDateTimeSpan& period)
    : CDateTimeRelativeScheduledEvent(FixedPeriodRelativeToDatum), m_Period(period)
{
}

COleDateTime CDateTimeRelativeScheduledEvent_FixedPeriodRelativeToDatumEvent::GetEventTime(
    const COleDateTime& datum) const
{
    return datum + m_Period;
}

CDateTimeRelativeScheduledEvent_DayRelativeToDatumEventAtSetTimeOfDay::
    CDateTimeRelativeScheduledEvent_DayRelativeToDatumEventAtSetTimeOfDay(const COleDateTimeSpan& dayPeriod,
                                                                          const COleDateTime& timeOfDay)
    : CDateTimeRelativeScheduledEvent(DayRelativeToDatumAtSetTimeOfDay), m_DayPeriod(dayPeriod),
      m_TimeOfDay(timeOfDay)
{
}

COleDateTime CDateTimeRelativeScheduledEvent_DayRelativeToDatumEventAtSetTimeOfDay::GetEventTime(
    const COleDateTime& datum) const
{
    const COleDateTime day = datum + m_DayPeriod;
    // An invalid day or time gives -1 fields, which the constructor refuses.
    return COleDateTime(day.GetYear(), day.GetMonth(), day.GetDay(), m_TimeOfDay.GetHour(), m_TimeOfDay.GetMinute(),
                        m_TimeOfDay.GetSecond());
}
