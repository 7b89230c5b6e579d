// The system's one lock: an unnamed Win32 mutex whose wait keeps the waiting
// thread's window messages flowing, taken only through the scoped CMutexLock.
//
//   CMutexLock lock(&m_Mutex, nullptr, "", -1, false);
//
// Win32 mutexes count nested acquisitions by their owner, so a thread may
// lock the same CMutex again inside its own guarded section.
#pragma once

#include <windows.h>

#include <string>

#include "core/ScopedHandle.h"

class CLogFile;

class CMutex
{
public:
    // Creates the mutex: default security, not owned, no name. A failed
    // creation leaves no handle, and every wait then fails at once.
    CMutex();
    virtual ~CMutex();

    CMutex(const CMutex&) = delete;
    CMutex& operator=(const CMutex&) = delete;

    // Replaces (and closes) any mutex this object held.
    bool Create(LPSECURITY_ATTRIBUTES security, bool initiallyOwned, const char* name);
    BOOL Close();
    BOOL Release();

    // Waits with message pumping (CWin32Utils::WaitForObjectPumpingMessages);
    // INFINITE waits without limit. True when the calling thread now owns the
    // mutex, an abandoned one included: its previous owner ended without
    // releasing it, and the caller must release it like any other.
    bool Wait(DWORD timeoutMs);

private:
    CScopedKernelHandle m_Handle;
};

// Holds a CMutex from construction to the end of its scope. When the wait
// fails the guarded code runs anyway without the mutex; with reporting on,
// the failure is written as an error event and as a "TR: " line to the log.
// The mutex and the log are borrowed and must outlive the lock.
class CMutexLock
{
public:
    // timeoutMs: -1 waits without limit.
    CMutexLock(CMutex* mutex, CLogFile* log, const std::string& context, int timeoutMs, bool report);
    ~CMutexLock();

    CMutexLock(const CMutexLock&) = delete;
    CMutexLock& operator=(const CMutexLock&) = delete;

    bool IsObtained() const { return m_Obtained; }

private:
    CMutex* m_Mutex;
    CLogFile* m_Log;
    std::string m_Context;
    bool m_Obtained;
    bool m_Report;
};
