#include "core/DateTimeUtils.h"

#include <atomic>
#include <cstdlib>
#include <iomanip>
#include <sstream>

#include "core/ErrorReports.h"
#include "core/Win32Utils.h"

namespace
{
const std::int64_t kUnixEpochAsFileTime = 116444736000000000LL;
const std::int64_t kSecondsFrom1601To1970 = 11644473600LL;
const std::int64_t k100nsPerSecond = 10000000LL;
const DWORD kHalfTickRange = 0x80000000u;
const char* const kTzSpecificName = "TzSpecificLocalTimeToSystemTime";

using TzSpecificFunction = decltype(&::TzSpecificLocalTimeToSystemTime);

enum : int
{
    kNotLookedUp,
    kAvailable,
    kMissing
};
std::atomic<int> s_TzSpecificAvailability{kNotLookedUp};
std::atomic<TzSpecificFunction> s_TzSpecific{nullptr};

std::int64_t FileTimeValue(const FILETIME& fileTime)
{
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) |
                                     fileTime.dwLowDateTime);
}

// Local minus UTC, in minutes, for a local time of the current zone.
std::int64_t LocalZoneOffsetMinutes(const SYSTEMTIME& localTime)
{
    if (IsTzSpecificLocalTimeToSystemTimeAvailable())
    {
        SYSTEMTIME utc = {};
        if (!CallTzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utc))
            ThrowCOMError(HResultFromLastError(),
                          L"CXMLWriter::AddInnerText_LocalTimeWithTimeZoneOffset - "
                          L"TzSpecificLocalTimeToSystemTime failed");
        return CDateTimeUtils::GetDateDiffMinutes(utc, localTime);
    }
    // Older systems: shift the time as if it were UTC; the offset at the
    // shifted instant stands for the offset at the local time.
    SYSTEMTIME shifted = {};
    ::SystemTimeToTzSpecificLocalTime(nullptr, &localTime, &shifted);
    return -CDateTimeUtils::GetDateDiffMinutes(shifted, localTime);
}
} // namespace

CDateTimeUtils::~CDateTimeUtils() = default;

std::int64_t CDateTimeUtils::GetDateDiff100nSecs(const SYSTEMTIME& time1, const SYSTEMTIME& time2)
{
    FILETIME fileTime1 = {};
    FILETIME fileTime2 = {};
    if (!::SystemTimeToFileTime(&time1, &fileTime1))
        ThrowCOMError(HResultFromLastError(),
                      L"CDateTimeUtils::GetDateDiff100nSecs - SystemTimeToFileTime(Time1) failed");
    if (!::SystemTimeToFileTime(&time2, &fileTime2))
        ThrowCOMError(HResultFromLastError(),
                      L"CDateTimeUtils::GetDateDiff100nSecs - SystemTimeToFileTime(Time2) failed");
    return FileTimeValue(fileTime2) - FileTimeValue(fileTime1);
}

std::int64_t CDateTimeUtils::GetDateDiffSeconds(const SYSTEMTIME& time1, const SYSTEMTIME& time2)
{
    return GetDateDiff100nSecs(time1, time2) / k100nsPerSecond;
}

std::int64_t CDateTimeUtils::GetDateDiffMinutes(const SYSTEMTIME& time1, const SYSTEMTIME& time2)
{
    return GetDateDiffSeconds(time1, time2) / 60;
}

void CDateTimeUtils::SystemTimeToUnixTime(const SYSTEMTIME& time, std::int64_t& unixTime)
{
    FILETIME fileTime = {};
    ::SystemTimeToFileTime(&time, &fileTime);
    unixTime = (FileTimeValue(fileTime) - kUnixEpochAsFileTime) / k100nsPerSecond;
}

void CDateTimeUtils::UnixTimeToSystemTime(std::uint64_t unixTime, SYSTEMTIME& time)
{
    const std::uint64_t value = (unixTime + kSecondsFrom1601To1970) * k100nsPerSecond;
    FILETIME fileTime;
    fileTime.dwLowDateTime = static_cast<DWORD>(value);
    fileTime.dwHighDateTime = static_cast<DWORD>(value >> 32);
    ::FileTimeToSystemTime(&fileTime, &time);
}

std::string CDateTimeUtils::GetLocalTimeWithTimeZoneOffset(const SYSTEMTIME& localTime)
{
    std::ostringstream text;
    text << std::setfill('0') << std::setw(4) << localTime.wYear << '-' << std::setw(2) << localTime.wMonth << '-'
         << std::setw(2) << localTime.wDay << 'T' << std::setw(2) << localTime.wHour << ':' << std::setw(2)
         << localTime.wMinute << ':' << std::setw(2) << localTime.wSecond;

    const std::int32_t offset = static_cast<std::int32_t>(LocalZoneOffsetMinutes(localTime));
    const std::int32_t hours = offset / 60;
    text << (offset < 0 ? '-' : '+') << std::setw(2) << std::abs(hours) << ':' << std::setw(2)
         << std::abs(offset - hours * 60);
    return text.str();
}

bool IsTzSpecificLocalTimeToSystemTimeAvailable()
{
    int availability = s_TzSpecificAvailability.load();
    if (availability == kNotLookedUp)
    {
        const HMODULE kernel32 = CRuntimeLinkedDLL::LoadDLL(g_Kernel32DLLName, &g_Kernel32DLL);
        availability = ::GetProcAddress(kernel32, kTzSpecificName) ? kAvailable : kMissing;
        s_TzSpecificAvailability.store(availability);
    }
    return availability == kAvailable;
}

BOOL CallTzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* timeZone, const SYSTEMTIME* localTime,
                                         SYSTEMTIME* universalTime)
{
    TzSpecificFunction function = s_TzSpecific.load();
    if (!function)
    {
        const FARPROC address = CRuntimeLinkedDLL::GetFunction(g_Kernel32DLLName, &g_Kernel32DLL, kTzSpecificName);
        function = reinterpret_cast<TzSpecificFunction>(reinterpret_cast<void*>(address));
        s_TzSpecific.store(function);
    }
    return function(timeZone, localTime, universalTime);
}

CTickCountTime::CTickCountTime() : m_Null(true), m_Tick(0)
{
}

CTickCountTime::CTickCountTime(DWORD tick) : m_Null(false), m_Tick(tick)
{
}

CTickCountTime::~CTickCountTime() = default;

void CTickCountTime::SetToNow()
{
    m_Tick = ::GetTickCount();
    m_Null = false;
}

void CTickCountTime::SetNull()
{
    m_Null = true;
    m_Tick = 0;
}

CTickCountTime& CTickCountTime::operator+=(DWORD milliseconds)
{
    if (!m_Null)
        m_Tick += milliseconds;
    return *this;
}

CTickCountTime& CTickCountTime::operator-=(DWORD milliseconds)
{
    if (!m_Null)
        m_Tick -= milliseconds;
    return *this;
}

bool CTickCountTime::operator<(const CTickCountTime& other) const
{
    if (m_Null)
        return true;
    if (other.m_Null)
        return false;
    const DWORD distance = other.m_Tick - m_Tick;
    if (distance == kHalfTickRange)
        return m_Tick >= kHalfTickRange;
    return distance != 0 && distance < kHalfTickRange;
}

bool CTickCountTime::operator>(const CTickCountTime& other) const
{
    if (m_Null)
        return false;
    if (other.m_Null)
        return true;
    const DWORD distance = other.m_Tick - m_Tick;
    if (distance == kHalfTickRange)
        return m_Tick < kHalfTickRange;
    return distance > kHalfTickRange;
}

bool FileExists(const char* path)
{
    return ::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}
