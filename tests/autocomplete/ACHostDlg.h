// A modeless dialog holding one multi-line edit (id 211, as the Send SMS
// window's To field) for a CACEdit to subclass. The dialog forwards EN_CHANGE
// to the edit's OnUpdate as its owner would, and records the notifications
// the edit sends it.
#pragma once

#include "platform/DialogImpl.h"
#include "ui/ACEdit.h"

#include <utility>
#include <vector>

class CACHostDlg : public CDialogImpl<CACHostDlg>
{
public:
    static constexpr int kEditId = 211;

    CACHostDlg() : CDialogImpl(::GetModuleHandleA(nullptr)) {}
    static CMessageTable<CACHostDlg> GetMessageTable();

    CACEdit m_Edit;
    std::vector<std::pair<WPARAM, LPARAM>> m_Notifications;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnEditChange(UINT, WPARAM, LPARAM, bool&);
    LRESULT OnNotify(UINT, WPARAM wParam, LPARAM lParam, bool&);
};

// Shown in front at (40, 40) with the focus in the edit, which is set up
// as the Send SMS window's To field over the provider; null on failure.
HWND OpenACHost(CACHostDlg& host, IAsyncListProvider* provider);
