// OLE Automation dates and periods: a DATE (days since 30 December 1899,
// the fraction being the time of day) or a period in days, each with a
// status. Calendar fields, text conversions and rounding are OLE
// Automation's own (VarUdateFromDate, VarDateFromStr, VarBstrFromDate), so
// results follow the user's locale as Outlook's do.
//
// Failures are values, not exceptions: a conversion that fails leaves an
// invalid value, and an invalid value gives -1 for every field and
// kInvalidText from both Format forms.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

class COleDateTimeSpan
{
public:
    enum DateTimeSpanStatus
    {
        valid = 0,
        invalid = 1,
    };

    // Periods beyond this many days either way are invalid.
    static constexpr double kMaxDays = 3615897.0;

    COleDateTimeSpan() noexcept : m_span(0), m_status(valid) {}
    COleDateTimeSpan(double days) noexcept;

    DateTimeSpanStatus GetStatus() const noexcept { return m_status; }
    void SetStatus(DateTimeSpanStatus status) noexcept { m_status = status; }
    double GetTotalDays() const noexcept { return m_span; }
    operator double() const noexcept { return m_span; }

    // Invalid when the negated period falls outside the range (it cannot).
    COleDateTimeSpan operator-() const noexcept;

private:
    double m_span;
    DateTimeSpanStatus m_status;
};

class COleDateTime
{
public:
    enum DateTimeStatus
    {
        valid = 0,
        invalid = 1,
    };

    // The range OLE Automation can split into calendar fields: 1 January 100
    // to 31 December 9999.
    static constexpr DATE kMinDate = -657434.0;
    static constexpr DATE kMaxDate = 2958465.99999;

    // 30 December 1899, midnight.
    COleDateTime() noexcept : m_dt(0), m_status(valid) {}
    // Invalid outside the range above.
    COleDateTime(DATE date) noexcept;
    COleDateTime(const SYSTEMTIME& time) noexcept;
    COleDateTime(int year, int month, int day, int hour, int minute, int second) noexcept;

    DateTimeStatus GetStatus() const noexcept { return m_status; }
    void SetStatus(DateTimeStatus status) noexcept { m_status = status; }
    operator DATE() const noexcept { return m_dt; }

    // Every field in range (year 100 to 9999, a day that exists in that
    // month, 0-23, 0-59, 0-59), else the value becomes invalid. Returns 0 on
    // success, 1 otherwise, as ATL does.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second) noexcept;

    // Fields rounded to the nearest second; -1 when the value is invalid.
    int GetYear() const noexcept { return GetField(&SYSTEMTIME::wYear); }
    int GetMonth() const noexcept { return GetField(&SYSTEMTIME::wMonth); }
    int GetDay() const noexcept { return GetField(&SYSTEMTIME::wDay); }
    int GetHour() const noexcept { return GetField(&SYSTEMTIME::wHour); }
    int GetMinute() const noexcept { return GetField(&SYSTEMTIME::wMinute); }
    int GetSecond() const noexcept { return GetField(&SYSTEMTIME::wSecond); }
    bool GetAsSystemTime(SYSTEMTIME& time) const noexcept;

    // Date arithmetic as on a time line: before 30 December 1899 the
    // fraction of a DATE counts forwards from the (negative) day, so the
    // value is straightened out first and bent back after. Invalid when
    // either side is invalid or the result leaves the range.
    COleDateTime operator+(const COleDateTimeSpan& span) const noexcept;
    COleDateTime operator-(const COleDateTimeSpan& span) const noexcept;
    // Invalid when either side is invalid.
    COleDateTimeSpan operator-(const COleDateTime& other) const noexcept;

    // VarDateFromStr with the flags (VAR_TIMEVALUEONLY, VAR_DATEVALUEONLY,
    // LOCALE_NOUSEROVERRIDE) and locale; the narrow text is in the system
    // code page. False, and the value invalid, when the text is not a date.
    bool ParseDateTime(const std::string& text, DWORD flags = 0, LCID locale = LANG_USER_DEFAULT);

    // VarBstrFromDate with the flags and locale, as narrow text.
    std::string Format(DWORD flags = 0, LCID locale = LANG_USER_DEFAULT) const;
    // strftime patterns ("%d/%m/%Y %H:%M") over the rounded fields; a
    // result over 255 characters gives "".
    std::string Format(const char* pattern) const;
    // What both Format forms give for an invalid value.
    static const char* const kInvalidText;

    // The Gregorian rule, for any year.
    static bool IsLeapYear(int year) noexcept;

private:
    bool GetAsUdate(UDATE& fields) const noexcept;
    int GetField(WORD SYSTEMTIME::*field) const noexcept;

    DATE m_dt;
    DateTimeStatus m_status;
};
