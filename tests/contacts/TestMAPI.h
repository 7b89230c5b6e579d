// The test MAPI's script exports, bound at run time from whichever
// mapi32.dll this process loads: IsOurs is false under another MAPI.
#pragma once

#include <windows.h>

#include <string>

#include "core/ScopedHandle.h"
#include "tests/support/mapi32/TestMAPIScript.h"

class CTestMAPI
{
public:
    CTestMAPI();
    ~CTestMAPI();
    CTestMAPI(const CTestMAPI&) = delete;
    CTestMAPI& operator=(const CTestMAPI&) = delete;

    bool IsOurs() const { return m_Reset != nullptr; }

    void Reset() const { m_Reset(); }
    void AddContainer(const char* entryId, const char* name, bool hasContentsTable) const
    {
        m_AddContainer(entryId, name, hasContentsTable);
    }
    void AddEntry(const TestMAPIEntry& entry) const { m_AddEntry(&entry); }
    void FailCall(const char* method, ULONG occurrence, HRESULT hr) const { m_FailCall(method, occurrence, hr); }
    void ClearFailures() const { m_ClearFailures(); }
    // Calls of the method wait until the event is set; null ends the hold.
    void HoldCalls(const char* method, HANDLE release) const { m_HoldCalls(method, release); }
    std::string Journal() const;
    LONG OutstandingAllocations() const { return m_OutstandingAllocations(); }
    LONG LiveObjects() const { return m_LiveObjects(); }

private:
    HMODULE m_Module;
    TestMAPI_ResetFn m_Reset = nullptr;
    TestMAPI_AddContainerFn m_AddContainer = nullptr;
    TestMAPI_AddEntryFn m_AddEntry = nullptr;
    TestMAPI_FailCallFn m_FailCall = nullptr;
    TestMAPI_ClearFailuresFn m_ClearFailures = nullptr;
    TestMAPI_HoldCallsFn m_HoldCalls = nullptr;
    TestMAPI_JournalFn m_Journal = nullptr;
    TestMAPI_OutstandingAllocationsFn m_OutstandingAllocations = nullptr;
    TestMAPI_LiveObjectsFn m_LiveObjects = nullptr;
};

// While it lives, every call of the method answers hr; its end forgets the
// injected failures, so later tests of the process meet none.
class CScopedMAPIFailure
{
public:
    CScopedMAPIFailure(const CTestMAPI& mapi, const char* method, HRESULT hr) : m_MAPI(mapi)
    {
        m_MAPI.FailCall(method, 0, hr);
    }
    ~CScopedMAPIFailure() { m_MAPI.ClearFailures(); }
    CScopedMAPIFailure(const CScopedMAPIFailure&) = delete;
    CScopedMAPIFailure& operator=(const CScopedMAPIFailure&) = delete;

private:
    const CTestMAPI& m_MAPI;
};

// While it lives, every call of the method waits until Release (or the end
// of the hold, which releases them too).
class CScopedMAPIHold
{
public:
    CScopedMAPIHold(const CTestMAPI& mapi, const char* method)
        : m_MAPI(mapi), m_Method(method), m_Release(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        m_MAPI.HoldCalls(m_Method, m_Release.get());
    }
    ~CScopedMAPIHold()
    {
        Release();
        m_MAPI.HoldCalls(m_Method, nullptr);
    }
    CScopedMAPIHold(const CScopedMAPIHold&) = delete;
    CScopedMAPIHold& operator=(const CScopedMAPIHold&) = delete;

    void Release() { ::SetEvent(m_Release.get()); }

private:
    const CTestMAPI& m_MAPI;
    const char* m_Method;
    CScopedKernelHandle m_Release;
};
