// The Send SMS window opened from settings, its counters, the To field, the
// window's end, its About and Help, resizing, and its screenshots.
#include "tests/ui/SendSMSWindowFixture.h"

#include "platform/ComModule.h"
#include "tests/support/HttpCommand.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowDriver.h"

#include <fstream>
#include <cstdint>
#include <functional>
#include <optional>

namespace
{
struct OpenedState
{
    const char* what;
    SendSMSWindow::Settings settings;
    int fromId;
    std::string fromText;
    bool replies;
    bool fromEnabled;
    std::string messageText;
    bool contextShown;
};

const std::string kSignatureText = "\r\n\r\nKind regards";
} // namespace

TEST_F(SendSMSWindow, OpensFromTheSettings)
{
    const OpenedState cases[] = {
        {"defaults", {}, IDC_SENDSMS_FROM, "", true, false, "", false},
        {"remembered sender, replies off",
         {{"DefaultSendersId", "ACME"}, {"DefaultSendersIdUseReplyable", "0"}},
         IDC_SENDSMS_FROM, "ACME", false, true, "", false},
        {"account settings whatever the sender",
         {{"DefaultSendersId", "ACME"}, {"DefaultSendersIdUseAccountSettings", "1"}},
         IDC_SENDSMS_FROM, "<Use Account Settings>", true, false, "", false},
        {"list-only sender field",
         {{"ZentavoSMSUIFromFieldEntryMode", "1"}, {"DefaultSendersIdUseAccountSettings", "1"},
          {"DefaultSendersIdUseReplyable", "0"}},
         IDC_SENDSMS_FROM_LIST, "<Use Account Settings>", false, true, "", false},
        {"signature", {{"DefaultMessageSignature", "Kind regards"}}, IDC_SENDSMS_FROM, "", true, false,
         kSignatureText, false},
        {"user context", {{"ZentavoSMSEnableUserContextSupport", "1"}}, IDC_SENDSMS_FROM, "", true, false, "", true},
        {"user context with the list-only field",
         {{"ZentavoSMSEnableUserContextSupport", "1"}, {"ZentavoSMSUIFromFieldEntryMode", "1"}},
         IDC_SENDSMS_FROM_LIST, "", true, false, "", true},
    };
    for (const OpenedState& c : cases)
    {
        SCOPED_TRACE(c.what);
        Open(c.settings);
        const int other = c.fromId == IDC_SENDSMS_FROM ? IDC_SENDSMS_FROM_LIST : IDC_SENDSMS_FROM;
        EXPECT_EQ(static_cast<UINT>(c.fromId), m_pDlg->GetFromControlId());
        EXPECT_EQ(c.fromText, ItemText(c.fromId));
        EXPECT_FALSE(Visible(other));
        EXPECT_EQ(c.replies, ::SendMessageA(Item(IDC_SENDSMS_REPLIES), BM_GETCHECK, 0, 0) == BST_CHECKED);
        EXPECT_EQ(c.fromEnabled, Enabled(c.fromId));
        EXPECT_EQ(c.messageText, ItemText(IDC_SENDSMS_TEXT));
        EXPECT_EQ(c.contextShown, m_pDlg->GetUserContextMode());
        EXPECT_EQ(c.contextShown, Visible(IDC_SENDSMS_CONTEXT));
        EXPECT_EQ(c.contextShown, Visible(IDC_SENDSMS_CONTEXT_LABEL));
        EXPECT_EQ(!c.contextShown, Visible(c.fromId));
        EXPECT_EQ(!c.contextShown, Visible(IDC_SENDSMS_FROM_LABEL));
        EXPECT_EQ(!c.contextShown, Visible(IDC_SENDSMS_REPLIES));
        Close();
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(SendSMSWindow, EachPolicyValueOnEachControl)
{
    struct Control
    {
        const char* policy;
        std::function<bool(SendSMSWindow&)> enabled;
        std::function<bool(SendSMSWindow&)> shown;
    };
    // A toolbar button with the separator that hides with it.
    const auto toolbarButton = [](const char* policy, UINT command, UINT separator) {
        const auto state = [](SendSMSWindow& test, UINT id) { return test.m_pDlg->MainToolbar().GetButtonState(id); };
        return Control{policy, [=](SendSMSWindow& t) { return (state(t, command) & TBSTATE_ENABLED) != 0; },
                       [=](SendSMSWindow& t) {
                           const bool shown = !(state(t, separator) & TBSTATE_HIDDEN);
                           EXPECT_EQ(shown, !(state(t, command) & TBSTATE_HIDDEN));
                           return shown;
                       }};
    };
    const Control controls[] = {
        toolbarButton("ZentavoSMSUIOptionsButton", ID_SENDSMS_OPTIONS, ID_SENDSMS_OPTIONS_SEPARATOR),
        toolbarButton("ZentavoSMSUIAvailableBalanceButton", ID_SENDSMS_BALANCE, ID_SENDSMS_BALANCE_SEPARATOR),
        {"ZentavoSMSUIAllowRepliesCheckbox", [](SendSMSWindow& t) { return t.Enabled(IDC_SENDSMS_REPLIES); },
         [](SendSMSWindow& t) { return t.Visible(IDC_SENDSMS_REPLIES); }},
        {"ZentavoSMSUIFromFieldEditbox", [](SendSMSWindow& t) { return t.Enabled(IDC_SENDSMS_FROM); },
         [](SendSMSWindow& t) { return t.Visible(IDC_SENDSMS_FROM); }},
    };
    struct Value
    {
        const char* text;
        bool enabled;
        bool shown;
    };
    const Value values[] = {
        {"", true, true}, {"Enabled", true, true}, {"Disabled", false, true},
        {"Hidden", true, false}, {"disabled", true, true}, {"HIDDEN", true, true},
    };
    for (const Control& control : controls)
        for (const Value& value : values)
        {
            SCOPED_TRACE(std::string(control.policy) + " = \"" + value.text + "\"");
            // Replies off, so that only the policy greys the From field.
            Open({{control.policy, value.text}, {"DefaultSendersIdUseReplyable", "0"}});
            EXPECT_EQ(value.enabled, control.enabled(*this));
            EXPECT_EQ(value.shown, control.shown(*this));
            Close();
        }
}

TEST_F(SendSMSWindow, RepliesToInboxGreysTheFromField)
{
    Open({{"DefaultSendersIdUseReplyable", "0"}});
    ASSERT_TRUE(Enabled(IDC_SENDSMS_FROM));
    ::SendMessageA(Item(IDC_SENDSMS_REPLIES), BM_CLICK, 0, 0);
    EXPECT_FALSE(Enabled(IDC_SENDSMS_FROM));
    ::SendMessageA(Item(IDC_SENDSMS_REPLIES), BM_CLICK, 0, 0);
    EXPECT_TRUE(Enabled(IDC_SENDSMS_FROM));
}

TEST_F(SendSMSWindow, CountersFollowTheText)
{
    struct Case
    {
        const char* what;
        std::string maximum;
        std::string text;
        std::string charsLeft;
        std::string parts;
    };
    const std::string euro = "\x80";
    const Case cases[] = {
        {"empty", "5", "", "160", "1"},
        {"one full part", "5", std::string(160, 'a'), "0", "1"},
        {"one over", "5", std::string(161, 'a'), "145", "2"},
        {"two full parts", "5", std::string(306, 'a'), "0", "2"},
        {"one over two parts", "5", std::string(307, 'a'), "152", "3"},
        {"euro first", "5", euro + std::string(159, 'a'), "145", "2"},
        {"euro on the first part boundary", "5", std::string(152, 'a') + euro + std::string(10, 'a'), "141", "2"},
        {"escape characters", "5", "[]{}", "152", "1"},
        {"line breaks count one each", "5", "a\r\nb\r\nc", "155", "1"},
        {"beyond the maximum of 5", "5", std::string(800, 'a'), "-35", "5"},
        // 0 would reach the gateway as no limit: a stored 0 is the default 5.
        {"a stored maximum of 0, empty", "0", "", "160", "1"},
        {"a stored maximum of 0", "0", "hello", "155", "1"},
        {"a stored maximum of 0, long", "0", std::string(800, 'a'), "-35", "5"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Open({{"ZentavoSMSMaxMsgParts", c.maximum}});
        m_pDlg->SetMessageText(c.text);
        EXPECT_EQ(c.charsLeft, ItemText(IDC_SENDSMS_CHARS_LEFT));
        EXPECT_EQ(c.parts, ItemText(IDC_SENDSMS_PARTS));
        Close();
    }
}

TEST_F(SendSMSWindow, RecipientsAreWrittenAndParsedBack)
{
    Open();
    CSMSContactVector contacts(2);
    contacts[0].m_Name = "Ann [Work]";
    contacts[0].m_Number = "+447700900001";
    contacts[1].m_Number = "+447700900002";
    m_pDlg->SetRecipientsFromContactList(contacts);
    EXPECT_EQ("Ann (Work) [+447700900001]; +447700900002; ", ItemText(IDC_SENDSMS_TO));

    CSMSContactVector parsed;
    m_pDlg->GetSMSContactList(parsed);
    ASSERT_EQ(2u, parsed.size());
    EXPECT_EQ("Ann (Work)", parsed[0].m_Name);
    EXPECT_EQ("+447700900001", parsed[0].m_Number);
    EXPECT_EQ("+447700900002", parsed[1].m_Number);

    m_pDlg->SetRecipientsText("not a number");
    EXPECT_EQ("not a number", ItemText(IDC_SENDSMS_TO));
}

TEST_F(SendSMSWindow, FocusGoesWhereTheCommandAsks)
{
    Open();
    ::SetForegroundWindow(m_Window);
    m_pDlg->SetFocusToMessageText();
    EXPECT_EQ(Item(IDC_SENDSMS_TEXT), ::GetFocus());
    m_pDlg->SetFocusToRecipients();
    EXPECT_EQ(Item(IDC_SENDSMS_TO), ::GetFocus());
}

TEST_F(SendSMSWindow, ClosingEndsTheWindowAndDropsItsModuleLock)
{
    const LONG before = GetComModule().GetLockCount();
    Open();
    EXPECT_EQ(before + 1, GetComModule().GetLockCount());
    // The dialog's default handling posts Cancel for the close box.
    ::SendMessageA(m_Window, WM_CLOSE, 0, 0);
    Pump(100);
    EXPECT_FALSE(::IsWindow(m_Window));
    EXPECT_EQ(before, GetComModule().GetLockCount());
}

TEST_F(SendSMSWindow, ResizingMovesAndStretchesTheControls)
{
    Open();
    RECT window = {};
    ::GetWindowRect(m_Window, &window);
    const auto place = [&](int id) {
        RECT rect = {};
        ::GetWindowRect(Item(id), &rect);
        ::MapWindowPoints(nullptr, m_Window, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    const RECT textBefore = place(IDC_SENDSMS_TEXT);
    const RECT toBefore = place(IDC_SENDSMS_TO);
    const RECT partsBefore = place(IDC_SENDSMS_PARTS);
    const RECT fromBefore = place(IDC_SENDSMS_FROM_LABEL);

    ::SetWindowPos(m_Window, nullptr, 0, 0, window.right - window.left + 100, window.bottom - window.top + 60,
                   SWP_NOMOVE | SWP_NOZORDER);
    const RECT text = place(IDC_SENDSMS_TEXT);
    EXPECT_EQ(textBefore.right - textBefore.left + 100, text.right - text.left);
    EXPECT_EQ(textBefore.bottom - textBefore.top + 60, text.bottom - text.top);
    EXPECT_EQ(toBefore.right - toBefore.left + 100, place(IDC_SENDSMS_TO).right - place(IDC_SENDSMS_TO).left);
    EXPECT_EQ(partsBefore.top + 60, place(IDC_SENDSMS_PARTS).top);
    EXPECT_EQ(fromBefore.top, place(IDC_SENDSMS_FROM_LABEL).top);

    // Below the toolbars, whatever the size.
    RECT rebar = {};
    ::GetWindowRect(m_pDlg->Toolbars().GetRebarWindow(), &rebar);
    ::MapWindowPoints(nullptr, m_Window, reinterpret_cast<POINT*>(&rebar), 2);
    EXPECT_GE(place(IDC_SENDSMS_FROM_LABEL).top, rebar.bottom);

    RECT small = {0, 0, 50, 50};
    ::SendMessageA(m_Window, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&small));
    EXPECT_EQ(320, small.right - small.left);
    EXPECT_EQ(220, small.bottom - small.top);
}

TEST_F(SendSMSWindow, AboutOpensFromTheSystemMenu)
{
    Open();
    const HMENU menu = ::GetSystemMenu(m_Window, FALSE);
    char item[32] = {};
    ASSERT_LT(0, ::GetMenuStringA(menu, IDM_ABOUTBOX, item, sizeof(item), MF_BYCOMMAND));
    EXPECT_STREQ("About...", item);

    CWindowDriver driver;
    driver.Expect().Caption("About ZentavoSMS Outlook Add-in").Press(IDOK);
    ::SendMessageA(m_Window, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_EQ("", driver.Problems());
    EXPECT_EQ(1u, driver.Seen().size());
    EXPECT_TRUE(IsOpen());
}

TEST_F(SendSMSWindow, HelpOpensTheSendSMSHelpPage)
{
    const std::string output = TempFilePath("zentavo_recorded_arguments.txt");
    ::DeleteFileA(output.c_str());
    ::SetEnvironmentVariableA("ZENTAVO_RECORDER_OUTPUT", output.c_str());
    const CScopedHttpCommand command("\"" + ProgramBesideTest("command_line_recorder.exe") + "\" %1");
    Open();
    ::SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(ID_SENDSMS_HELP, BN_CLICKED), 0);
    for (int wait = 0; wait < 600 && ::GetFileAttributesA(output.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
        ::Sleep(100);
    std::string line;
    {
        std::ifstream file(output);
        std::getline(file, line);
    }
    ::DeleteFileA(output.c_str());
    ::SetEnvironmentVariableA("ZENTAVO_RECORDER_OUTPUT", nullptr);
    EXPECT_EQ("http://www.zentavosms.com/redir?page=oladdin_help_sendsms&refer=oladdin&ver=5.0.1", line);
}

// A 2 x 2 bitmap of 24 bits per pixel, rows padded to 8 bytes.
std::string SmallBitmapFile()
{
    std::string file = "BM";
    const auto put = [&file](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(14 + 40 + 16, 4);
    put(0, 4);
    put(14 + 40, 4);
    for (std::uint32_t value : {40u, 2u, 2u})
        put(value, 4);
    put(1, 2);
    put(24, 2);
    for (int i = 0; i < 6; ++i)
        put(0, 4);
    file += std::string(16, '\x7F');
    return file;
}

TEST_F(SendSMSWindow, LogoBesideTheModuleWhenItLoads)
{
    struct Case
    {
        const char* what;
        std::optional<std::string> file;
        LONG width;
    };
    // The template's own 20-pixel placeholder until a logo replaces it.
    const Case cases[] = {
        {"no file", std::nullopt, 20},
        {"a bitmap", SmallBitmapFile(), 2},
        {"not a bitmap", std::string("not a bitmap"), 20},
    };
    const std::string path = ProgramBesideTest("Logo.bmp");
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        if (c.file)
            std::ofstream(path, std::ios::binary) << *c.file;
        Open();
        BITMAP shown = {};
        const auto image = reinterpret_cast<HBITMAP>(::SendMessageA(Item(IDC_SENDSMS_LOGO), STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(0, ::GetObjectA(image, sizeof(shown), &shown));
        EXPECT_EQ(c.width, shown.bmWidth);
        Close();
        ::DeleteFileA(path.c_str());
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(SendSMSWindow, Screenshots)
{
    Open({{"DefaultSendersId", "ACME"}, {"DefaultSendersIdUseReplyable", "0"}});
    m_pDlg->SetRecipientsText("Ann [+447700900001]; ");
    m_pDlg->SetMessageText("Hello from the Send SMS window");
    SaveScreenshot("SendSMSDlg.png");
    ::SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(ID_SENDSMS_ADVANCED, BN_CLICKED), 0);
    SaveScreenshot("SendSMSDlg_Advanced.png");
    Close();

    Open({{"ZentavoSMSEnableUserContextSupport", "1"}});
    SaveScreenshot("SendSMSDlg_UserContext.png");
}

// Options opens the settings sheet; whatever it answers, the window then
// follows what the settings hold (a login or logout there is stored at once).
TEST_F(SendSMSWindow, OptionsSheetThenTheWindowCatchesUp)
{
    Open();
    EXPECT_FALSE(m_pDlg->GetUserContextMode());
    Plugin().m_UserPreferences.SetEnableUserContextSupport(true);
    {
        CWindowDriver driver;
        driver.Expect().Caption("ZentavoSMS Outlook Add-in Settings").Press(IDCANCEL);
        ::SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(ID_SENDSMS_OPTIONS, BN_CLICKED), 0);
        EXPECT_EQ("", driver.Problems());
    }
    EXPECT_TRUE(m_pDlg->GetUserContextMode());
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}
