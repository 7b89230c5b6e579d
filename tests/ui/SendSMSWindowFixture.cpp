#include "tests/ui/SendSMSWindowFixture.h"

#include "tests/support/WindowDriver.h"

#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"

void SendSMSWindow::TearDown()
{
    Close();
    LoadSettings({});
    RegistryFixture::TearDown();
}

void SendSMSWindow::LoadSettings(const Settings& settings)
{
    ::RegDeleteTreeA(Root(), kSettings);
    for (const auto& [name, value] : settings)
        WriteRaw(kSettings, name, value);
    Plugin().m_Config.Load();
    Plugin().m_UserPreferences.Load();
}

void SendSMSWindow::Open(const Settings& settings)
{
    LoadSettings(settings);
    OpenWindow();
}

void SendSMSWindow::OpenWindow()
{
    m_pDlg = new CSendSMSDlg;
    m_pDlg->SetOutlookApplication(m_Outlook.Application());
    {
        // Without an account the window opens the set-up dialog first: the
        // driver answers it Cancel, as a user closing it would.
        CWindowDriver driver;
        m_Window = m_pDlg->Create(nullptr);
    }
    ASSERT_NE(nullptr, m_Window);
    ::SetWindowPos(m_Window, HWND_TOPMOST, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    Pump(50);
}

void SendSMSWindow::Close()
{
    if (IsOpen())
        ::SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    m_pDlg = nullptr;
}

std::string SendSMSWindow::ItemText(int id) const
{
    return CWindow(Item(id)).GetText();
}

std::vector<std::pair<std::string, LPARAM>> SendSMSWindow::ComboItems(int id) const
{
    std::vector<std::pair<std::string, LPARAM>> items;
    const int count = static_cast<int>(::SendMessageA(Item(id), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
    {
        std::string text(static_cast<size_t>(::SendMessageA(Item(id), CB_GETLBTEXTLEN, i, 0)), '\0');
        std::vector<char> buffer(text.size() + 1);
        ::SendMessageA(Item(id), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
        items.emplace_back(buffer.data(), ::SendMessageA(Item(id), CB_GETITEMDATA, i, 0));
    }
    return items;
}

void SendSMSWindow::ChooseFromItem(int index)
{
    ChooseFromItem(m_Window, static_cast<int>(m_pDlg->GetFromControlId()), index);
}

void SendSMSWindow::ChooseFromItem(HWND window, int fromId, int index)
{
    // Through the drop-down's own list, so that the edit part still shows the
    // previous text when the notification comes, as it does for the user.
    const HWND from = ::GetDlgItem(window, fromId);
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    ::GetComboBoxInfo(from, &info);
    ::SendMessageA(info.hwndList, LB_SETCURSEL, index, 0);
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(fromId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(from));
}

void SendSMSWindow::TypeFrom(const std::string& text)
{
    const int id = static_cast<int>(m_pDlg->GetFromControlId());
    ::SetWindowTextA(Item(id), text.c_str());
    ::SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(Item(id)));
}

void SendSMSWindow::Pump(DWORD milliseconds)
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
        ::Sleep(10);
    } while (::GetTickCount() - start < milliseconds);
}

void SendSMSWindow::ClickToolbarButton(HWND toolbar, UINT command)
{
    RECT button = {};
    ::SendMessageA(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&button));
    const LPARAM at = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    ::SendMessageA(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(toolbar, WM_LBUTTONUP, 0, at);
    Pump(50);
}

void SendSMSWindow::SaveScreenshot(const std::string& name)
{
    ::RedrawWindow(m_Window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(200);
    const std::string path = ProgramBesideTest(name);
    SaveWindowScreenshot(m_Window, std::wstring(path.begin(), path.end()));
}
