// A guard for saves made from inside an item's own change event: saving the
// item raises the event again. A key (the item's EntryID) that keeps coming
// back, each time within the window of the last, is taken for a loop once
// it has come back more than the limit allows. Times are GetTickCount
// points compared modulo 2^32, so the window keeps working after the tick
// count wraps at 49.7 days.
#pragma once

#include "core/DateTimeUtils.h"

#include <windows.h>

#include <string>

class CInfiniteLoopBreaker
{
public:
    CInfiniteLoopBreaker(unsigned limit = 3, DWORD windowMilliseconds = 500);

    // Same key as last time and now no later than the last tick plus the
    // window: the last tick becomes now and the repeat count goes up; true
    // when it already stood at the limit. Otherwise the key is remembered
    // with now and a count of 0, and the answer is false.
    bool IsSuspectedLoop(const std::wstring& key);
    bool IsSuspectedLoop(const std::wstring& key, const CTickCountTime& now);

    // Restarts the window, at the end of a save the guard let through.
    void SetLastTickToNow();
    void SetLastTick(const CTickCountTime& tick) { m_LastTick = tick; }

private:
    unsigned m_Limit;
    DWORD m_WindowMilliseconds;
    std::wstring m_LastKey;
    CTickCountTime m_LastTick;  // null until the first call
    unsigned m_Count = 0;
};
