#include "ui/ContactSelectorDlg.h"

INT_PTR CContactSelectorDlg::DoModal(HWND)
{
    return IDCANCEL;
}
