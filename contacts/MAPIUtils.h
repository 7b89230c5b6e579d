// Extended MAPI, the system's only use of it: MAPI32 is bound by ordinal at
// run time (it may be missing, and the add-in must load without it), so the
// add-in's module never imports it.
//
// Each thread that uses MAPI initialises it itself: the user-interface thread
// at connection, each worker at its start; CMAPIUtils::UninitialiseMAPI at
// the end of the same thread.
#pragma once

#include <windows.h>

#include <mapix.h>

// The five MAPI32 functions the add-in calls, by ordinal. Each binds on
// first use; a missing mapi32.dll or export raises CGeneralException.
class CMAPI32
{
public:
    static HRESULT MAPIInitialize(LPVOID init);                    // ordinal 21
    static void MAPIUninitialize();                                // ordinal 23
    static HRESULT MAPILogonEx(ULONG_PTR uiParam, LPSTR profileName, LPSTR password, FLAGS flags,
                               LPMAPISESSION* session);            // ordinal 11
    static ULONG MAPIFreeBuffer(LPVOID buffer);                    // ordinal 17
    static HRESULT HrQueryAllRows(LPMAPITABLE table, LPSPropTagArray tags, LPSRestriction restriction,
                                  LPSSortOrderSet sortOrder, LONG maxRows, LPSRowSet* rows);  // ordinal 75

private:
    static FARPROC Function(WORD ordinal);
};

class CMAPIUtils
{
public:
    virtual ~CMAPIUtils();

    // MAPIInitialize with version 0 and MAPI_MULTITHREAD_NOTIFICATIONS. Its
    // result, and a MAPI32 that cannot be bound, are not examined here: a
    // failed start shows at the logon.
    static void InitialiseMAPI();
    // MAPIUninitialize; nothing when MAPI32 cannot be bound.
    static void UninitialiseMAPI();
};
