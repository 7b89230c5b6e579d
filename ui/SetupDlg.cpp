#include "ui/SetupDlg.h"

INT_PTR CSetupDlg::DoModal(HWND)
{
    return IDCANCEL;
}
