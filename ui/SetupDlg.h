// The first-run account set-up dialog, opened when the add-in has no
// gateway account. The login page it holds is not built yet: running it
// answers Cancel at once and leaves the account as it was.
#pragma once

#include <windows.h>

class CSetupDlg
{
public:
    // Runs the dialog modally over the parent (may be none); returns the id
    // of the button that closed it.
    INT_PTR DoModal(HWND parent);
};
