#include "ui/UserMobileNumberPromptDlg.h"

namespace
{
// The longest answer taken, in characters.
constexpr int kMaxNumberLength = 1999;
} // namespace

CMessageTable<CUserMobileNumberPromptDlg> CUserMobileNumberPromptDlg::GetMessageTable()
{
    using Entry = CMessageEntry<CUserMobileNumberPromptDlg>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CUserMobileNumberPromptDlg::OnInitDialog,
                       "CUserMobileNumberPromptDlg::OnInitDialog"),
        Entry::Command(IDOK, &CUserMobileNumberPromptDlg::OnOK, "CUserMobileNumberPromptDlg::OnOK"),
        Entry::Command(IDCANCEL, &CUserMobileNumberPromptDlg::OnCancel, "CUserMobileNumberPromptDlg::OnCancel"),
    };
    return entries;
}

LRESULT CUserMobileNumberPromptDlg::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    ::SetDlgItemTextA(m_hWnd, IDC_MOBILEPROMPT_NUMBER, m_MobileNumber.c_str());
    return TRUE;
}

LRESULT CUserMobileNumberPromptDlg::OnOK(UINT, WPARAM, LPARAM, bool&)
{
    char number[kMaxNumberLength + 1] = {};
    ::GetDlgItemTextA(m_hWnd, IDC_MOBILEPROMPT_NUMBER, number, sizeof(number));
    m_MobileNumber = number;
    EndDialog(IDOK);
    return 0;
}

LRESULT CUserMobileNumberPromptDlg::OnCancel(UINT, WPARAM, LPARAM, bool&)
{
    EndDialog(IDCANCEL);
    return 0;
}
