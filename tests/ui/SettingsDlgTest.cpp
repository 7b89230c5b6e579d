// The settings sheet run for real: pages driven inside the sheet's modal
// loop, logins and logouts at the gateway simulator, boxes through the sink.
#include "ui/ZentavoSMSOutlookAddinSettingsDlg.h"

#include "addin/OutlookAddin_ItemExtender.h"
#include "addin/OutlookVersionCapabilites.h"
#include "tests/support/GatewayTest.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/SetupDialogTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace SetupDialogTest;

namespace
{
constexpr char kTitle[] = "ZentavoSMS Outlook Add-in Settings";
enum EPage
{
    kLoginDetails,
    kYourDetails,
    kSignature,
    kPreferences
};

CZentavoSMSOutlookPlugin& Plugin()
{
    return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;
}

// Counts ribbon refreshes; nothing else is asked of the services here.
class CRibbonServices : public IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider
{
public:
    int m_Refreshes = 0;

    bool Callback_ItemExtender_ShowRecipientSelector(std::string&) override { return false; }
    CZentavoSMSGatewaySubmissionResults& Callback_ItemExtender_MakeSMSGatewaySubmission(
        CZentavoSMSGatewaySubmissionResults& results, const CZentavoSMSGatewaySubmission&) override
    {
        return results;
    }
    std::string& Callback_ItemExtender_GetUsersMobileNumber(std::string& number, bool) override { return number; }
    void Callback_ItemExtender_ReplyViaSMSForSelectedItem() override {}
    void Callback_ItemExtender_ShowSendSMSWindow() override {}
    void Callback_ItemExtender_SendSMSToSelectedContact() override {}
    void Callback_ItemExtender_ForwardSelectedContactViaSMS() override {}
    IDispatchPtr& Callback_ItemExtender_GetOutlookApplication() override { return m_Application; }
    COutlookVersionCapabilites& Callback_ItemExtender_GetOutlookVersionCapabilites() override { return m_Version; }
    void Callback_UpdateOutlookExplorerCustomControls() override { ++m_Refreshes; }

private:
    IDispatchPtr m_Application;
    COutlookVersionCapabilites m_Version;
};

// The page, opened (and so created) first.
HWND Page(HWND sheet, EPage page)
{
    ::SendMessageA(sheet, PSM_SETCURSEL, page, 0);
    return reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void SetCheck(HWND page, int id, bool checked)
{
    ::SendDlgItemMessageA(page, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void PressSheetButton(HWND sheet, int button)
{
    ::PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
}

class SettingsDlgTest : public CGatewayTest
{
protected:
    void SetUp() override
    {
        CGatewayTest::SetUp();
        Prefs().Load();
        m_Version.Parse("16.0.0.4266");
        Plugin().SetOutlookVersionCapabilites(&m_Version);
    }
    void TearDown() override
    {
        Plugin().SetOutlookVersionCapabilites(nullptr);
        CGatewayTest::TearDown();
    }

    static CConfigZentavoSMSOutlookAddin_UserPreferences& Prefs() { return Plugin().m_UserPreferences; }

    // Runs the sheet with the action as the driver's answer; its result.
    INT_PTR RunSheet(std::function<void(HWND sheet)> action)
    {
        CWindowDriver driver;
        driver.Expect().Caption(kTitle).Run(std::move(action));
        CZentavoSMSOutlookAddinSettingsDlg sheet(kTitle);
        sheet.SetServices(&m_Services);
        const INT_PTR result = sheet.Show(nullptr).Answer();
        EXPECT_EQ("", driver.Problems());
        return result;
    }

    static bool LoggedIn()
    {
        CZentavoSMSGatewayLoginDetails details;
        AuthManager().GetLoginDetails(details);
        return details.m_LoggedIn != 0;
    }

    COutlookVersionCapabilites m_Version;
    CRibbonServices m_Services;
};

struct PageCase
{
    const char* name;
    std::function<void(CConfigZentavoSMSOutlookAddin_UserPreferences&)> before;
    // Edits the pages; returns what it saw that the case expects.
    std::function<std::string(HWND sheet)> edit;
    int button;
    std::string seen;
    std::function<void(CConfigZentavoSMSOutlookAddin_UserPreferences& saved)> check;
    int ribbonRefreshes;
};

TEST_F(SettingsDlgTest, PagesLoadAndStoreTheirValues)
{
    using Prefs_ = CConfigZentavoSMSOutlookAddin_UserPreferences;
    const auto nothing = [](Prefs_&) {};
    const PageCase cases[] = {
        {"number and signature stored on OK", nothing,
         [](HWND sheet) {
             ::SetDlgItemTextA(Page(sheet, kYourDetails), IDC_SETTINGS_MOBILENUMBER, "447700900123");
             ::SetDlgItemTextA(Page(sheet, kSignature), IDC_SETTINGS_SIGNATURE, "Regards\r\nMe");
             return std::string();
         },
         PSBTN_OK, "",
         [](Prefs_& saved) {
             EXPECT_EQ("447700900123", saved.GetUsersMobilePhoneNumber());
             EXPECT_EQ("Regards\r\nMe", saved.GetDefaultMessageSignature());
         },
         0},
        {"Cancel keeps the old signature", [](Prefs_& p) { p.SetDefaultMessageSignature("Old"); },
         [](HWND sheet) {
             const HWND page = Page(sheet, kSignature);
             const std::string shown = TextOf(::GetDlgItem(page, IDC_SETTINGS_SIGNATURE));
             ::SetDlgItemTextA(page, IDC_SETTINGS_SIGNATURE, "New");
             return shown;
         },
         PSBTN_CANCEL, "Old", [](Prefs_& saved) { EXPECT_EQ("Old", saved.GetDefaultMessageSignature()); }, 0},
        {"a stored 3 shows \"3\"; \"10\" stores 10", [](Prefs_& p) { p.m_MaxMsgParts = 3; },
         [](HWND sheet) {
             const HWND parts = ::GetDlgItem(Page(sheet, kPreferences), IDC_PREFS_MAXPARTS);
             char row[8] = {};
             ::SendMessageA(parts, CB_GETLBTEXT, ::SendMessageA(parts, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(row));
             ::SendMessageA(parts, CB_SETCURSEL, 9, 0);
             return std::string(row) + " of " + std::to_string(::SendMessageA(parts, CB_GETCOUNT, 0, 0));
         },
         PSBTN_OK, "3 of 10", [](Prefs_& saved) { EXPECT_EQ(10, saved.m_MaxMsgParts); }, 0},
        {"the check boxes", [](Prefs_& p) {
             p.SetShowCurrentBalance(true);
             p.SetCheckBalanceBeforeSending(false);
             p.SetWarnIfMsgBeingTruncated(true);
             p.SetSaveSentMsgsToSentItemsFolder(false);
             p.SetEnableUserContextSupport(true);
         },
         [](HWND sheet) {
             const HWND page = Page(sheet, kPreferences);
             SetCheck(page, IDC_PREFS_SHOWBALANCE, false);
             SetCheck(page, IDC_PREFS_CHECKBALANCE, true);
             SetCheck(page, IDC_PREFS_WARNTRUNCATION, false);
             SetCheck(page, IDC_PREFS_SAVESENT, true);
             SetCheck(page, IDC_PREFS_USERCONTEXT, false);
             return std::string();
         },
         PSBTN_OK, "",
         [](Prefs_& saved) {
             EXPECT_FALSE(saved.GetShowCurrentBalance());
             EXPECT_TRUE(saved.GetCheckBalanceBeforeSending());
             EXPECT_FALSE(saved.GetWarnIfMsgBeingTruncated());
             EXPECT_TRUE(saved.GetSaveSentMsgsToSentItemsFolder());
             EXPECT_FALSE(saved.GetEnableUserContextSupport());
         },
         0},
        {"unticking the ribbon button hides it", [](Prefs_& p) { p.SetUIRibbonSendSMSButton(""); },
         [](HWND sheet) {
             const HWND page = Page(sheet, kPreferences);
             const bool enabled = ::IsWindowEnabled(::GetDlgItem(page, IDC_PREFS_RIBBONBUTTON)) != FALSE;
             SetCheck(page, IDC_PREFS_RIBBONBUTTON, false);
             return std::string(enabled ? "enabled" : "greyed");
         },
         PSBTN_OK, "enabled", [](Prefs_& saved) { EXPECT_EQ("Hidden", saved.GetUIRibbonSendSMSButton()); }, 1},
        {"ticking it shows it", [](Prefs_& p) { p.SetUIRibbonSendSMSButton("Hidden"); },
         [](HWND sheet) {
             SetCheck(Page(sheet, kPreferences), IDC_PREFS_RIBBONBUTTON, true);
             return std::string();
         },
         PSBTN_OK, "", [](Prefs_& saved) { EXPECT_EQ("", saved.GetUIRibbonSendSMSButton()); }, 1},
        {"an unchanged ribbon setting refreshes nothing", [](Prefs_& p) { p.SetUIRibbonSendSMSButton("Hidden"); },
         [](HWND sheet) {
             Page(sheet, kPreferences);
             return std::string();
         },
         PSBTN_OK, "", [](Prefs_& saved) { EXPECT_EQ("Hidden", saved.GetUIRibbonSendSMSButton()); }, 0},
        {"a sender id saved elsewhere meanwhile survives OK", nothing,
         [](HWND sheet) {
             ::SetDlgItemTextA(Page(sheet, kSignature), IDC_SETTINGS_SIGNATURE, "Sig");
             Prefs().SetDefaultSendersId("Elsewhere");
             Prefs().Save();
             return std::string();
         },
         PSBTN_OK, "",
         [](Prefs_& saved) {
             EXPECT_EQ("Elsewhere", saved.GetDefaultSendersId());
             EXPECT_EQ("Sig", saved.GetDefaultMessageSignature());
         },
         0},
        // As a send's "Do not show this message again" stores it, while the
        // sheet shows the old choices; the user changes another box.
        {"warning choices stored elsewhere meanwhile survive OK",
         [](Prefs_& p) {
             p.SetCheckBalanceBeforeSending(true);
             p.SetWarnIfMsgBeingTruncated(true);
             p.m_MaxMsgParts = 4;
         },
         [](HWND sheet) {
             const HWND page = Page(sheet, kPreferences);
             SetCheck(page, IDC_PREFS_SAVESENT, false);
             Prefs().SetCheckBalanceBeforeSending(false);
             Prefs().SetWarnIfMsgBeingTruncated(false);
             Prefs().m_MaxMsgParts = 2;
             Prefs().Save();
             return std::string();
         },
         PSBTN_OK, "",
         [](Prefs_& saved) {
             EXPECT_FALSE(saved.GetCheckBalanceBeforeSending());
             EXPECT_FALSE(saved.GetWarnIfMsgBeingTruncated());
             EXPECT_EQ(2, saved.m_MaxMsgParts);
             EXPECT_FALSE(saved.GetSaveSentMsgsToSentItemsFolder());
         },
         0},
    };
    for (const PageCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        ResetSettings();
        Prefs().Load();
        c.before(Prefs());
        Prefs().Save();
        m_Services.m_Refreshes = 0;
        std::string seen;
        const INT_PTR result = RunSheet([&](HWND sheet) {
            seen = c.edit(sheet);
            PressSheetButton(sheet, c.button);
        });
        EXPECT_EQ(c.button == PSBTN_OK ? 1 : 0, result);
        EXPECT_EQ(c.seen, seen);
        CConfigZentavoSMSOutlookAddin_UserPreferences saved(nullptr);
        saved.Load();
        c.check(saved);
        EXPECT_EQ(c.ribbonRefreshes, m_Services.m_Refreshes);
        EXPECT_TRUE(m_Boxes.Boxes().empty());
    }
}

TEST_F(SettingsDlgTest, RibbonBoxStaysGreyedBeforeOutlook2010)
{
    m_Version = COutlookVersionCapabilites();
    m_Version.Parse("12.0.0.6680");
    bool enabled = true;
    RunSheet([&enabled](HWND sheet) {
        enabled = ::IsWindowEnabled(::GetDlgItem(Page(sheet, kPreferences), IDC_PREFS_RIBBONBUTTON)) != FALSE;
        PressSheetButton(sheet, PSBTN_CANCEL);
    });
    EXPECT_FALSE(enabled);
}

struct LogoutCase
{
    const char* name;
    bool reachable;
    const char* gatewayError;  // scripted answer to the delete, or null
    std::vector<int> answers;
    bool loggedOut;
    // A part of each box's text.
    std::vector<std::string> boxes;
};

TEST_F(SettingsDlgTest, LogoutFromTheSheetSurvivesCancel)
{
    const LogoutCase cases[] = {
        {"logged out", true, nullptr, {}, true, {"Successfull Logged Out"}},
        {"no connection, no retry", false, nullptr, {IDNO}, false, {"Error occurred connecting"}},
        {"refused by the gateway", true, "GATEWAY_ERROR", {}, false, {"Function: CLoginStatusCtrl::LogoutBtn_OnClicked"}},
    };
    for (const LogoutCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        ResetSettings();
        StoreSeededLogin();
        GatewayTest::PrimaryRelay().SetReachable(c.reachable);
        if (c.gatewayError)
            m_Primary.Script("deleteauthfactor.aspx", CScriptedReply::Error(c.gatewayError));
        m_Boxes.QueueAnswers(c.answers);
        const size_t boxesBefore = m_Boxes.Boxes().size();
        bool logoutShownBefore = false;
        std::string statusAfter;
        bool loginShownAfter = false;
        bool logoutShownAfter = false;
        const INT_PTR result = RunSheet([&](HWND sheet) {
            const HWND status = ChildDialog(Page(sheet, kLoginDetails));
            logoutShownBefore = IsShown(status, IDC_LOGINSTATUS_LOGOUT) && !IsShown(status, IDC_SETUP_LOGIN);
            PostClick(status, IDC_LOGINSTATUS_LOGOUT);
            AfterPosted(sheet, [&, sheet, status] {
                statusAfter = TextOf(::GetDlgItem(status, IDC_LOGINSTATUS_TEXT));
                loginShownAfter = IsShown(status, IDC_SETUP_LOGIN) && IsShown(status, IDC_SETUP_CREATEINFO) &&
                                  IsShown(status, IDC_SETUP_CREATEACCOUNT);
                logoutShownAfter = IsShown(status, IDC_LOGINSTATUS_LOGOUT);
                PressSheetButton(sheet, PSBTN_CANCEL);
            });
        });
        GatewayTest::PrimaryRelay().SetReachable(true);
        EXPECT_EQ(0, result);
        EXPECT_TRUE(logoutShownBefore);
        EXPECT_EQ(c.loggedOut, loginShownAfter);
        EXPECT_EQ(!c.loggedOut, logoutShownAfter);
        EXPECT_EQ(c.loggedOut ? "You are currently not logged into a ZentavoSoftware SMS Gateway\n\n"
                                "You need to login to to use the SMS Gateway services\n"
                              : "You are current logged into your ZentavoSoftware SMS Gateway\n\nUsername: testuser\n",
                  statusAfter);
        Config().Load();
        EXPECT_EQ(!c.loggedOut, LoggedIn());
        const std::vector<CapturedMessageBox> boxes = m_Boxes.Boxes();
        ASSERT_EQ(boxesBefore + c.boxes.size(), boxes.size());
        for (size_t i = 0; i < c.boxes.size(); ++i)
            EXPECT_NE(std::string::npos, boxes[boxesBefore + i].text.find(c.boxes[i])) << boxes[boxesBefore + i].text;
    }
}

TEST_F(SettingsDlgTest, LoginFromTheSheetOpensTheLoginDialog)
{
    std::string statusAfter;
    HWND sheetWindow = nullptr;
    HWND status = nullptr;
    CWindowDriver driver;
    driver.Expect().Caption(kTitle).Run([&](HWND sheet) {
        sheetWindow = sheet;
        status = ChildDialog(Page(sheet, kLoginDetails));
        PostClick(status, IDC_SETUP_LOGIN);
    });
    driver.Expect().Caption("Login").Run([&](HWND frame) {
        PostLogin(frame, GatewaySimulatorSeed::kUsername, GatewaySimulatorSeed::kPassword);
        // Runs once the login dialog has ended and the status is shown again.
        AfterPosted(sheetWindow, [&] {
            statusAfter = TextOf(::GetDlgItem(status, IDC_LOGINSTATUS_TEXT));
            PressSheetButton(sheetWindow, PSBTN_CANCEL);
        });
    });
    CZentavoSMSOutlookAddinSettingsDlg sheet(kTitle);
    EXPECT_TRUE(sheet.Show(nullptr).Is(0));
    EXPECT_EQ("", driver.Problems());
    EXPECT_TRUE(LoggedIn());
    EXPECT_EQ("You are current logged into your ZentavoSoftware SMS Gateway\n\nUsername: testuser\n", statusAfter);
}

TEST_F(SettingsDlgTest, EachPageScreenshot)
{
    StoreSeededLogin();
    const char* const names[] = {"SettingsLoginDetails.png", "SettingsYourDetails.png", "SettingsSignature.png",
                                 "SettingsPreferences.png"};
    RunSheet([&](HWND sheet) {
        for (int page = kLoginDetails; page <= kPreferences; ++page)
        {
            Page(sheet, static_cast<EPage>(page));
            ::UpdateWindow(sheet);
            Screenshot(sheet, names[page]);
        }
        PressSheetButton(sheet, PSBTN_CANCEL);
    });
}
} // namespace
