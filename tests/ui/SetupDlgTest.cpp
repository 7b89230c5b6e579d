// The set-up and login frames, run for real against the gateway simulator
// and answered by the window driver; boxes through the message-box sink.
#include "ui/SetupDlg.h"

#include "tests/support/DialogTemplate.h"
#include "tests/support/GatewayTest.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/SetupDialogTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace SetupDialogTest;

namespace
{
constexpr char kSetupTitle[] = "Welcome to the ZentavoSoftware Outlook SMS Addin";
constexpr char kRetryText[] = "Error occurred connecting to the ZentavoSoftware Service.\n\nPlease check you "
                              "internet connection and firewall settings\n\nDo you want to try again?";

class SetupDlgTest : public CGatewayTest
{
protected:
    static bool LoggedIn()
    {
        CZentavoSMSGatewayLoginDetails details;
        AuthManager().GetLoginDetails(details);
        return details.m_LoggedIn != 0;
    }

    std::vector<std::string> BoxTexts() const { return BoxTextsWithCaption(m_Boxes); }
};

// A parent that counts the control's change notifications.
class CCountingHost : public CDialogImpl<CCountingHost>
{
public:
    CCountingHost() : CDialogImpl(::GetModuleHandleA(nullptr)) {}

    static CMessageTable<CCountingHost> GetMessageTable()
    {
        using Entry = CMessageEntry<CCountingHost>;
        static const Entry entries[] = {
            Entry::Message(WM_SETUPCTRL_CHANGED, &CCountingHost::OnChanged, "CCountingHost::OnChanged"),
        };
        return entries;
    }

    int m_Changes = 0;

private:
    LRESULT OnChanged(UINT, WPARAM, LPARAM, bool&)
    {
        ++m_Changes;
        return 0;
    }
};

struct LoginCase
{
    const char* name;
    const char* username;
    const char* password;
    bool reachable;
    std::vector<int> answers;
    INT_PTR result;
    bool loggedIn;
    std::vector<std::string> boxes;
};

TEST_F(SetupDlgTest, LoginFromTheSetupDialog)
{
    const LoginCase cases[] = {
        {"seeded login", "testuser", "testpass", true, {}, 0, true, {"Login Successfull"}},
        {"wrong password", "testuser", "wrong", true, {}, IDCANCEL, false,
         {"Login Failed!\n\nUsername or Password incorrect"}},
        {"connection failure answered No", "testuser", "testpass", false, {IDNO}, IDCANCEL, false, {kRetryText}},
        {"connection failure answered Yes, then No", "testuser", "testpass", false, {IDYES, IDNO}, IDCANCEL, false,
         {kRetryText, kRetryText}},
    };
    for (const LoginCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        ResetSettings();
        m_Boxes.QueueAnswers(c.answers);
        GatewayTest::PrimaryRelay().SetReachable(c.reachable);
        std::string captionAfter;
        CWindowDriver driver;
        driver.Expect().Caption(kSetupTitle).Run([&](HWND frame) {
            PostLogin(frame, c.username, c.password);
            AfterPosted(frame, [&captionAfter, frame] {
                captionAfter = TextOf(::GetDlgItem(ChildDialog(frame), IDC_SETUP_LOGIN));
                ::PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);
            });
        });
        const size_t boxesBefore = m_Boxes.Boxes().size();
        CSetupDlg setup;
        EXPECT_EQ(c.result, setup.DoModal(nullptr));
        EXPECT_EQ("", driver.Problems());
        EXPECT_EQ(c.loggedIn, LoggedIn());
        std::vector<std::string> texts = BoxTexts();
        texts.erase(texts.begin(), texts.begin() + static_cast<std::ptrdiff_t>(boxesBefore));
        EXPECT_EQ(c.boxes, texts);
        // A frame still open after the login shows its button's own caption again.
        if (!c.loggedIn)
        {
            EXPECT_EQ("Login", captionAfter);
        }
    }
}

// Both frames: their title, the control at fixed pixel margins, and Enter,
// the hidden OK and WM_USER+2 leaving them open.
TEST_F(SetupDlgTest, FramesHoldTheirControlWithFixedMarginsAndStayOpenOnOK)
{
    struct Frame
    {
        const char* title;
        const char* screenshot;
        std::function<INT_PTR()> run;
    };
    const Frame frames[] = {
        {kSetupTitle, "SetupDlg.png", [] { return CSetupDlg().DoModal(nullptr); }},
        {"Login", "LoginDlg.png", [] { return CLoginDlg().DoModal(nullptr); }},
    };
    for (const Frame& f : frames)
    {
        SCOPED_TRACE(f.title);
        RECT control = {};
        RECT client = {};
        bool openAfterOK = false;
        CWindowDriver driver;
        driver.Expect().Caption(f.title).Run([&](HWND frame) {
            const HWND child = ChildDialog(frame);
            ::GetWindowRect(child, &control);
            ::MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&control), 2);
            ::GetClientRect(frame, &client);
            Screenshot(frame, f.screenshot);
            ::PostMessageA(::GetDlgItem(child, IDC_SETUP_USERNAME), WM_KEYDOWN, VK_RETURN, 0);
            ::PostMessageA(frame, WM_COMMAND, IDOK, 0);
            ::PostMessageA(frame, WM_SETUPDLG_OK, 0, 0);
            AfterPosted(frame, [&openAfterOK, frame] {
                openAfterOK = ::IsWindowVisible(frame) != FALSE;
                ::PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);
            });
        });
        EXPECT_EQ(IDCANCEL, f.run());
        EXPECT_EQ("", driver.Problems());
        EXPECT_TRUE(openAfterOK);
        EXPECT_EQ(kSetupDlgMarginX, control.left);
        EXPECT_EQ(kSetupDlgMarginY, control.top);
        EXPECT_EQ(kSetupDlgMarginX, client.right - control.right);
        EXPECT_EQ(kSetupDlgMarginY, client.bottom - control.bottom);
        EXPECT_TRUE(m_Boxes.Boxes().empty());
    }
}

TEST_F(SetupDlgTest, CheckConfigurationAnswersWhetherTheUserLoggedIn)
{
    struct Case
    {
        const char* name;
        bool login;
        bool configured;
    };
    const Case cases[] = {
        {"closed without a login", false, false},
        {"logged in", true, true},
        {"already configured: no dialog", false, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CWindowDriver driver;
        if (!c.configured || c.login)
            driver.Expect().Caption(kSetupTitle).Run([&c](HWND frame) {
                if (c.login)
                    PostLogin(frame, GatewaySimulatorSeed::kUsername, GatewaySimulatorSeed::kPassword);
                else
                    ::PostMessageA(frame, WM_COMMAND, IDCANCEL, 0);
            });
        EXPECT_EQ(c.configured, CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.CheckConfiguration());
        EXPECT_EQ("", driver.Problems());
        EXPECT_EQ(c.configured, LoggedIn());
    }
}

// The options page counts edits by WM_USER+1 from its control: the fill at
// start-up sends none, each edit of either field one.
TEST_F(SetupDlgTest, OnlyEditsAfterTheFillNotifyTheHost)
{
    StoreSeededLogin();
    Config().SetUsername("stored user");
    CCountingHost host;
    CDialogTemplate hostTemplate("Host", 300, 300);
    ASSERT_NE(nullptr, host.CreateIndirect(hostTemplate.Get()));
    CSetupCtrl control;
    ASSERT_NE(nullptr, control.Create(host));
    EXPECT_EQ(0, host.m_Changes);
    EXPECT_EQ("stored user", TextOf(::GetDlgItem(control, IDC_SETUP_USERNAME)));
    ::SetDlgItemTextA(control, IDC_SETUP_USERNAME, "someone");
    ::SetDlgItemTextA(control, IDC_SETUP_PASSWORD, "secret");
    EXPECT_EQ(2, host.m_Changes);
    host.DestroyWindow();
}
} // namespace
