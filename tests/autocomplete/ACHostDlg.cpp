#include "tests/autocomplete/ACHostDlg.h"

#include "tests/support/DialogTemplate.h"

CMessageTable<CACHostDlg> CACHostDlg::GetMessageTable()
{
    using Entry = CMessageEntry<CACHostDlg>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CACHostDlg::OnInitDialog, "CACHostDlg::OnInitDialog"),
        Entry::Command(kEditId, &CACHostDlg::OnEditChange, "CACHostDlg::OnEditChange", EN_CHANGE),
        Entry::Message(WM_AC_NOTIFY, &CACHostDlg::OnNotify, "CACHostDlg::OnNotify"),
    };
    return entries;
}

LRESULT CACHostDlg::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    const HWND edit = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL,
        10, 10, 360, 40, m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), ::GetModuleHandleA(nullptr),
        nullptr);
    ::SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return TRUE;
}

LRESULT CACHostDlg::OnEditChange(UINT, WPARAM, LPARAM, bool&)
{
    m_Edit.OnUpdate();
    return 0;
}

LRESULT CACHostDlg::OnNotify(UINT, WPARAM wParam, LPARAM lParam, bool&)
{
    m_Notifications.emplace_back(wParam, lParam);
    return 0;
}

HWND OpenACHost(CACHostDlg& host, IAsyncListProvider* provider)
{
    CDialogTemplate dialog("Auto-complete", 260, 120);
    const HWND window = host.CreateIndirect(dialog.Get(), nullptr);
    if (!window)
        return nullptr;
    ::SetWindowPos(window, HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    if (!host.m_Edit.SubclassWindow(::GetDlgItem(window, CACHostDlg::kEditId)))
        return nullptr;
    CACEdit& edit = host.m_Edit;
    edit.Init();
    edit.SetSeparators(",;\n\r");
    edit.SetMode(CACEdit::kModeSeparators);
    edit.SetPrefix(" ");
    edit.SetPostfix("; ");
    edit.SetAsyncListProvider(provider);
    edit.SetNoDuplicates(true);
    ::SetForegroundWindow(window);
    ::SetFocus(edit.m_hWnd);
    return window;
}
