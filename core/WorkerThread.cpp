#include "core/WorkerThread.h"

#include <atomic>
#include <memory>
#include <optional>

#include "core/ErrorReports.h"
#include "core/ScopedComApartment.h"

namespace
{
const DWORD kJoinTimeoutMs = 30000;
const char* const kThreadContext = "CSMSEngine::WorkerThreadNS";

// CWorkerThread::m_StopState
const int kNoStop = 0;
const int kStopRequested = 1;
const int kLeaving = 2;

HANDLE CreateManualResetEvent()
{
    return ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

std::atomic<LONG> g_ModuleThreads{0};

struct CModuleThreadStart
{
    LPTHREAD_START_ROUTINE m_Start;
    void* m_Parameter;
    HMODULE m_Module;
};

DWORD WINAPI ModuleThreadProc(LPVOID parameter)
{
    const CModuleThreadStart start = *static_cast<CModuleThreadStart*>(parameter);
    delete static_cast<CModuleThreadStart*>(parameter);
    const DWORD result = start.m_Start(start.m_Parameter);
    --g_ModuleThreads;
    // The module may go with this reference: nothing of it runs after the call.
    ::FreeLibraryAndExitThread(start.m_Module, result);
    return result;
}
} // namespace

HANDLE CreateModuleThread(LPTHREAD_START_ROUTINE start, void* parameter)
{
    auto block = std::make_unique<CModuleThreadStart>(CModuleThreadStart{start, parameter, nullptr});
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(reinterpret_cast<void*>(&ModuleThreadProc)), &block->m_Module))
        return nullptr;
    ++g_ModuleThreads;
    HANDLE thread = ::CreateThread(nullptr, 0, &ModuleThreadProc, block.get(), 0, nullptr);
    if (!thread)
    {
        const DWORD error = ::GetLastError();
        --g_ModuleThreads;
        ::FreeLibrary(block->m_Module);
        ::SetLastError(error);
        return nullptr;
    }
    block.release();
    return thread;
}

LONG ModuleThreadCount()
{
    return g_ModuleThreads.load();
}

CWorkerThread::CWorkerThread(bool hasFinishedEvent)
    : m_StopEvent(CreateManualResetEvent()), m_HasFinishedEvent(hasFinishedEvent), m_COMInitialise(true)
{
    if (m_HasFinishedEvent)
        m_FinishedEvent.reset(CreateManualResetEvent());
}

CWorkerThread::~CWorkerThread()
{
    RequestStop();
    try
    {
        WaitForThreadToFinish(false);
    }
    catch (const _com_error& e)
    {
        JoinAfterTimeOut(e);
    }
    catch (...)
    {
        JoinAfterTimeOut(_com_error(E_FAIL));
    }
}

// The thread still uses this object: it must end before the object goes,
// however long that takes.
void CWorkerThread::JoinAfterTimeOut(const _com_error& error) noexcept
{
    try
    {
        ReportCOMException(error, "CWorkerThread::~CWorkerThread");
    }
    catch (...)
    {
    }
    ::WaitForSingleObject(m_Thread.get(), INFINITE);
}

void CWorkerThread::Start()
{
    if (m_Thread)
        ThrowCOMError(E_FAIL, L"Thread already started");
    ::ResetEvent(m_StopEvent.get());
    if (m_FinishedEvent)
        ::ResetEvent(m_FinishedEvent.get());
    m_StopState = kNoStop;
    m_Resumed = false;
    m_Thread.reset(CreateModuleThread(&CWorkerThread::ThreadProc, this));
    if (!m_Thread)
        ThrowCOMError(E_FAIL, L"Could not create worker thread");
}

void CWorkerThread::StartOrResume()
{
    if (m_Thread && m_JoinTimedOut)
    {
        m_JoinTimedOut = false;
        if (!HasEnded() && Resume())
            return;
        WaitForThreadToFinish(false);
    }
    Start();
}

// The thread may have seen the stop already: kept with its Run still under
// way, it runs Run again when that returns; once Run has returned for the
// stop it is on its way out, and keeping it would leave nothing to serve.
bool CWorkerThread::Resume()
{
    m_Resumed = true;
    ::ResetEvent(m_StopEvent.get());
    int state = kStopRequested;
    if (m_StopState.compare_exchange_strong(state, kNoStop))
        return true;
    m_Resumed = false;
    return state == kNoStop;
}

bool CWorkerThread::IsResumedAfterRun()
{
    int state = kStopRequested;
    if (m_StopState.compare_exchange_strong(state, kLeaving))
        return false;
    if (state == kNoStop && m_Resumed.exchange(false))
        return true;
    m_StopState = kLeaving;
    return false;
}

bool CWorkerThread::HasEnded() const
{
    const HANDLE ends[2] = {m_Thread.get(), m_FinishedEvent.get()};
    return ::WaitForMultipleObjects(m_FinishedEvent ? 2 : 1, ends, FALSE, 0) != WAIT_TIMEOUT;
}

void CWorkerThread::RequestStop()
{
    if (!m_Thread)
        return;
    int state = kNoStop;
    m_StopState.compare_exchange_strong(state, kStopRequested);
    ::SetEvent(m_StopEvent.get());
}

bool CWorkerThread::IsStopRequested(DWORD timeoutMs)
{
    return ::WaitForSingleObject(m_StopEvent.get(), timeoutMs) == WAIT_OBJECT_0;
}

void CWorkerThread::WaitForThreadToFinish(bool messageWait)
{
    if (!m_Thread)
        return;
    // The finished event first; a thread that ends on the module's own
    // unload signals it before that, and one the process ends signals
    // nothing but its handle.
    HANDLE handles[2] = {m_Thread.get(), nullptr};
    DWORD count = 1;
    if (m_FinishedEvent)
    {
        handles[0] = m_FinishedEvent.get();
        handles[1] = m_Thread.get();
        count = 2;
    }
    const DWORD start = ::GetTickCount();
    DWORD result = messageWait ? ::MsgWaitForMultipleObjects(count, handles, FALSE, kJoinTimeoutMs, 0)
                               : ::WaitForMultipleObjects(count, handles, FALSE, kJoinTimeoutMs);
    if (result == WAIT_OBJECT_0 + count)
    {
        // The message queue ended the wait though no wake mask asks for it
        // (Wine does so at times). Nothing is dispatched here either way, so
        // the join goes on for the rest of its time.
        const DWORD elapsed = ::GetTickCount() - start;
        result = ::WaitForMultipleObjects(count, handles, FALSE, elapsed < kJoinTimeoutMs ? kJoinTimeoutMs - elapsed : 0);
    }
    m_JoinTimedOut = result >= WAIT_OBJECT_0 + count;
    if (m_JoinTimedOut)
        ThrowCOMError(E_FAIL, L"Could not stop Engine worker thread");
    m_Thread.reset();
}

DWORD WINAPI CWorkerThread::ThreadProc(LPVOID parameter)
{
    return static_cast<CWorkerThread*>(parameter)->WorkerThreadNS();
}

DWORD CWorkerThread::WorkerThreadNS() noexcept
{
    DWORD result = 0;
    {
        std::optional<CScopedComApartment> apartment;
        if (m_COMInitialise)
            apartment.emplace(COINIT_MULTITHREADED);
        do
            result = RunReported();
        while (IsResumedAfterRun());
    }
    if (m_FinishedEvent)
        ::SetEvent(m_FinishedEvent.get());
    return result;
}

DWORD CWorkerThread::RunReported() noexcept
{
    try
    {
        return Run();
    }
    catch (...)
    {
        ReportCurrentException(kThreadContext);
    }
    return 0;
}
