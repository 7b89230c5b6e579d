#include "platform/OleDateTime.h"

#include <comdef.h>

#include <cmath>
#include <ctime>

namespace
{
// A DATE as a point on a straight time line: before 30 December 1899 the
// integer part counts days back but the fraction still runs forwards.
double LinearFromDate(DATE date)
{
    if (date >= 0)
        return date;
    const double day = std::ceil(date);
    return day - (date - day);
}

DATE DateFromLinear(double value)
{
    if (value >= 0)
        return value;
    const double day = std::floor(value);
    return day + (day - value);
}

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && COleDateTime::IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::wstring Widen(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}
} // namespace

const char* const COleDateTime::kInvalidText = "Invalid DateTime";

bool COleDateTime::IsLeapYear(int year) noexcept
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

COleDateTimeSpan::COleDateTimeSpan(double days) noexcept
    : m_span(days), m_status(std::fabs(days) <= kMaxDays ? valid : invalid)
{
}

COleDateTimeSpan COleDateTimeSpan::operator-() const noexcept
{
    COleDateTimeSpan negated(-m_span);
    if (m_status != valid)
        negated.m_status = m_status;
    return negated;
}

COleDateTime::COleDateTime(DATE date) noexcept
    : m_dt(date), m_status(date >= kMinDate && date <= kMaxDate ? valid : invalid)
{
}

COleDateTime::COleDateTime(const SYSTEMTIME& time) noexcept : m_dt(0), m_status(valid)
{
    SetDateTime(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
}

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second) noexcept
    : m_dt(0), m_status(valid)
{
    SetDateTime(year, month, day, hour, minute, second);
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second) noexcept
{
    // VarDateFromUdate would roll a 31 April over into May: check first.
    const bool inRange = year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
                         day <= DaysInMonth(year, month) && hour >= 0 && hour <= 23 && minute >= 0 &&
                         minute <= 59 && second >= 0 && second <= 59;
    UDATE fields = {};
    fields.st.wYear = static_cast<WORD>(year);
    fields.st.wMonth = static_cast<WORD>(month);
    fields.st.wDay = static_cast<WORD>(day);
    fields.st.wHour = static_cast<WORD>(hour);
    fields.st.wMinute = static_cast<WORD>(minute);
    fields.st.wSecond = static_cast<WORD>(second);
    DATE date = 0;
    if (inRange && SUCCEEDED(::VarDateFromUdate(&fields, 0, &date)))
    {
        m_dt = date;
        m_status = valid;
        return 0;
    }
    m_dt = 0;
    m_status = invalid;
    return 1;
}

bool COleDateTime::GetAsUdate(UDATE& fields) const noexcept
{
    return m_status == valid && SUCCEEDED(::VarUdateFromDate(m_dt, 0, &fields));
}

int COleDateTime::GetField(WORD SYSTEMTIME::*field) const noexcept
{
    UDATE fields;
    return GetAsUdate(fields) ? fields.st.*field : -1;
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& time) const noexcept
{
    UDATE fields;
    if (!GetAsUdate(fields))
        return false;
    time = fields.st;
    time.wMilliseconds = 0;
    return true;
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& span) const noexcept
{
    if (m_status != valid || span.GetStatus() != COleDateTimeSpan::valid)
    {
        COleDateTime result;
        result.m_status = invalid;
        return result;
    }
    return COleDateTime(DateFromLinear(LinearFromDate(m_dt) + span.GetTotalDays()));
}

COleDateTime COleDateTime::operator-(const COleDateTimeSpan& span) const noexcept
{
    return *this + (-span);
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& other) const noexcept
{
    COleDateTimeSpan difference(LinearFromDate(m_dt) - LinearFromDate(other.m_dt));
    if (m_status != valid || other.m_status != valid)
        difference.SetStatus(COleDateTimeSpan::invalid);
    return difference;
}

bool COleDateTime::ParseDateTime(const std::string& text, DWORD flags, LCID locale)
{
    std::wstring wide = Widen(text);
    DATE date = 0;
    if (SUCCEEDED(::VarDateFromStr(&wide[0], locale, flags, &date)))
    {
        m_dt = date;
        m_status = valid;
        return true;
    }
    m_dt = 0;
    m_status = invalid;
    return false;
}

std::string COleDateTime::Format(DWORD flags, LCID locale) const
{
    BSTR text = nullptr;
    if (m_status != valid || FAILED(::VarBstrFromDate(m_dt, locale, flags, &text)))
        return kInvalidText;
    const _bstr_t owned(text, false);
    const char* narrow = owned;
    return narrow ? narrow : "";
}

std::string COleDateTime::Format(const char* pattern) const
{
    UDATE fields;
    if (!GetAsUdate(fields))
        return kInvalidText;
    std::tm parts = {};
    parts.tm_year = fields.st.wYear - 1900;
    parts.tm_mon = fields.st.wMonth - 1;
    parts.tm_mday = fields.st.wDay;
    parts.tm_hour = fields.st.wHour;
    parts.tm_min = fields.st.wMinute;
    parts.tm_sec = fields.st.wSecond;
    parts.tm_wday = fields.st.wDayOfWeek;
    parts.tm_yday = fields.wDayOfYear - 1;
    parts.tm_isdst = -1;
    char buffer[256];
    const size_t length = std::strftime(buffer, sizeof buffer, pattern, &parts);
    return std::string(buffer, length);
}
