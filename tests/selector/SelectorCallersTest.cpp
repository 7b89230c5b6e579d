// The selector's callers (the Send SMS window's "To..." and the add-in's
// services) and its help pair, which reaches the browser.
#include "tests/selector/SelectorFixture.h"

#include "resources/resource.h"
#include "tests/support/AddinObject.h"
#include "tests/support/AddinUnderTest.h"
#include "tests/support/HttpCommand.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowDriver.h"
#include "ui/SendSMSDlg.h"

#include <commctrl.h>
#include <mapicode.h>

#include <fstream>
#include <optional>
#include <tuple>

namespace
{
using Rows = std::vector<std::string>;
constexpr char kRecorderOutput[] = "ZENTAVO_RECORDER_OUTPUT";

class SelectorCallers : public ContactSelector
{
protected:
    void SetUp() override
    {
        ContactSelector::SetUp();
        AddContact(L"Ann Lee", L"+447700900001", L"0a01");
    }
};

// The Send SMS window's fixture over the same test Outlook and settings.
class SendSMSToButton : public SelectorCallers
{
protected:
    void TearDown() override
    {
        if (m_Window && ::IsWindow(m_Window))
            ::SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        SelectorCallers::TearDown();
    }

    void OpenWindow()
    {
        LoadSettings({{"ZentavoSMSAccessKey", "key"}, {"ZentavoSMSAuthMode", "3"}});
        auto* dialog = new CSendSMSDlg;
        dialog->SetOutlookApplication(m_Outlook.Application());
        {
            // Answers a set-up dialog, should the account check open one.
            CWindowDriver driver;
            m_Window = dialog->Create(nullptr);
        }
        ASSERT_NE(nullptr, m_Window);
        ::ShowWindow(m_Window, SW_SHOW);
        // The driver's timer on the new window fires with no driver left.
        CSelectorWindow::Pump(100);
    }

    std::string ToText() const { return CWindow(::GetDlgItem(m_Window, IDC_SENDSMS_TO)).GetText(); }

    HWND m_Window = nullptr;
};

// Each time the selector adds Ann Lee when it chose a book, then the button.
// OK writes back what the selector listed: a long row as its first 99
// characters, nothing from beyond them, and the recipients also when no
// address book could be opened (that error still shown).
TEST_F(SendSMSToButton, OKReplacesTheToTextAndCancelLeavesItByteForByte)
{
    // Every ten characters differ, so a cut shows where it fell.
    std::string name, number;
    for (int index = 0; index < 150; ++index)
        name += index % 10 == 4 ? ' ' : static_cast<char>('A' + index / 10);
    for (int index = 0; index < 120; ++index)
        number += static_cast<char>('0' + (index + 1) % 10);
    const std::string longRow = RowText(name, number);
    struct Case
    {
        std::string typed;
        int button;
        bool logonRefused;
        Rows shown;
        std::string after;
    };
    const Case cases[] = {
        {"Bob [+447700900002]; ", IDOK, false, {"Bob [+447700900002]"}, "Bob [+447700900002]; Ann Lee [+447700900001]; "},
        {"  junk ;;[x\r\n 12,, ", IDCANCEL, false, {"junk [junk]", "[x [[x]", "12 [12]"}, "  junk ;;[x\r\n 12,, "},
        {longRow + "; ", IDOK, false, {longRow},
         RowText(name.substr(0, 99), number.substr(0, 99)) + "; Ann Lee [+447700900001]; "},
        {"Bob [+447700900002]; ", IDOK, true, {"Bob [+447700900002]"}, "Bob [+447700900002]; "},
    };
    OpenWindow();
    for (const Case& c : cases)
    {
        std::optional<CScopedMAPIFailure> refusal;
        if (c.logonRefused)
            refusal.emplace(m_TestMAPI, "MAPILogonEx", MAPI_E_LOGON_FAILED);
        const size_t boxesBefore = m_Boxes.Boxes().size();
        ::SetDlgItemTextA(m_Window, IDC_SENDSMS_TO, c.typed.c_str());
        Rows shown;
        CWindowDriver driver;
        driver.Expect().Caption("Select Recipients").Run(AddFirstAvailableAndPress(c.button, shown));
        ::SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(IDC_SENDSMS_TO_BUTTON, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(m_Window, IDC_SENDSMS_TO_BUTTON)));
        EXPECT_EQ("", driver.Problems());
        EXPECT_EQ(c.shown, shown) << c.typed;
        EXPECT_EQ(c.after, ToText());
        const std::vector<std::string> boxes = BoxTexts(m_Boxes, boxesBefore);
        ASSERT_EQ(c.logonRefused ? 1u : 0u, boxes.size()) << c.typed;
        for (const std::string& box : boxes)
        {
            EXPECT_NE(std::string::npos, box.find("::MAPILogonEx failed")) << box;
            EXPECT_NE(std::string::npos, box.find("Function: CContactSelectorDlg::OnInitDialog")) << box;
        }
    }
}

// A selector that cannot open (another program's hook refused its window)
// is shown as an error; the To text stays as typed.
TEST_F(SendSMSToButton, ASelectorThatCannotOpenIsShownAndTheToTextKept)
{
    OpenWindow();
    ::SetDlgItemTextA(m_Window, IDC_SENDSMS_TO, "Bob [+447700900002]; ");
    {
        const CTopLevelWindowRefusal refusal;
        ASSERT_TRUE(refusal.Active());
        ::SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(IDC_SENDSMS_TO_BUTTON, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(m_Window, IDC_SENDSMS_TO_BUTTON)));
    }
    const auto boxes = m_Boxes.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[0].text.find("The recipient selector could not be created")) << boxes[0].text;
    EXPECT_NE(std::string::npos, boxes[0].text.find("Function: CSendSMSDlg::OnSelectRecipients")) << boxes[0].text;
    EXPECT_EQ("Bob [+447700900002]; ", ToText());
}

class AddinSelector : public SelectorCallers
{
protected:
    void SetUp() override
    {
        SelectorCallers::SetUp();
        ASSERT_EQ(S_OK, CreateAddinObject(IID__IDTExtensibility2, &m_Addin));
        ASSERT_EQ(S_OK, m_Addin->OnConnection(m_Outlook.Application(), ext_cm_Startup, nullptr, nullptr));
    }
    void TearDown() override
    {
        if (m_Addin)
        {
            m_Addin->OnDisconnection(ext_dm_HostShutdown, nullptr);
            m_Addin->Release();
        }
        SelectorCallers::TearDown();
    }
    CAddin& Addin() { return *static_cast<CAddin*>(m_Addin); }

    _IDTExtensibility2* m_Addin = nullptr;
};

// Each time the selector adds Ann Lee, then the button.
TEST_F(AddinSelector, TheServicesRunTheSelectorOverTheListText)
{
    const std::tuple<int, bool, const char*> cases[] = {
        {IDOK, true, "Cy [+447700900003]; Ann Lee [+447700900001]; "},
        {IDCANCEL, false, "Cy [+447700900003]; "},
    };
    for (const auto& [button, result, after] : cases)
    {
        std::string recipients = "Cy [+447700900003]; ";
        Rows shown;
        CWindowDriver driver;
        driver.Expect().Caption("Select Recipients").Run(AddFirstAvailableAndPress(button, shown));
        EXPECT_EQ(result, Addin().Callback_ItemExtender_ShowRecipientSelector(recipients));
        EXPECT_EQ(after, recipients);
        EXPECT_EQ((Rows{"Cy [+447700900003]"}), shown);
        EXPECT_EQ("", driver.Problems());
    }
}

// The help icon and the help link open the selector's help page.
TEST_F(SelectorCallers, TheHelpIconAndLinkReachTheBrowser)
{
    const std::string output = TempFilePath("zentavo_selector_help.txt");
    ::SetEnvironmentVariableA(kRecorderOutput, output.c_str());
    const CScopedHttpCommand command("\"" + ProgramBesideTest("command_line_recorder.exe") + "\" %1");
    const std::string page = "http://www.zentavosms.com/redir?page=oladdin_help_contactselector&refer=oladdin&ver=5.0.1";
    const std::pair<int, std::function<void(HWND)>> clicks[] = {
        {IDC_SELECTOR_HELPICON, [](HWND icon) { ::SendMessageA(icon, BM_CLICK, 0, 0); }},
        {IDC_SELECTOR_HELPLINK,
         [](HWND link) {
             ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
             ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
         }},
    };
    RECT icon = {};
    for (const auto& [control, click] : clicks)
    {
        ::DeleteFileA(output.c_str());
        Run({}, [&, control = control, &click = click](CSelectorWindow& w) {
            ::GetWindowRect(w.Item(IDC_SELECTOR_HELPICON), &icon);
            click(w.Item(control));
            w.Press(IDCANCEL);
        });
        for (int wait = 0; wait < 600 && ::GetFileAttributesA(output.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
            ::Sleep(100);
        std::ifstream file(output);
        std::string line;
        std::getline(file, line);
        EXPECT_EQ(page, line) << "control " << control;
    }
    EXPECT_EQ(20, icon.right - icon.left) << "the button takes its picture's size";
    EXPECT_EQ(20, icon.bottom - icon.top);
    ::SetEnvironmentVariableA(kRecorderOutput, nullptr);
    ::DeleteFileA(output.c_str());
}
} // namespace
