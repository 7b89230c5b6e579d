#include "ui/UserMobileNumberPromptDlg.h"

INT_PTR CUserMobileNumberPromptDlg::DoModal(HWND)
{
    return IDCANCEL;
}
