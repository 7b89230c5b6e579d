#include "core/Mutex.h"

#include "core/ErrorReports.h"
#include "core/LogFile.h"
#include "core/Win32Utils.h"

namespace
{
const WORD kEventTypeError = EVENTLOG_ERROR_TYPE;
const WORD kEventTypeWarning = EVENTLOG_WARNING_TYPE;

void ReportLockProblem(WORD eventType, const std::string& text, CLogFile* log)
{
    CEventLogger::WriteEvent(eventType, text, GetEventLogSourceName());
    CLogFile::WriteLine(log, "TR: " + text);
}
} // namespace

CMutex::CMutex()
{
    Create(nullptr, false, nullptr);
}

CMutex::~CMutex() = default;

bool CMutex::Create(LPSECURITY_ATTRIBUTES security, bool initiallyOwned, const char* name)
{
    m_Handle.reset(::CreateMutexA(security, initiallyOwned ? TRUE : FALSE, name));
    return static_cast<bool>(m_Handle);
}

BOOL CMutex::Close()
{
    return ::CloseHandle(m_Handle.release());
}

BOOL CMutex::Release()
{
    return ::ReleaseMutex(m_Handle.get());
}

bool CMutex::Wait(DWORD timeoutMs)
{
    const DWORD result = CWin32Utils::WaitForObjectPumpingMessages(m_Handle.get(), timeoutMs);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

CMutexLock::CMutexLock(CMutex* mutex, CLogFile* log, const std::string& context, int timeoutMs, bool report)
    : m_Mutex(mutex), m_Log(log), m_Context(context), m_Obtained(false), m_Report(report)
{
    m_Obtained = m_Mutex && m_Mutex->Wait(static_cast<DWORD>(timeoutMs));
    if (!m_Obtained && m_Report)
        ReportLockProblem(kEventTypeError,
                          m_Context + " - CMutexLock::CMutexLock - Unable to obtain mutex in the given timeout", m_Log);
}

CMutexLock::~CMutexLock()
{
    if (m_Obtained)
    {
        m_Mutex->Release();
        return;
    }
    if (!m_Report)
        return;
    try
    {
        ReportLockProblem(
            kEventTypeWarning,
            m_Context + " - CMutexLock::~CMutexLock - Mutex release was unnecessary as was mutex was never obtained",
            m_Log);
    }
    catch (...)
    {
        // A destructor reports what it can and lets nothing out.
    }
}
