#include "ui/SMSMessagePreviewDlg.h"

CMessageTable<CSMSMessagePreviewDlg> CSMSMessagePreviewDlg::GetMessageTable()
{
    using Entry = CMessageEntry<CSMSMessagePreviewDlg>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CSMSMessagePreviewDlg::OnInitDialog, "CSMSMessagePreviewDlg::OnInitDialog"),
        Entry::Command(IDOK, &CSMSMessagePreviewDlg::OnCloseCmd, "CSMSMessagePreviewDlg::OnCloseCmd"),
        Entry::Command(IDCANCEL, &CSMSMessagePreviewDlg::OnCloseCmd, "CSMSMessagePreviewDlg::OnCloseCmd"),
        Entry::Chain(&CSMSMessagePreviewDlg::ProcessPaintBkgndMessage, "CPaintBkgnd::ProcessPaintBkgndMessage"),
    };
    return entries;
}

LRESULT CSMSMessagePreviewDlg::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    SetBackgroundColour(RGB(255, 255, 255));
    ::SetDlgItemTextA(m_hWnd, IDC_PREVIEW_RECIPIENTS, m_Recipients.c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_PREVIEW_SENDERSID, m_SendersId.c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_PREVIEW_MESSAGE, m_Message.c_str());
    return TRUE;
}

LRESULT CSMSMessagePreviewDlg::OnCloseCmd(UINT, WPARAM wParam, LPARAM, bool&)
{
    EndDialog(LOWORD(wParam));
    return 0;
}
