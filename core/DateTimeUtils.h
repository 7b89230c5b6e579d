// Time helpers for the gateway protocols and the internal schedules: SYSTEMTIME
// differences, Unix time, the local time as ISO 8601 text with the local
// zone offset, a tick-count time point that survives the wrap of
// GetTickCount, and a file-existence test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CDateTimeUtils
{
public:
    virtual ~CDateTimeUtils();

    // time2 - time1 in 100 ns units. Throws _com_error (HRESULT of the Win32
    // error) when either time is not a valid SYSTEMTIME.
    static std::int64_t GetDateDiff100nSecs(const SYSTEMTIME& time1, const SYSTEMTIME& time2);
    // Truncated towards zero.
    static std::int64_t GetDateDiffSeconds(const SYSTEMTIME& time1, const SYSTEMTIME& time2);
    static std::int64_t GetDateDiffMinutes(const SYSTEMTIME& time1, const SYSTEMTIME& time2);

    // Never fail visibly: an invalid time gives -11644473600, and an
    // unrepresentable Unix time leaves the out value as FileTimeToSystemTime
    // leaves it.
    static void SystemTimeToUnixTime(const SYSTEMTIME& time, std::int64_t& unixTime);
    static void UnixTimeToSystemTime(std::uint64_t unixTime, SYSTEMTIME& time);

    // "2024-03-05T09:07:00+01:00" for a local time of the current zone, the
    // offset being that zone's at that time (summer time included). Throws
    // _com_error when Windows cannot convert the time (years before 1601).
    static std::string GetLocalTimeWithTimeZoneOffset(const SYSTEMTIME& localTime);
};

// TzSpecificLocalTimeToSystemTime, bound at run time from Kernel32.dll.
// The availability is looked up once. The call throws CGeneralException when
// the function cannot be found.
bool IsTzSpecificLocalTimeToSystemTimeAvailable();
BOOL CallTzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* timeZone, const SYSTEMTIME* localTime,
                                         SYSTEMTIME* universalTime);

// A millisecond point on the GetTickCount clock, or null. Comparisons are
// right across the 49.7-day wrap for times less than about 24.8 days apart;
// a null time is earlier than any set time.
class CTickCountTime
{
public:
    CTickCountTime();
    explicit CTickCountTime(DWORD tick);
    ~CTickCountTime();

    void SetToNow();
    void SetNull();
    bool IsNull() const { return m_Null; }
    DWORD GetTick() const { return m_Tick; }

    // Modulo 2^32; a null time stays null.
    CTickCountTime& operator+=(DWORD milliseconds);
    CTickCountTime& operator-=(DWORD milliseconds);

    bool operator<(const CTickCountTime& other) const;
    bool operator>(const CTickCountTime& other) const;

private:
    bool m_Null;
    DWORD m_Tick;
};

// True when the path's attributes can be read; a directory counts.
bool FileExists(const char* path);
