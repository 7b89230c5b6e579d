// The scripting side of the test MAPI (mapi32.dll of tests/support/mapi32):
// what a test puts into its address book, the failures it injects and what
// it reads back. Tests bind these exports at run time (CTestMAPI), so a test
// executable does not import mapi32 and also runs against Wine's own.
#pragma once

#include <windows.h>

extern "C" {

// One address-book entry. container names the container (or distribution
// list) that lists it; entry ids are hexadecimal texts. A null property is
// missing from the entry. errorColumns marks contents-table columns that
// come back as error values: 1 entry id, 2 display name, 4 object type.
struct TestMAPIEntry
{
    const char* container;
    const char* entryId;
    const char* displayName;
    ULONG objectType;
    const char* mobile;
    const char* givenName;
    const char* surname;
    const char* business;
    const char* home;
    ULONG errorColumns;
};

// Forgets the address book, the injected failures, the call counts and the
// journal; the allocation and object counters run on.
typedef void(WINAPI* TestMAPI_ResetFn)();
// A container; without a contents table GetContentsTable answers
// MAPI_E_NO_SUPPORT.
typedef void(WINAPI* TestMAPI_AddContainerFn)(const char* entryId, const char* name, BOOL hasContentsTable);
typedef void(WINAPI* TestMAPI_AddEntryFn)(const TestMAPIEntry* entry);
// The occurrence-th call (from 1; 0 for every call) of the named method
// ("MAPILogonEx", "OpenAddressBook", "OpenEntry", "GetContentsTable",
// "SetColumns", "Restrict", "QueryRows", "GetProps", "HrQueryAllRows")
// answers hr.
typedef void(WINAPI* TestMAPI_FailCallFn)(const char* method, ULONG occurrence, HRESULT hr);
// Every call of the named method waits, before it answers, until the event
// is set (the test owns it); a null event ends the hold. Reset ends them all.
typedef void(WINAPI* TestMAPI_HoldCallsFn)(const char* method, HANDLE release);
// Forgets the injected failures only.
typedef void(WINAPI* TestMAPI_ClearFailuresFn)();
// The calls received, one line each, with their arguments; returns the
// length and copies what fits (terminated) into buffer.
typedef ULONG(WINAPI* TestMAPI_JournalFn)(char* buffer, ULONG size);
// MAPI buffers handed out and not freed; objects not yet released to zero.
typedef LONG(WINAPI* TestMAPI_OutstandingAllocationsFn)();
typedef LONG(WINAPI* TestMAPI_LiveObjectsFn)();
}
