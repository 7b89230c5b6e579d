// outlook_host: the test Outlook as a host program. It creates the add-in by
// ProgID from the registered DLL as Outlook does, connects it, mirrors the
// add-in's command bar in a window of its own, raises the events asked for,
// disconnects and prints what happened. Message boxes the add-in shows are
// answered by the window driver and printed.
//
//   outlook_host [--no-explorer] [--screenshot FILE.png] [--click CAPTION]...
//                [--login USERNAME PASSWORD] [--send RECIPIENTS TEXT]
//
// Without an account the add-in offers its set-up dialog first: --login
// logs in there as a user would (else it is cancelled). The Send SMS window
// a click opens is photographed; --send fills in its To field and text,
// waits for the account's balance to show, photographs the window filled in
// and presses Send, else the window is closed.
//
// Exit code 0 when the add-in connected, built its bar, answered every event
// (with --send: showed the balance and sent) and left nothing connected after
// disconnection; 1 otherwise.
#include "platform/OfficeIds.h"
#include "resources/ZentavoSMSOutlookAddin_h.h"
#include "resources/resource.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/Screenshot.h"
#include "tests/support/WindowDriver.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace
{
const DISPID kNewExplorer = 0xF001;
const DISPID kActivate = 0xF001;
const DISPID kClick = 1;

struct Options
{
    bool explorerAtStart = true;
    std::wstring screenshot;
    std::vector<std::wstring> clicks;
    std::string username, password;
    bool send = false;
    std::string recipients, text;
};

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

Options ReadOptions(int argc, wchar_t** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i)
    {
        const std::wstring argument = argv[i];
        if (argument == L"--no-explorer")
            options.explorerAtStart = false;
        else if (argument == L"--screenshot" && i + 1 < argc)
            options.screenshot = argv[++i];
        else if (argument == L"--click" && i + 1 < argc)
            options.clicks.push_back(argv[++i]);
        else if (argument == L"--login" && i + 2 < argc)
        {
            options.username = Narrow(argv[++i]);
            options.password = Narrow(argv[++i]);
        }
        else if (argument == L"--send" && i + 2 < argc)
        {
            options.send = true;
            options.recipients = Narrow(argv[++i]);
            options.text = Narrow(argv[++i]);
        }
    }
    return options;
}

// Pumps until the condition holds or the time is up.
void PumpUntil(DWORD milliseconds, const std::function<bool()>& done)
{
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds && !done())
    {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(20);
    }
}

// The add-in's bar on the explorer: its buttons, in order.
std::vector<CFakeObjectPtr> ButtonsOf(const CFakeObjectPtr& explorer, std::wstring& barName)
{
    std::vector<CFakeObjectPtr> buttons;
    const CFakeCollectionPtr bars = FakeCollectionOf(explorer->Value(L"CommandBars"));
    for (size_t i = 0; i < bars->Size(); ++i)
    {
        const CFakeObjectPtr bar = FakeObjectOf(bars->At(i));
        barName = static_cast<const wchar_t*>(_bstr_t(bar->Value(L"Name")));
        for (size_t j = 0;; ++j)
        {
            const CFakeObjectPtr button = FakeElementOf(bar, L"Controls", j);
            if (!button)
                break;
            buttons.push_back(button);
        }
    }
    return buttons;
}

void PumpFor(DWORD milliseconds)
{
    PumpUntil(milliseconds, [] { return false; });
}

// The balance on the Send SMS window's toolbar ("Available Balance: 1000"
// gives "1000"); empty while the button is hidden or has no number yet.
std::string BalanceShown(HWND sendWindow)
{
    HWND toolbar = nullptr;
    if (sendWindow)
        ::EnumChildWindows(
            sendWindow,
            [](HWND child, LPARAM found) {
                if (::GetDlgCtrlID(child) != IDC_SENDSMS_MAIN_TOOLBAR)
                    return TRUE;
                *reinterpret_cast<HWND*>(found) = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&toolbar));
    if (!toolbar)
        return std::string();
    wchar_t text[101] = {};
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_TEXT | TBIF_STATE;
    info.pszText = text;
    info.cchText = 100;
    if (::SendMessageW(toolbar, TB_GETBUTTONINFOW, ID_SENDSMS_BALANCE, reinterpret_cast<LPARAM>(&info)) < 0 ||
        (info.fsState & TBSTATE_HIDDEN))
        return std::string();
    const std::wstring label = text;
    const std::wstring prefix = L"Available Balance: ";
    if (label.size() <= prefix.size() || label.compare(0, prefix.size(), prefix) != 0)
        return std::string();
    return Narrow(label.substr(prefix.size()));
}

std::wstring CaptionOf(const CFakeObjectPtr& button)
{
    return static_cast<const wchar_t*>(_bstr_t(button->Value(L"Caption")));
}

// An explorer-like window with the bar's buttons along its top.
HWND ShowExplorerWindow(const std::wstring& barName, const std::vector<CFakeObjectPtr>& buttons)
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"ZentavoTestOutlookExplorer";
    ::RegisterClassW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"Inbox - Test Outlook", WS_OVERLAPPEDWINDOW,
                                    40, 40, 640, 240, nullptr, nullptr, instance, nullptr);
    ::CreateWindowExW(0, L"STATIC", (L"Command bar: " + barName).c_str(), WS_CHILD | WS_VISIBLE, 10, 10, 400, 20,
                      window, nullptr, instance, nullptr);
    int left = 10;
    for (const CFakeObjectPtr& button : buttons)
    {
        ::CreateWindowExW(0, L"BUTTON", CaptionOf(button).c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, left, 36,
                          140, 28, window, nullptr, instance, nullptr);
        left += 150;
    }
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    ::UpdateWindow(window);
    // Let the window and its buttons paint before anyone looks.
    const DWORD until = ::GetTickCount() + 500;
    while (::GetTickCount() < until)
    {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&message);
        ::Sleep(20);
    }
    return window;
}

int Run(const Options& options)
{
    CWindowDriver driver;
    CFakeOutlook outlook;
    const long connectionsAtStart = CFakeObject::LiveConnections();
    bool ok = true;

    CLSID classId = {};
    HRESULT hr = ::CLSIDFromProgID(L"ZentavoSMSOutlookAddin.Addin", &classId);
    if (FAILED(hr))
    {
        std::printf("The add-in is not registered (ProgID ZentavoSMSOutlookAddin.Addin: 0x%08lx)\n",
                    static_cast<unsigned long>(hr));
        return 1;
    }
    _IDTExtensibility2* addin = nullptr;
    hr = ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID__IDTExtensibility2,
                            reinterpret_cast<void**>(&addin));
    if (FAILED(hr))
    {
        std::printf("CoCreateInstance of the add-in failed: 0x%08lx\n", static_cast<unsigned long>(hr));
        return 1;
    }
    std::printf("Add-in created by ProgID ZentavoSMSOutlookAddin.Addin\n");

    CFakeObjectPtr explorer = outlook.ActiveExplorer();
    if (!options.explorerAtStart)
        outlook.SetActiveExplorer(nullptr);
    hr = addin->OnConnection(outlook.Application(), ext_cm_Startup, nullptr, nullptr);
    std::printf("OnConnection (Outlook %s): 0x%08lx\n",
                Narrow(static_cast<const wchar_t*>(_bstr_t(outlook.Application()->Value(L"Version")))).c_str(),
                static_cast<unsigned long>(hr));
    if (!options.explorerAtStart)
    {
        outlook.Explorers()->Fire(DIID_ExplorersEvents, kNewExplorer, {_variant_t(static_cast<IDispatch*>(explorer))});
        explorer->Fire(DIID_ExplorerEvents, kActivate);
        std::printf("Explorer opened and activated after start-up\n");
    }
    std::printf("Connections the add-in holds: %ld\n", CFakeObject::LiveConnections() - connectionsAtStart);

    std::wstring barName;
    const std::vector<CFakeObjectPtr> buttons = ButtonsOf(explorer, barName);
    std::printf("Command bar \"%s\":", Narrow(barName).c_str());
    for (const CFakeObjectPtr& button : buttons)
        std::printf(" [%s]", Narrow(CaptionOf(button)).c_str());
    std::printf("\n");
    ok = ok && barName == L"ZentavoSMS" && buttons.size() == 2;

    const HWND window = ShowExplorerWindow(barName, buttons);
    if (!options.screenshot.empty())
        std::printf("Screenshot %s: %s\n", Narrow(options.screenshot).c_str(),
                    SaveWindowScreenshot(window, options.screenshot) ? "saved" : "not saved");

    // Without an account the add-in first offers its set-up dialog, where
    // the user logs in or cancels; then the Send SMS window opens.
    CWindowStep& setup = driver.Expect().Caption("Welcome to the ZentavoSoftware Outlook SMS Addin");
    if (options.username.empty())
        setup.Press(IDCANCEL);
    else
    {
        setup.Run([&options](HWND frame) {
            // The login fields live in the frame's embedded control.
            const HWND control = ::FindWindowExA(frame, nullptr, "#32770", nullptr);
            ::SetDlgItemTextA(control, IDC_SETUP_USERNAME, options.username.c_str());
            ::SetDlgItemTextA(control, IDC_SETUP_PASSWORD, options.password.c_str());
            ::PostMessageA(control, WM_COMMAND, MAKEWPARAM(IDC_SETUP_LOGIN, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(control, IDC_SETUP_LOGIN)));
            std::printf("Set-up dialog: logging in as %s\n", options.username.c_str());
        });
        driver.Expect().Text("Login Successfull").Press(IDOK);
    }
    HWND sendWindow = nullptr;
    driver.Expect().Caption("Send SMS").Run([&options, &sendWindow](HWND window) {
        sendWindow = window;
        char title[256] = {};
        ::GetWindowTextA(window, title, sizeof(title));
        std::printf("Window opened: \"%s\"\n", title);
        if (!options.screenshot.empty())
        {
            std::wstring path = options.screenshot;
            path.insert(path.size() - 4, L"_sendsms");
            std::printf("Screenshot %s: %s\n", Narrow(path).c_str(),
                        SaveWindowScreenshot(window, path) ? "saved" : "not saved");
        }
        if (!options.send)
        {
            ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return;
        }
        ::SetDlgItemTextA(window, IDC_SENDSMS_TO, options.recipients.c_str());
        // Typed, as a user would: a multi-line edit reports no change for a
        // text set from outside, and the counters follow the changes.
        const HWND textField = ::GetDlgItem(window, IDC_SENDSMS_TEXT);
        ::SendMessageA(textField, EM_SETSEL, 0, -1);
        ::SendMessageA(textField, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(options.text.c_str()));
        std::printf("To: %s\nText: %s\n", options.recipients.c_str(), options.text.c_str());
    });
    for (const std::wstring& caption : options.clicks)
    {
        for (const CFakeObjectPtr& button : buttons)
        {
            if (CaptionOf(button) != caption)
                continue;
            VARIANT_BOOL cancelDefault = VARIANT_FALSE;
            _variant_t cancel;
            cancel.vt = VT_BYREF | VT_BOOL;
            cancel.pboolVal = &cancelDefault;
            button->Fire(DIID__CommandBarButtonEvents, kClick, {_variant_t(static_cast<IDispatch*>(button)), cancel});
            std::printf("Clicked [%s]\n", Narrow(caption).c_str());
            PumpFor(500);
        }
    }
    if (options.send)
    {
        // The window fetches the balance from the gateway after it opened:
        // the picture is taken once it shows, as the user then sees it.
        PumpUntil(30000, [&sendWindow] { return sendWindow != nullptr; });
        std::string balance;
        PumpUntil(60000, [&sendWindow, &balance] {
            balance = BalanceShown(sendWindow);
            return !balance.empty();
        });
        std::printf("Balance shown: %s\n", balance.empty() ? "none" : balance.c_str());
        ok = ok && !balance.empty();
        if (sendWindow && !options.screenshot.empty())
        {
            std::wstring path = options.screenshot;
            path.insert(path.size() - 4, L"_filled");
            ::UpdateWindow(sendWindow);
            std::printf("Screenshot %s: %s\n", Narrow(path).c_str(),
                        SaveWindowScreenshot(sendWindow, path) ? "saved" : "not saved");
        }
        // As the toolbar's Send button does.
        if (sendWindow)
            ::PostMessageW(sendWindow, WM_COMMAND, MAKEWPARAM(ID_SENDSMS_SEND, BN_CLICKED), 0);
        std::printf("Send pressed\n");
        // The send runs against the gateway: the window closes when it went.
        PumpUntil(60000, [&sendWindow] { return sendWindow && !::IsWindow(sendWindow); });
        const bool closed = sendWindow && !::IsWindow(sendWindow);
        std::printf("Send SMS window %s\n", closed ? "closed: the message was sent" : "still open: not sent");
        ok = ok && closed;
        if (!closed && sendWindow)
            ::PostMessageW(sendWindow, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        PumpFor(300);
    }

    hr = addin->OnDisconnection(ext_dm_HostShutdown, nullptr);
    const long left = CFakeObject::LiveConnections() - connectionsAtStart;
    std::printf("OnDisconnection: 0x%08lx, connections left: %ld\n", static_cast<unsigned long>(hr), left);
    ok = ok && left == 0;
    addin->Release();
    ::DestroyWindow(window);

    for (const CSeenWindow& seen : driver.Seen())
    {
        std::printf("Window answered \"%s\":", seen.caption.c_str());
        for (const std::string& text : seen.texts)
            std::printf(" %s", text.c_str());
        std::printf("\n");
    }
    for (const CSeenWindow& seen : driver.Seen())
        ok = ok && seen.expected;
    std::printf("%s\n", ok ? "The add-in connected, built its command bar and disconnected cleanly."
                           : "The add-in did not run as expected.");
    return ok ? 0 : 1;
}
} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    const int result = Run(ReadOptions(argc, argv));
    ::CoUninitialize();
    std::fflush(stdout);
    return result;
}
