#include "tests/autocomplete/ACEditHost.h"

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

void ACEditWindow::SetUp()
{
    CDialogTemplate dialog("Auto-complete", 260, 120);
    m_Window = m_Host.CreateIndirect(dialog.Get(), nullptr);
    ASSERT_NE(nullptr, m_Window);
    ::SetWindowPos(m_Window, HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ASSERT_TRUE(m_Host.m_Edit.SubclassWindow(::GetDlgItem(m_Window, CACHostDlg::kEditId)));
    CACEdit& edit = m_Host.m_Edit;
    edit.Init();
    edit.SetSeparators(",;\n\r");
    edit.SetMode(CACEdit::kModeSeparators);
    edit.SetPrefix(" ");
    edit.SetPostfix("; ");
    edit.SetAsyncListProvider(&m_Provider);
    edit.SetNoDuplicates(true);
    ::SetForegroundWindow(m_Window);
    ::SetFocus(Edit());
    Pump(20);
}

void ACEditWindow::TearDown()
{
    if (::IsWindow(m_Window))
        ::DestroyWindow(m_Window);
    Pump(10);
}

void ACEditWindow::Type(const std::string& text)
{
    for (char c : text)
        ::SendMessageA(Edit(), WM_CHAR, static_cast<unsigned char>(c), 1);
}

void ACEditWindow::Key(UINT key)
{
    ::SendMessageA(Edit(), WM_KEYDOWN, key, 1);
}

std::string ACEditWindow::Text() const
{
    return CWindow(Edit()).GetText();
}

std::vector<std::string> ACEditWindow::Lookups() const
{
    std::vector<std::string> texts;
    for (const auto& lookup : m_Provider.m_Lookups)
        texts.push_back(lookup.text);
    return texts;
}

LPARAM ACEditWindow::RowPoint(int row)
{
    const int y = List().GetRowHeight() * (row - List().GetTopIndex()) + List().GetRowHeight() / 2;
    return MAKELPARAM(10, y);
}

void ACEditWindow::Pump(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    MSG message;
    do
    {
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::Sleep(5);
    } while (::GetTickCount() - start < milliseconds);
}
