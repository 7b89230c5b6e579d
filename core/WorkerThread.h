// Base of every background thread. A derived class implements Run, which
// polls IsStopRequested (or waits on m_StopEvent together with events of its
// own) and returns the thread's exit code. The base joins the thread to the
// multithreaded COM apartment unless the derived class clears
// m_COMInitialise in its constructor, reports whatever escapes Run to the
// event log, and signals the end.
//
// The owner's thread calls Start, RequestStop and WaitForThreadToFinish; the
// object must outlive its thread, which the destructor guarantees by joining.
// A derived class whose Run uses its own members stops and joins in its own
// destructor, before those members go.
//
// Every thread this module starts (CreateModuleThread; CWorkerThread uses it)
// holds a reference on the module until its last instruction, so the module
// is never unmapped under a running thread; ModuleThreadCount tells the
// module's DllCanUnloadNow that one still runs.
#pragma once

#include <windows.h>

#include <comdef.h>

#include <atomic>

#include "core/ScopedHandle.h"

// CreateThread for this module's own threads: the thread takes a reference
// on the module this code is linked into, runs start(parameter) and ends
// with FreeLibraryAndExitThread, its result as the exit code. Null, with
// the thread's error as the last error, when no thread starts.
HANDLE CreateModuleThread(LPTHREAD_START_ROUTINE start, void* parameter);
// Threads of CreateModuleThread that have not yet finished their own work.
LONG ModuleThreadCount();

class CWorkerThread
{
public:
    // hasFinishedEvent: the thread signals a finished event of its own,
    // which the join waits for instead of the thread handle.
    explicit CWorkerThread(bool hasFinishedEvent);
    // Requests the stop and joins. Never throws: when the join times out it
    // writes an error event and waits for the thread without limit.
    virtual ~CWorkerThread();

    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Throws _com_error E_FAIL "Thread already started" while a thread has
    // not been joined, "Could not create worker thread" when none starts.
    virtual void Start();
    // Start for an owner whose last join timed out: a thread that has ended
    // since is joined and a new one started; one still running is told to
    // carry on (its stop request withdrawn) and stays the object's thread.
    // A thread whose Run has returned for the stop is leaving: it is joined
    // and a new one started. A Run still under way when the stop is
    // withdrawn may return for it all the same; it is then run again on the
    // same thread. Otherwise Start.
    void StartOrResume();
    // Sets the stop event when a thread exists; returns at once.
    virtual void RequestStop();

    bool IsStopRequested(DWORD timeoutMs);

    // Waits up to 30000 ms for the end (the finished event, or the thread
    // itself: a thread the process ended at its exit never signals the
    // event), then closes the thread handle. messageWait uses
    // MsgWaitForMultipleObjects without a wake mask, so no message is
    // dispatched either way. Throws _com_error E_FAIL "Could not stop Engine
    // worker thread" on time-out; the thread handle then stays.
    void WaitForThreadToFinish(bool messageWait);

protected:
    virtual DWORD Run() = 0;

    CScopedKernelHandle m_StopEvent;   // manual reset
    CScopedKernelHandle m_Thread;      // null until started and after a join
    const bool m_HasFinishedEvent;
    CScopedKernelHandle m_FinishedEvent; // manual reset; only with hasFinishedEvent
    bool m_COMInitialise;
    bool m_JoinTimedOut = false;  // the thread outlived the last join

private:
    static DWORD WINAPI ThreadProc(LPVOID parameter);
    bool HasEnded() const;
    // Withdraws a stop that the thread has not acted on; false when it is
    // leaving.
    bool Resume();
    // After Run returned: true when a resume withdrew the stop it returned
    // for; otherwise the thread is leaving from now on.
    bool IsResumedAfterRun();
    DWORD RunReported() noexcept;
    void JoinAfterTimeOut(const _com_error& error) noexcept;
    DWORD WorkerThreadNS() noexcept;

    // Where the thread stands with a stop: none, requested, or leaving (its
    // Run returned with the stop requested). Set by both threads.
    std::atomic<int> m_StopState{0};
    std::atomic<bool> m_Resumed{false};  // a resume the thread has not yet taken up
};
