#include "addin/InfiniteLoopBreaker.h"

CInfiniteLoopBreaker::CInfiniteLoopBreaker(unsigned limit, DWORD windowMilliseconds)
    : m_Limit(limit), m_WindowMilliseconds(windowMilliseconds)
{
}

bool CInfiniteLoopBreaker::IsSuspectedLoop(const std::wstring& key)
{
    CTickCountTime now;
    now.SetToNow();
    return IsSuspectedLoop(key, now);
}

bool CInfiniteLoopBreaker::IsSuspectedLoop(const std::wstring& key, const CTickCountTime& now)
{
    CTickCountTime windowEnd = m_LastTick;
    windowEnd += m_WindowMilliseconds;
    if (key == m_LastKey && !m_LastTick.IsNull() && !(now > windowEnd))
    {
        m_LastTick = now;
        return m_Count++ >= m_Limit;
    }
    m_LastKey = key;
    m_LastTick = now;
    m_Count = 0;
    return false;
}

void CInfiniteLoopBreaker::SetLastTickToNow()
{
    m_LastTick.SetToNow();
}
