#include "ui/AboutDlg.h"

CMessageTable<CAboutDlg> CAboutDlg::GetMessageTable()
{
    using Entry = CMessageEntry<CAboutDlg>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CAboutDlg::OnInitDialog, "CAboutDlg::OnInitDialog"),
        Entry::Command(IDOK, &CAboutDlg::OnCloseCmd, "CAboutDlg::OnCloseCmd"),
        Entry::Command(IDCANCEL, &CAboutDlg::OnCloseCmd, "CAboutDlg::OnCloseCmd"),
    };
    return entries;
}

LRESULT CAboutDlg::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    ::SetDlgItemTextA(m_hWnd, IDC_ABOUT_PRODUCT, "ZentavoSMS Outlook Add-in 5.0.1");
    SetText("About ZentavoSMS Outlook Add-in");
    return TRUE;
}

LRESULT CAboutDlg::OnCloseCmd(UINT, WPARAM wParam, LPARAM, bool&)
{
    EndDialog(LOWORD(wParam));
    return 0;
}
