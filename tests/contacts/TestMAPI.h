// The test MAPI's script exports, bound at run time from whichever
// mapi32.dll this process loads: IsOurs is false under another MAPI.
#pragma once

#include <windows.h>

#include <string>

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
