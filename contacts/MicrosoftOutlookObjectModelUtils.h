// Reads of contacts, folders, address lists and the current user through
// Outlook's object model. No state: every operation is static, takes the
// Outlook objects it needs from the caller (late-bound IDispatch pointers)
// and runs on the caller's thread, Outlook's user-interface thread.
//
// A failed Outlook call raises _com_error with the call's HRESULT (and the
// object's error description); a missing object where one is needed raises
// E_POINTER.
#pragma once

#include "platform/ComPtr.h"

#include <string>

class CMicrosoftOutlookObjectModelUtils
{
public:
    // The display name and e-mail address of the session's current user:
    // those of its Exchange user when its address entry is of type "EX",
    // else the recipient's own. Both are empty when no address with "@"
    // could be read. The outputs are emptied first and are filled only when
    // the whole read succeeds.
    static void GetCurrentUserDetails(const IDispatchPtr& application, std::wstring& name, std::wstring& address);
};
