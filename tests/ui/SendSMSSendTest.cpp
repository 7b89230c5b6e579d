// Sending from the Send SMS window to the gateway simulator: the refusals,
// both routes (up to 100 recipients over HTTPS, 101 as a bulk job), what the
// window puts into the request, a refused and a successful send, the two
// warning dialogs on the way and a second Send while the first runs; text
// the code page cannot carry, repeated phones, a partly refused send,
// failures after the gateway accepted, the user-context field, stored values
// of another writer, a damaged secret key and a change of account on the way
// to a send; what a warning confirmed while settings change, a window closed
// under its last box, and pages that refuse a send on its way.
// The SOAP runtime's header, for the bulk-job transport's credentials
// prompt, needs winsock2.h before windows.h: it comes first.
#include "platform/GSoapWinInet.h"

#include "tests/ui/SendSMSWindowFixture.h"

#include "core/Base64.h"
#include "core/ScopedComApartment.h"
#include "core/StringUtils.h"
#include "core/ZentavoEncryption.h"
#include "platform/ComModule.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/GatewayTest.h"
#include "tests/support/HttpCommand.h"
#include "tests/support/TestPaths.h"
#include "tests/support/UserLocation.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/SetupDialogTestSupport.h"

#include <sddl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace
{
using namespace GatewaySimulatorSeed;

constexpr char kCaption[] = "ZentavoSMS Outlook Add-in";
constexpr char kSendPage[] = "sendmsg.aspx";
constexpr char kBulkJobPage[] = "api/webservices/bulkjob.asmx";
constexpr char kBalancePage[] = "getbalance.aspx";
constexpr char kSetupTitle[] = "Welcome to the ZentavoSoftware Outlook SMS Addin";

using GatewayTest::Recipients;
using GatewayTest::TestNumber;

// The box of a send whose answer was lost.
const std::string kLost = "The message may have been sent.\n\nThe ZentavoSoftware Service's answer was lost, so "
                          "whether it sent (or scheduled) the message is not known. Please check your messages on "
                          "the ZentavoSoftware portal before sending it again.";

// The prefix's browser replaced by the recorder for one scope.
class CRecordedBrowser
{
public:
    CRecordedBrowser() : m_Output(TempFilePath("zentavo_recorded_arguments.txt"))
    {
        ::DeleteFileA(m_Output.c_str());
        ::SetEnvironmentVariableA(kOutputVariable, m_Output.c_str());
    }
    ~CRecordedBrowser()
    {
        ::SetEnvironmentVariableA(kOutputVariable, nullptr);
        ::DeleteFileA(m_Output.c_str());
    }
    CRecordedBrowser(const CRecordedBrowser&) = delete;
    CRecordedBrowser& operator=(const CRecordedBrowser&) = delete;

    // The address the browser was started with; empty when it never was.
    std::string WaitForPage() const
    {
        for (int wait = 0; wait < 300 && ::GetFileAttributesA(m_Output.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
            SendSMSWindow::Pump(100);
        std::ifstream file(m_Output);
        std::string page;
        std::getline(file, page);
        return page;
    }

private:
    static constexpr char kOutputVariable[] = "ZENTAVO_RECORDER_OUTPUT";
    const std::string m_Output;
    const CScopedHttpCommand m_Command{"\"" + ProgramBesideTest("command_line_recorder.exe") + "\" %1"};
};

// A warning dialog's way out: the "Do not show" box ticked first or not,
// the answer, and whether the message then goes.
struct WarningCase
{
    const char* what;
    bool tick;
    std::function<void(CWindowStep&)> answer;
    bool sent;
};

void SendAnyway(CWindowStep& step) { step.Press(IDC_WARNING_SENDANYWAY); }
void Cancel(CWindowStep& step) { step.Press(IDCANCEL); }
// Escape as the keyboard gives it: a key-down at the control with the focus,
// which the dialog's own loop turns into its Cancel.
void Escape(CWindowStep& step)
{
    step.Run([](HWND dialog) {
        const HWND focus = ::GetFocus();
        ::PostMessageA(focus && ::IsChild(dialog, focus) ? focus : dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    });
}

// A Send posted to the window while the dialog is up is refused: one
// dialog, one request.
void SendAgainThenSendAnyway(CWindowStep& step)
{
    step.Run([](HWND dialog) {
        const HWND window = ::GetWindow(dialog, GW_OWNER);
        if (!::GetDlgItem(window, IDC_SENDSMS_TEXT))
            ADD_FAILURE() << "the dialog's owner is not the Send SMS window";
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(ID_SENDSMS_SEND, BN_CLICKED), 0);
        SendSMSWindow::Pump(100);
        ::PostMessageA(dialog, WM_COMMAND, IDC_WARNING_SENDANYWAY, 0);
    });
}

const WarningCase kWarningCases[] = {
    {"Send Anyway", false, SendAnyway, true},
    {"Cancel", false, Cancel, false},
    {"Cancel with the box ticked", true, Cancel, false},
    {"Escape with the box ticked", true, Escape, false},
    {"Send Anyway with the box ticked", true, SendAnyway, true},
    {"a second Send meanwhile, then Send Anyway", false, SendAgainThenSendAnyway, true},
};

void ExpectPurchasePage(const std::string& page)
{
    EXPECT_NE(std::string::npos, page.find("buysmscredits")) << page;
    EXPECT_NE(std::string::npos, page.find(std::string("&username=") + kUsername)) << page;
}

// The Send SMS window on the settings of the real HKEY_CURRENT_USER (WinINet
// takes its certificates from there), logged in with the seeded key pair.
class SendSMSSend : public CGatewayTest
{
protected:
    void SetUp() override
    {
        CGatewayTest::SetUp();
        StoreSeededLogin();
        Preferences().Load();
        m_Primary.SetBalance(kUsername, 100000);
    }

    void TearDown() override
    {
        CloseWindow();
        if (m_BalanceClientRunning)
            Plugin().m_BalanceClient.Uninitialise();
        ResetSettings();
        Preferences().Load();
        CGatewayTest::TearDown();
    }

    static CZentavoSMSOutlookPlugin& Plugin() { return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin; }
    static CConfigZentavoSMSOutlookAddin_UserPreferences& Preferences() { return Plugin().m_UserPreferences; }

    // A new window (the previous one closed) to the recipients with the text.
    // setUpOffered: without an account, the set-up dialog that the window
    // opens first is expected and cancelled.
    void Open(const CSMSContactVector& recipients, const std::string& text, bool setUpOffered = false)
    {
        CloseWindow();
        m_pDlg = new CSendSMSDlg;
        m_pDlg->SetOutlookApplication(m_Outlook.Application());
        {
            std::optional<CWindowDriver> driver;
            if (setUpOffered)
            {
                driver.emplace();
                driver->Expect().Caption(kSetupTitle).Press(IDCANCEL);
            }
            m_Window = m_pDlg->Create(nullptr);
            if (driver)
            {
                EXPECT_EQ("", driver->Problems());
            }
        }
        ASSERT_NE(nullptr, m_Window);
        m_pDlg->SetRecipientsFromContactList(recipients);
        m_pDlg->SetMessageText(text);
        ::ShowWindow(m_Window, SW_SHOW);
        SendSMSWindow::Pump(50);
    }
    // Cancel, as the window's close box sends it.
    void CloseWindow()
    {
        if (IsOpen())
            Command(IDCANCEL);
    }
    void Command(int id) { ::SendMessageA(m_Window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    // The Send SMS button of the main toolbar, clicked.
    void PressSend() { SendSMSWindow::ClickToolbarButton(m_pDlg->MainToolbar().GetWindow(), ID_SENDSMS_SEND); }

    // Send refused before anything goes: one warning box over the window,
    // which stays open.
    void ExpectSendRefused(const std::string& text)
    {
        const size_t boxes = m_Boxes.Boxes().size();
        PressSend();
        ASSERT_TRUE(IsOpen());
        ASSERT_EQ(boxes + 1, m_Boxes.Boxes().size());
        const CapturedMessageBox box = m_Boxes.Boxes().back();
        EXPECT_EQ(text, box.text);
        EXPECT_EQ(kCaption, box.caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK), box.style);
        EXPECT_EQ(m_Window, box.owner);
    }
    // A sender id of the user's own, not the replyable number.
    void SetSender(const char* sender)
    {
        ::SendDlgItemMessageA(m_Window, IDC_SENDSMS_REPLIES, BM_SETCHECK, BST_UNCHECKED, 0);
        Command(IDC_SENDSMS_REPLIES);
        ::SetDlgItemTextA(m_Window, IDC_SENDSMS_FROM, sender);
    }

    bool IsOpen() const { return ::IsWindow(m_Window) != FALSE; }
    std::string Text(int id) const { return CWindow(::GetDlgItem(m_Window, id)).GetText(); }

    // A valid balance in the balance client, as its worker fetched it.
    // nullopt: the gateway refuses the refresh and no balance is valid.
    void StartBalanceClient(std::optional<long long> balance)
    {
        if (balance)
            m_Primary.SetBalance(kUsername, *balance);
        else
            m_Primary.Script(kBalancePage, CScriptedReply::Error("LOGIN_INVALID"));
        SMSGatewayHTTPInterfaceClientAsync& client = Plugin().m_BalanceClient;
        const size_t requests = BalanceRequests();
        // Asked before the worker starts, the refresh is one with any a
        // window asked for while no worker ran: after it the worker is idle.
        client.RequestBalanceRefresh();
        if (!m_BalanceClientRunning)
        {
            client.SetInterface(0x20000001);
            client.SetAccessKeys(kAccessKey, kSecretKey);
            client.Initialise();
            m_BalanceClientRunning = true;
        }
        ASSERT_TRUE(GatewayTest::WaitUntil([&] {
            bool valid = false;
            const std::int32_t last = client.GetLastBalance(valid);
            return BalanceRequests() > requests && (balance ? valid && last == *balance : !valid);
        }));
    }

    // One value of the add-in's settings key as another writer leaves it.
    static void WriteSetting(const std::string& name, DWORD type, const std::string& data)
    {
        CScopedRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, CConfigZentavoSMSOutlookAddin::SettingsKeyPath, 0,
                                                   nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key.get(), name.c_str(), 0, type,
                                                  reinterpret_cast<const BYTE*>(data.data()),
                                                  static_cast<DWORD>(data.size())));
    }
    // Everyone may read the settings key, or (false) do anything with it.
    static void LockSettingsKey(bool readOnly)
    {
        CScopedRegKey key;
        ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, CConfigZentavoSMSOutlookAddin::SettingsKeyPath, 0,
                                                 WRITE_DAC, key.put()));
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            readOnly ? "D:P(A;;KR;;;WD)" : "D:P(A;;KA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr));
        const LONG status = ::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor);
        ::LocalFree(descriptor);
        ASSERT_EQ(ERROR_SUCCESS, status);
    }

    std::string BalanceLabel() const { return m_pDlg->MainToolbar().GetButtonText(ID_SENDSMS_BALANCE); }
    std::wstring TextW(int id) const
    {
        wchar_t text[1024] = {};
        ::GetWindowTextW(::GetDlgItem(m_Window, id), text, 1024);
        return text;
    }
    // Typed as the user types or pastes: the edit's own replacement, wide.
    void Type(int id, const std::wstring& text)
    {
        const HWND control = ::GetDlgItem(m_Window, id);
        ::SendMessageW(control, EM_SETSEL, 0, -1);
        ::SendMessageW(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    // The body of the newest copy in Sent Items; empty when there is none.
    std::wstring LastSentItemBody() const
    {
        const CFakeCollectionPtr items = FakeCollectionOf(m_Outlook.DefaultFolder(5)->Value(L"Items"));
        if (items->Size() == 0)
            return std::wstring();
        const CFakeObjectPtr copy = FakeElementOf(m_Outlook.DefaultFolder(5), L"Items", items->Size() - 1);
        return FakeArgumentText({copy->Value(L"Body")}, 0);
    }

    size_t Sends() const { return m_Primary.Requests(kSendPage).size(); }
    size_t BalanceRequests() const { return m_Primary.Requests(kBalancePage).size(); }

    const CScopedComApartment m_Apartment{COINIT_APARTMENTTHREADED};
    CFakeOutlook m_Outlook;
    CSendSMSDlg* m_pDlg = nullptr;  // owned by its window
    HWND m_Window = nullptr;
    bool m_BalanceClientRunning = false;
};

// The window closes after the send and its end runs once.
TEST_F(SendSMSSend, UpToAHundredRecipientsInOneRequestMoreAsABulkJob)
{
    for (const int count : {2, 100, 101})
    {
        SCOPED_TRACE(count);
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        const LONG locks = GetComModule().GetLockCount();
        Open(Recipients(count), "To everyone");
        EXPECT_EQ(locks + 1, GetComModule().GetLockCount());
        CWindowDriver driver;
        PressSend();
        EXPECT_FALSE(IsOpen());
        // Its hold on the module is gone.
        EXPECT_EQ(locks, GetComModule().GetLockCount());
        EXPECT_EQ("", driver.Problems());

        const std::vector<CLoggedRequest> sends = m_Primary.Requests(kSendPage);
        if (count <= 100)
        {
            ASSERT_EQ(1u, sends.size());
            std::string to = TestNumber(0);
            for (int i = 1; i < count; ++i)
                to += "," + TestNumber(i);
            EXPECT_EQ(to, sends[0].Field("to"));
            EXPECT_EQ("To everyone", sends[0].Field("text"));
            EXPECT_TRUE(m_Primary.Requests(kBulkJobPage).empty());
            continue;
        }
        EXPECT_TRUE(sends.empty());
        const std::vector<CJsonValue> jobs = m_Primary.State()["jobs"].AsArray();
        ASSERT_EQ(1u, jobs.size());
        EXPECT_EQ(101u, jobs[0]["numbers"].AsArray().size());
        const std::vector<std::string> expected = {"CreateSMSTextBulkJob", "AppendRecipients", "SetBulkJobReady"};
        std::vector<std::string> operations;
        for (const CLoggedRequest& request : m_Primary.Requests(kBulkJobPage))
            for (const std::string& operation : expected)
                if (request.m_Body.find("<ns1:" + operation) != std::string::npos)
                    operations.push_back(operation);
        EXPECT_EQ(expected, operations);
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(SendSMSSend, RefusalsSendNothingAndKeepTheWindow)
{
    const struct
    {
        const char* what;
        std::string to;
        std::string text;
        std::string box;
    } cases[] = {
        {"only separators in To", " ; ;  ", "Hello", "There must be at least one recipient in the To list."},
        {"no recipients, no text", "", "", "There must be at least one recipient in the To list."},
        {"empty text", "Ann [" + TestNumber(1) + "]", "", "Please enter message text."},
        // The gateway would pass over an empty number without a word.
        {"an entry without a number beside one with", "Ann [" + TestNumber(1) + "]; Bob []", "Hello",
         "The To field's entry \"Bob\" has no number.\n\nPlease add its number or remove it. Nothing has been sent."},
        {"entries of blanks and separators only", "Bob [ ]; Ann [" + TestNumber(1) + "]; Cy [ , ]", "Hello",
         "These entries of the To field have no number: \"Bob\", \"Cy\".\n\nPlease add their numbers or remove "
         "them. Nothing has been sent."},
        {"only an entry without a number", "Bob []", "Hello",
         "The To field's entry \"Bob\" has no number.\n\nPlease add its number or remove it. Nothing has been sent."},
    };
    Preferences().SetSaveSentMsgsToSentItemsFolder(true);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        Open({}, c.text);
        ::SetDlgItemTextA(m_Window, IDC_SENDSMS_TO, c.to.c_str());
        ASSERT_NO_FATAL_FAILURE(ExpectSendRefused(c.box));
        EXPECT_EQ(c.to, Text(IDC_SENDSMS_TO));
        EXPECT_EQ(c.text, Text(IDC_SENDSMS_TEXT));
    }
    EXPECT_TRUE(m_Primary.Requests().empty());
    EXPECT_EQ(0u, FakeCollectionOf(m_Outlook.DefaultFolder(5)->Value(L"Items"))->Size());
}

// The window's fields as the gateway received them, the sender kept for the
// session and saved, and the copy in Sent Items only when asked for.
TEST_F(SendSMSSend, ASuccessfulSendSavesTheSenderAndCopiesToSentItems)
{
    const struct
    {
        const char* what;
        bool sentItems;
        size_t copies;
        const char* sender;
        std::vector<std::string> senders;  // the saved list, most recent first
    } cases[] = {
        {"copy asked for", true, 1, "ACME", {"ACME"}},
        {"no copy", false, 0, "Globex", {"Globex", "ACME"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const CFakeCollectionPtr items = FakeCollectionOf(m_Outlook.DefaultFolder(5)->Value(L"Items"));
        const size_t before = items->Size();
        Preferences().SetSaveSentMsgsToSentItemsFolder(c.sentItems);
        Preferences().m_MaxMsgParts = 3;
        Open(Recipients(1), "Line one\r\nLine two");
        SetSender(c.sender);
        PressSend();
        ASSERT_FALSE(IsOpen());
        const CLoggedRequest send = m_Primary.Requests(kSendPage).back();
        EXPECT_NE(std::string::npos, send.m_Body.find("&text=Line+one%0dLine+two&")) << send.m_Body;
        EXPECT_EQ("3", send.Field("maxconcat"));
        EXPECT_EQ(c.sender, send.Field("from"));
        EXPECT_EQ("1", send.Field("fromtype"));
        EXPECT_FALSE(send.HasField("startat"));
        // The account's own report setting by default: nothing to override.
        EXPECT_FALSE(send.HasField("delrpt_reqstatus"));
        EXPECT_EQ(before + c.copies, items->Size());
        // A fresh load reads none of the defaults back.
        for (const bool loaded : {false, true})
        {
            SCOPED_TRACE(loaded ? "loaded again" : "in memory");
            if (loaded)
                Preferences().Load();
            EXPECT_EQ(c.sender, Preferences().GetDefaultSendersId());
            EXPECT_FALSE(Preferences().GetDefaultSendersIdUseReplyable());
            EXPECT_FALSE(Preferences().GetDefaultSendersIdUseAccountSettings());
            EXPECT_EQ(c.senders, Preferences().GetSelectableSendersIdList());
        }
    }
}

// Each sender the window offers as the gateway receives it, and the choice
// saved after the send, which the next window opens with; a send in
// user-context mode leaves the choice stored before. The text is typed: the
// counters follow it through the edit's own change notice.
TEST_F(SendSMSSend, EachSenderReachesTheRequestAndIsSaved)
{
    const std::string user = "test.user@example.com";
    const std::string absent = "<absent>";
    const std::string typed = "Typed\r\nby hand";
    // DefaultSendersId, whether replyable, whether account settings, the
    // remembered ids.
    struct Choice
    {
        std::string sender;
        bool replyable;
        bool accountSettings;
        std::vector<std::string> remembered;
    };
    struct Case
    {
        const char* what;
        bool userContextMode;
        std::function<void()> choose;
        // fromtype, from, usercontext, rplyid, msgsrcid as received
        std::vector<std::string> fields;
        Choice saved;
        const char* shown;  // the From field of the next window
        Choice before = {"", true, false, {}};
    };
    const auto inContext = [this] { ::SetDlgItemTextA(m_Window, IDC_SENDSMS_CONTEXT, "Ticket 7"); };
    const std::vector<std::string> inContextFields = {absent, "", "Ticket 7", absent, user};
    const Case cases[] = {
        {"a sender id typed", false, [this] { SetSender("ACME"); },
         {"1", "ACME", absent, user, user}, {"ACME", false, false, {"ACME"}}, "ACME"},
        {"Replies to Inbox", false, [this] { ::SetDlgItemTextA(m_Window, IDC_SENDSMS_FROM, "ACME"); },
         {"2", absent, absent, user, user}, {"ACME", true, false, {}}, "ACME"},
        {"the account's settings", false,
         [this] {
             SetSender("ACME");
             const int item = static_cast<int>(::SendDlgItemMessageA(m_Window, IDC_SENDSMS_FROM, CB_FINDSTRINGEXACT,
                                                                     static_cast<WPARAM>(-1),
                                                                     reinterpret_cast<LPARAM>("<Use Account Settings>")));
             SendSMSWindow::ChooseFromItem(m_Window, IDC_SENDSMS_FROM, item);
         },
         {absent, "", absent, user, user}, {"", false, true, {}}, "<Use Account Settings>"},
        // The hidden sender field is not stored: the choice stays as it was.
        {"a user context", true,
         [this] {
             ::SetDlgItemTextA(m_Window, IDC_SENDSMS_FROM, "ACME");
             ::SetDlgItemTextA(m_Window, IDC_SENDSMS_CONTEXT, "Ticket 42");
         },
         {absent, "", "Ticket 42", absent, user}, {"", true, false, {}}, ""},
        {"a user context, a sender id chosen before", true, inContext, inContextFields,
         {"ACME", false, false, {"ACME", "Globex"}}, "ACME", {"ACME", false, false, {"ACME", "Globex"}}},
        {"a user context, the account's settings chosen before", true, inContext, inContextFields,
         {"", false, true, {"ACME", "Globex"}}, "<Use Account Settings>", {"", false, true, {"ACME", "Globex"}}},
        {"a user context, Replies to Inbox chosen before", true, inContext, inContextFields,
         {"ACME", true, false, {"ACME", "Globex"}}, "ACME", {"ACME", true, false, {"ACME", "Globex"}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Preferences().SetDefaultSendersId(c.before.sender);
        Preferences().SetDefaultSendersIdUseReplyable(c.before.replyable);
        Preferences().SetDefaultSendersIdUseAccountSettings(c.before.accountSettings);
        Preferences().GetSelectableSendersIdList() = c.before.remembered;
        Preferences().SetEnableUserContextSupport(c.userContextMode);
        Preferences().Save();
        Open(Recipients(1), "");
        const HWND text = ::GetDlgItem(m_Window, IDC_SENDSMS_TEXT);
        ::SendMessageA(text, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed.c_str()));
        EXPECT_EQ("147", Text(IDC_SENDSMS_CHARS_LEFT));
        EXPECT_EQ("1", Text(IDC_SENDSMS_PARTS));
        c.choose();
        PressSend();

        ASSERT_FALSE(IsOpen());
        const CLoggedRequest send = m_Primary.Requests(kSendPage).back();
        std::vector<std::string> fields;
        for (const char* name : {"fromtype", "from", "usercontext", "rplyid", "msgsrcid"})
            fields.push_back(send.HasField(name) ? send.Field(name) : absent);
        EXPECT_EQ(c.fields, fields);
        EXPECT_EQ("Typed\rby hand", send.Field("text"));
        Preferences().Load();
        EXPECT_EQ(c.saved.sender, Preferences().GetDefaultSendersId());
        EXPECT_EQ(c.saved.replyable, Preferences().GetDefaultSendersIdUseReplyable());
        EXPECT_EQ(c.saved.accountSettings, Preferences().GetDefaultSendersIdUseAccountSettings());
        EXPECT_EQ(c.saved.remembered, Preferences().GetSelectableSendersIdList());
        Preferences().SetEnableUserContextSupport(false);
        Open(Recipients(1), "");
        EXPECT_EQ(c.shown, Text(IDC_SENDSMS_FROM));
        EXPECT_EQ(c.saved.replyable, ::IsDlgButtonChecked(m_Window, IDC_SENDSMS_REPLIES) == BST_CHECKED);
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(SendSMSSend, ARefusedSendKeepsTheWindowAndSavesNoSender)
{
    m_Primary.Script(kSendPage, CScriptedReply::Error("INSUFFICIENT_CREDIT"));
    Open(Recipients(2), "Hello");
    SetSender("ACME");
    const std::string to = Text(IDC_SENDSMS_TO);
    PressSend();

    ASSERT_TRUE(IsOpen());
    ASSERT_EQ(1u, m_Boxes.Boxes().size());
    EXPECT_EQ(0u, m_Boxes.Boxes()[0].text.find("Send Message Failed!"));
    EXPECT_EQ(to, Text(IDC_SENDSMS_TO));
    EXPECT_EQ("Hello", Text(IDC_SENDSMS_TEXT));
    EXPECT_EQ("ACME", Text(IDC_SENDSMS_FROM));
    Preferences().Load();
    EXPECT_EQ("", Preferences().GetDefaultSendersId());
    EXPECT_TRUE(Preferences().GetSelectableSendersIdList().empty());
}

// Each way out of the dialog, and the "Do not show" box stored whichever
// button closed it.
TEST_F(SendSMSSend, MessageTooLongDialog)
{
    for (const WarningCase& c : kWarningCases)
    {
        SCOPED_TRACE(c.what);
        Preferences().SetWarnIfMsgBeingTruncated(true);
        Preferences().m_MaxMsgParts = 1;
        Preferences().Save();
        const size_t sends = Sends();
        Open(Recipients(1), std::string(161, 'a'));
        CWindowDriver driver;
        const char* const question = "The message that you have entered will be truncated:";
        c.answer(driver.Expect().Caption(kCaption).Text(question).Check(IDC_WARNING_DONOTSHOW, c.tick));
        PressSend();

        ASSERT_EQ(1u, driver.Seen().size());
        EXPECT_EQ("2", driver.Seen()[0].Control(IDC_WARNING_PARTSREQUIRED)->text);
        EXPECT_EQ("1", driver.Seen()[0].Control(IDC_WARNING_MAXPARTS)->text);
        EXPECT_EQ(sends + (c.sent ? 1 : 0), Sends());
        EXPECT_EQ(!c.sent, IsOpen());
        Preferences().Load();
        EXPECT_EQ(!c.tick, Preferences().GetWarnIfMsgBeingTruncated());
        EXPECT_EQ("", driver.Problems());
    }
}

TEST_F(SendSMSSend, InsufficientBalanceDialog)
{
    StartBalanceClient(5);
    for (const WarningCase& c : kWarningCases)
    {
        SCOPED_TRACE(c.what);
        Preferences().SetCheckBalanceBeforeSending(true);
        Preferences().m_MaxMsgParts = 5;
        Preferences().Save();
        const size_t sends = Sends();
        const size_t beforeOpen = BalanceRequests();
        // 3 recipients of a 2-part text need 6 credits.
        Open(Recipients(3), std::string(200, 'b'));
        // The window's own first refresh lands before the count is taken.
        ASSERT_TRUE(GatewayTest::WaitUntil([&] { return BalanceRequests() == beforeOpen + 1; }));
        const size_t beforeDialog = BalanceRequests();
        CWindowDriver driver;
        c.answer(driver.Expect().Caption(kCaption).Check(IDC_WARNING_DONOTSHOW, c.tick));
        PressSend();

        ASSERT_EQ(1u, driver.Seen().size());
        EXPECT_EQ("6", driver.Seen()[0].Control(IDC_WARNING_CREDITSREQUIRED)->text);
        EXPECT_EQ("5", driver.Seen()[0].Control(IDC_WARNING_AVAILABLEBALANCE)->text);
        EXPECT_EQ(sends + (c.sent ? 1 : 0), Sends());
        Preferences().Load();
        EXPECT_EQ(!c.tick, Preferences().GetCheckBalanceBeforeSending());
        // A fresh balance is asked for whatever the choice.
        EXPECT_TRUE(GatewayTest::WaitUntil([&] { return BalanceRequests() > beforeDialog; }, 10000));
        EXPECT_EQ("", driver.Problems());
    }
}

TEST_F(SendSMSSend, EnoughOrUnknownBalanceOpensNoDialog)
{
    Preferences().SetCheckBalanceBeforeSending(true);
    Preferences().m_MaxMsgParts = 5;
    // 3 recipients of a 2-part text need 6 credits.
    for (const std::optional<long long> balance : {std::optional<long long>(), std::optional<long long>(6)})
    {
        SCOPED_TRACE(balance ? "enough" : "unknown");
        const size_t sends = Sends();
        StartBalanceClient(balance);
        Open(Recipients(3), std::string(200, 'c'));
        CWindowDriver driver;
        PressSend();
        EXPECT_TRUE(driver.Seen().empty());
        EXPECT_EQ(sends + 1, Sends());
    }
}

// Buy Credits from the Balance menu, then from the insufficient-balance
// dialog, which stays: the purchase page each time, nothing sent.
TEST_F(SendSMSSend, BuyCreditsOpensThePurchasePage)
{
    StartBalanceClient(1);
    Preferences().SetCheckBalanceBeforeSending(true);
    Open(Recipients(2), "Hi");
    {
        CRecordedBrowser browser;
        Command(ID_BALANCE_BUYCREDITS);
        ExpectPurchasePage(browser.WaitForPage());
    }
    CRecordedBrowser browser;
    std::string page;
    bool stayed = false;
    CWindowDriver driver;
    driver.Expect().Run([&](HWND dialog) {
        ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_WARNING_BUYCREDITS, BN_CLICKED), 0);
        page = browser.WaitForPage();
        stayed = ::IsWindow(dialog) != FALSE;
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    PressSend();

    ExpectPurchasePage(page);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(0u, Sends());
    EXPECT_TRUE(IsOpen());
    EXPECT_EQ("", driver.Problems());
}

// The window's own first refresh and the menu's Refresh Balance ask the
// gateway only when the balance is shown or checked.
TEST_F(SendSMSSend, RefreshBalanceAsksOnlyWithABalancePreference)
{
    StartBalanceClient(40);
    for (const auto& [show, check] : {std::pair(true, false), std::pair(false, true), std::pair(false, false)})
    {
        SCOPED_TRACE(std::string(show ? "shown" : "") + (check ? "checked" : ""));
        Preferences().SetShowCurrentBalance(show);
        Preferences().SetCheckBalanceBeforeSending(check);
        const size_t before = BalanceRequests();
        Open(Recipients(1), "x");
        if (show || check)
        {
            ASSERT_TRUE(GatewayTest::WaitUntil([&] { return BalanceRequests() == before + 1; }));
            Command(ID_BALANCE_REFRESH);
            EXPECT_TRUE(GatewayTest::WaitUntil([&] { return BalanceRequests() == before + 2; }));
            continue;
        }
        Command(ID_BALANCE_REFRESH);
        SendSMSWindow::Pump(1000);
        EXPECT_EQ(before, BalanceRequests());
    }
}

// A schedule and reports chosen in the window's dialogs reach the request.
TEST_F(SendSMSSend, ScheduleAndReportsFromTheDialogsGoIntoTheRequest)
{
    Open(Recipients(2), "Later");
    SYSTEMTIME chosen;
    ::GetSystemTime(&chosen);
    chosen.wYear = static_cast<WORD>(chosen.wYear + (chosen.wMonth == 12 ? 1 : 0));
    chosen.wMonth = static_cast<WORD>(chosen.wMonth % 12 + 1);
    chosen.wDay = 1;
    chosen.wHour = 14;
    chosen.wMinute = 30;
    {
        CWindowDriver driver;
        driver.Expect().Caption("Schedule Delivery").Run([&](HWND dialog) {
            ::SendDlgItemMessageA(dialog, IDC_SCHEDULE_CALENDAR, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&chosen));
            ::SendDlgItemMessageA(dialog, IDC_SCHEDULE_TIME, DTM_SETSYSTEMTIME, GDT_VALID,
                                  reinterpret_cast<LPARAM>(&chosen));
            ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        driver.Expect()
            .Caption("Delivery Reports")
            .Check(IDC_REPORTS_GENERATE)
            .Check(IDC_REPORTS_SENT, true)
            .Check(IDC_REPORTS_DELIVERED, true)
            .Check(IDC_REPORTS_FAILED, false)
            .Check(IDC_REPORTS_EXPIRED, false)
            .Press(IDOK);
        SendSMSWindow::ClickToolbarButton(m_pDlg->AdvancedToolbar().GetWindow(), ID_SENDSMS_SCHEDULE);
        SendSMSWindow::ClickToolbarButton(m_pDlg->AdvancedToolbar().GetWindow(), ID_SENDSMS_DELIVERY_REPORTS);
        EXPECT_EQ("", driver.Problems());
    }
    PressSend();

    ASSERT_FALSE(IsOpen());
    const CLoggedRequest send = m_Primary.Requests(kSendPage).at(0);
    char startAt[32];
    std::snprintf(startAt, sizeof(startAt), "%04u-%02u-01", static_cast<unsigned>(chosen.wYear),
                  static_cast<unsigned>(chosen.wMonth));
    EXPECT_EQ(0u, send.Field("startat").find(startAt)) << send.Field("startat");
    EXPECT_EQ("MessageSent|DeliverySuccess", send.Field("delrpt_reqstatus"));
    EXPECT_EQ("MsgSource", send.Field("delrpt_routingtype"));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// Text the ANSI code page cannot carry, in the message, the sender id or
// the user context, is refused before anything goes, with a box that names
// it; the window keeps what was typed. What the code page holds goes as
// typed.
TEST_F(SendSMSSend, TextOrSenderTheCodePageCannotCarryIsRefused)
{
    const std::string cannot = " holds characters that a text message cannot carry: ";
    const std::string end = ".\n\nPlease remove or replace them. Nothing has been sent.";
    const struct
    {
        const char* what;
        int field;
        std::wstring typed;
        std::string box;       // empty: sent
        const char* sent;      // the request's field
        std::string received;  // UTF-8 on the wire
    } cases[] = {
        {"Chinese and an emoji in the text", IDC_SENDSMS_TEXT, L"Meet at 6 \u4e2d\u6587 \U0001F600",
         "The message text" + cannot + "U+4E2D, U+6587, U+1F600" + end, "", ""},
        {"Greek and Cyrillic in the text", IDC_SENDSMS_TEXT, L"\u03a9\u03a9 \u0416",
         "The message text" + cannot + "U+03A9, U+0416" + end, "", ""},
        {"a sender id in Greek", IDC_SENDSMS_FROM, L"\u0391\u0392\u0393",
         "The sender id" + cannot + "U+0391, U+0392, U+0393" + end, "", ""},
        {"a user context in Greek", IDC_SENDSMS_CONTEXT, L"\u0391\u0392\u0393 ctx",
         "The user context" + cannot + "U+0391, U+0392, U+0393" + end, "", ""},
        {"Latin-1 and the euro in the text", IDC_SENDSMS_TEXT, L"Caf\u00e9 \u20ac5 \u00df", "", "text",
         "Caf\xc3\xa9 \xe2\x82\xac" "5 \xc3\x9f"},
        {"a user context", IDC_SENDSMS_CONTEXT, L"Ticket 42", "", "usercontext", "Ticket 42"},
        {"Latin-1 and the euro in the user context", IDC_SENDSMS_CONTEXT, L"Caf\u00e9 \u20ac5", "", "usercontext",
         "Caf\xc3\xa9 \xe2\x82\xac" "5"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        Preferences().SetEnableUserContextSupport(c.field == IDC_SENDSMS_CONTEXT);
        Open(Recipients(1), "Hello");
        if (c.field == IDC_SENDSMS_FROM)
        {
            SetSender("");
            ::SetWindowTextW(::GetDlgItem(m_Window, IDC_SENDSMS_FROM), c.typed.c_str());
        }
        else
            Type(c.field, c.typed);
        const size_t sends = Sends();
        if (!c.box.empty())
        {
            ASSERT_NO_FATAL_FAILURE(ExpectSendRefused(c.box));
            EXPECT_TRUE(c.typed == TextW(c.field));
            EXPECT_EQ(sends, Sends());
            continue;
        }
        const size_t boxes = m_Boxes.Boxes().size();
        PressSend();
        ASSERT_FALSE(IsOpen());
        EXPECT_EQ(c.received, m_Primary.Requests(kSendPage).back().Field(c.sent));
        EXPECT_EQ(boxes, m_Boxes.Boxes().size());
    }
}

// A sender-id list length of another type or below 1 reads as 5: the send
// keeps the id it used and those before it.
TEST_F(SendSMSSend, AListLengthOfAnotherTypeKeepsTheRememberedSenderIds)
{
    const auto bytes = [](auto value) { return std::string(reinterpret_cast<const char*>(&value), sizeof(value)); };
    const std::vector<std::string> kept = {"ACME", "Globex", "Initech"};
    const struct
    {
        const char* what;
        DWORD type;
        std::string data;
        std::vector<std::string> remembered;
    } cases[] = {
        {"the text 2", REG_SZ, "2", {"ACME", "Globex"}},
        {"REG_DWORD 2", REG_DWORD, bytes(DWORD{2}), {"ACME", "Globex"}},
        {"REG_QWORD 2", REG_QWORD, bytes(std::uint64_t{2}), kept},
        {"REG_BINARY", REG_BINARY, bytes(DWORD{2}), kept},
        {"an empty text", REG_SZ, "", kept},
        {"the text -1", REG_SZ, "-1", kept},
        {"the text 0", REG_SZ, "0", kept},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        WriteSetting("ZentavoSMSSelectableSendersIdList_MaxLength", c.type, c.data);
        WriteSetting("ZentavoSMSSelectableSendersIdList", REG_SZ, "\"Globex\",\"Initech\"");
        Preferences().Load();
        Open(Recipients(1), "Remembered");
        SetSender("ACME");
        PressSend();
        ASSERT_FALSE(IsOpen());
        EXPECT_EQ("ACME", m_Primary.Requests(kSendPage).back().Field("from"));
        Preferences().Load();
        EXPECT_EQ(c.remembered, Preferences().GetSelectableSendersIdList());
    }
}

// Numbers the gateway refused in a send it accepted: one box names them and
// why, the copy in Sent Items lists only the number that went, and the send
// counts as sent.
TEST_F(SendSMSSend, APartlyRefusedSendNamesTheRefusedNumbers)
{
    Preferences().SetSaveSentMsgsToSentItemsFolder(true);
    Open({}, "Partly");
    const std::string to = "Ann [" + TestNumber(1) + "]; 12345; Bob";
    ::SetDlgItemTextA(m_Window, IDC_SENDSMS_TO, to.c_str());
    SetSender("ACME");
    PressSend();

    ASSERT_FALSE(IsOpen());
    ASSERT_EQ(1u, Sends());
    EXPECT_EQ(TestNumber(1) + ",12345,Bob", m_Primary.Requests(kSendPage).back().Field("to"));
    ASSERT_EQ(1u, m_Boxes.Boxes().size());
    const CapturedMessageBox box = m_Boxes.Boxes()[0];
    EXPECT_EQ("The message was sent, but not to these numbers:\n\n12345: not a valid number\nBob: not a valid number",
              box.text);
    EXPECT_EQ(kCaption, box.caption);
    EXPECT_EQ(m_Window, box.owner);
    const std::wstring body = LastSentItemBody();
    const std::wstring ann = L"To: Ann (" + AnsiToWide(TestNumber(1)) + L"); \n";
    EXPECT_EQ(0u, body.find(ann)) << WideToAnsi(body);
    EXPECT_EQ(std::wstring::npos, body.find(L"12345")) << WideToAnsi(body);
    EXPECT_EQ(std::wstring::npos, body.find(L"Bob")) << WideToAnsi(body);
    Preferences().Load();
    EXPECT_EQ("ACME", Preferences().GetDefaultSendersId());
}

// Sends whose outcome the gateway's answers leave partly unsaid: an answer
// late or cut off after the gateway sent (two recipients), a bulk job that
// refused a number without naming it or whose ready answer was cut off, or
// both (101 recipients). One box says what is known; the window closes, as the
// message went or may have, and the Sent Items copy lists no number known
// to be refused and notes what is not known. A connection refused before
// anything went keeps its failure.
TEST_F(SendSMSSend, WhatTheGatewaysAnswersLeaveUnsaidIsToldNotCalledAFailure)
{
    using Replies = std::vector<std::pair<std::string, CScriptedReply>>;
    const std::string lost = "The message may have been sent.\n\nThe ZentavoSoftware Service's answer was lost, so "
                             "whether it sent (or scheduled) the message is not known. Please check your messages on "
                             "the ZentavoSoftware portal before sending it again.";
    const std::string cutOff = "The message was sent, but the ZentavoSoftware Service's answer did not tell whether "
                               "it went to these numbers:\n\n" + TestNumber(1) +
                               "\n\nPlease check your messages on the ZentavoSoftware portal before sending to them "
                               "again.";
    const std::string lostNote = "The ZentavoSoftware Service's answer was lost: whether the message was sent is not "
                                 "known.";
    const std::string cutNote = "The ZentavoSoftware Service's answer did not tell whether the message went to " +
                                TestNumber(1) + ".";
    const std::string refusedOne = "The message was sent, but the ZentavoSoftware Service refused 1 of its 101 numbers "
                                   "(not a valid number) without saying which.";
    const std::string refusedNote = "The ZentavoSoftware Service refused 1 of these numbers without saying which: the "
                                    "message was not sent to it.";
    const std::string lostAfterRefusal = lost + "\n\nThe ZentavoSoftware Service refused 1 of its 101 numbers (not a "
                                                "valid number) without saying which: the message was not sent to it.";
    const std::string failed = "Send Message Failed!\n\nError occurred connecting to the ZentavoSoftware Service."
                               "\n\nPlease check you internet connection and firewall settings";
    // The whole answer: "+447700900000,ID:1000001\n+447700900001,ID:1000002".
    const auto send = [](const CScriptedReply& reply) { return Replies{{kSendPage, reply}}; };
    const CScriptedReply cut = CScriptedReply::Normal().TruncateAt(120);
    const struct
    {
        const char* what;
        int recipients;  // the 58th of 101 is "12345" when refused
        bool refused;
        Replies replies;
        std::string box;   // the one box; empty for none
        std::string note;  // the copy's; empty for none
        std::string gateway;  // messages sent (0: the connection refused), or the job's status
    } rows[] = {
        {"late, after the time-out", 2, false, send(CScriptedReply::Normal().Wait(4)), lost, lostNote, "2"},
        {"cut inside the status line", 2, false, send(CScriptedReply::Normal().TruncateHeadAt(8)), lost, lostNote, "2"},
        {"cut inside the headers", 2, false, send(CScriptedReply::Normal().TruncateHeadAt(40)), lost, lostNote, "2"},
        {"closed without an answer", 2, false, send(CScriptedReply::Normal().TruncateHeadAt(0)), lost, lostNote, "2"},
        {"cut before the first line", 2, false, send(CScriptedReply::Normal().TruncateAt(0)), lost, lostNote, "2"},
        {"cut inside the first number", 2, false, send(CScriptedReply::Normal().TruncateAt(10)), lost, lostNote, "2"},
        {"cut at the first line's end", 2, false, send(CScriptedReply::Normal().TruncateAt(25)), cutOff, cutNote, "2"},
        {"cut inside the second line", 2, false, send(CScriptedReply::Normal().TruncateAt(40)), cutOff, cutNote, "2"},
        {"refused before anything went", 2, false, {}, failed, "", "0"},
        {"a bulk job refusing one number unnamed", 101, true, {}, refusedOne, refusedNote, "Completed"},
        {"a bulk job's ready answer cut off", 101, false, {{"bulkjob.asmx/SetBulkJobReady", cut}}, "", "", "Completed"},
        // Its status is asked after the lost ready answer, and again after
        // the abort that gives it up.
        {"a bulk job's ready, abort and status answers lost", 101, false,
         {{"bulkjob.asmx/SetBulkJobReady", cut}, {"bulkjob.asmx/GetBulkJobStatus", cut},
          {"bulkjob.asmx/AbortBulkJob", CScriptedReply::Drop()}, {"bulkjob.asmx/GetBulkJobStatus", cut}},
         lost, lostNote, "Completed"},
        // The first status read counts the numbers the job kept.
        {"a bulk job refusing one number unnamed, its ready, abort and status answers lost", 101, true,
         {{"bulkjob.asmx/GetBulkJobStatus", CScriptedReply::Normal()}, {"bulkjob.asmx/SetBulkJobReady", cut},
          {"bulkjob.asmx/GetBulkJobStatus", cut}, {"bulkjob.asmx/AbortBulkJob", CScriptedReply::Drop()},
          {"bulkjob.asmx/GetBulkJobStatus", cut}},
         lostAfterRefusal, refusedNote + " " + lostNote, "Completed"},
    };
    Preferences().SetSaveSentMsgsToSentItemsFolder(true);
    // A balance an earlier test left in the balance client opens no dialog.
    Preferences().SetCheckBalanceBeforeSending(false);
    ::SetEnvironmentVariableA("ZENTAVOSMS_GATEWAY_SEND_TIMEOUT_MS", "1500");
    const CFakeCollectionPtr sentItems = FakeCollectionOf(m_Outlook.DefaultFolder(5)->Value(L"Items"));
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        const size_t boxes = m_Boxes.Boxes().size();
        const size_t copies = sentItems->Size();
        const bool sent = row.gateway != "0";
        CSMSContactVector recipients = Recipients(row.recipients);
        if (row.refused)
            recipients[57].m_Number = "12345";
        Open(recipients, "Unsaid");
        for (const auto& reply : row.replies)
            m_Primary.Script(reply.first, reply.second);
        GatewayTest::PrimaryRelay().SetReachable(sent);
        PressSend();
        GatewayTest::PrimaryRelay().SetReachable(true);

        EXPECT_EQ(!sent, IsOpen());
        const std::vector<CapturedMessageBox> shown = m_Boxes.Boxes();
        ASSERT_EQ(boxes + (row.box.empty() ? 0 : 1), shown.size());
        if (!row.box.empty())
        {
            EXPECT_EQ(row.box, shown.back().text);
            EXPECT_EQ(m_Window, shown.back().owner);
        }
        // The copy lists both numbers of two, the note after the To line.
        ASSERT_EQ(copies + (sent ? 1 : 0), sentItems->Size());
        const std::string body = sent ? WideToAnsi(LastSentItemBody()) : std::string();
        EXPECT_EQ(sent && row.recipients == 2, body.find(TestNumber(1)) != std::string::npos) << body;
        const std::string note = row.note.empty() ? "\nNote:" : "\nNote: " + row.note + "\nSender's Id:";
        EXPECT_EQ(row.note.empty(), body.find(note) == std::string::npos) << body;
        const std::vector<CJsonValue> jobs = m_Primary.State()["jobs"].AsArray();
        if (row.recipients > 100)
        {
            ASSERT_EQ(1u, jobs.size());
            EXPECT_EQ(row.gateway, jobs[0]["status"].AsString());
        }
        else
        {
            EXPECT_EQ(row.gateway, std::to_string(m_Primary.State()["messages"].AsArray().size()));
            EXPECT_TRUE(jobs.empty());
        }
    }
    ::SetEnvironmentVariableA("ZENTAVOSMS_GATEWAY_SEND_TIMEOUT_MS", nullptr);
}

// "12345; Ann" answered "12345,ERR:INVALID_NUMBER" then Ann's "ID:" line, or
// with an error name this add-in does not know in the first line, cut after
// every byte: the gateway sent to Ann each time. A line read whole is told
// as read; a number whose line is cut, or names an unknown error, may have
// been sent to, never failed. The window closes every time.
TEST_F(SendSMSSend, AnAnswerCutAtAnyByteOrNamingAnUnknownErrorIsNeverAFailure)
{
    const std::string ann = TestNumber(1);
    const std::string check = "\n\nPlease check your messages on the ZentavoSoftware portal before sending to them "
                              "again.";
    const std::string notTold = "the ZentavoSoftware Service's answer did not tell whether it went to these numbers:"
                                "\n\n";
    const std::string lost = "The message may have been sent.\n\nThe ZentavoSoftware Service's answer was lost, so "
                             "whether it sent (or scheduled) the message is not known. Please check your messages on "
                             "the ZentavoSoftware portal before sending it again.";
    const std::string lostNote = "The ZentavoSoftware Service's answer was lost: whether the message was sent is not "
                                 "known.";
    const std::string refused = "12345: not a valid number";
    const struct
    {
        const char* what;
        const char* replaced;  // the gateway's own name for the refusal, when another
    } answers[] = {{"a refused first line", nullptr}, {"an unknown error name first", "NUMBER_BARRED"}};
    Preferences().SetSaveSentMsgsToSentItemsFolder(true);
    Preferences().SetCheckBalanceBeforeSending(false);
    const CFakeCollectionPtr sentItems = FakeCollectionOf(m_Outlook.DefaultFolder(5)->Value(L"Items"));
    for (const auto& answer : answers)
    {
        // The whole answer's length is known after the first send.
        for (size_t cut = 0, length = 1; cut <= length; ++cut)
        {
            SCOPED_TRACE(std::string(answer.what) + ", cut after " + std::to_string(cut) + " bytes");
            m_Primary.Reset();
            m_Primary.SetBalance(kUsername, 100000);
            CScriptedReply reply = CScriptedReply::Normal().TruncateAt(cut);
            if (answer.replaced)
                reply.Replace("INVALID_NUMBER", answer.replaced);
            m_Primary.Script(kSendPage, reply);
            const size_t boxes = m_Boxes.Boxes().size();
            const size_t copies = sentItems->Size();
            Open({CSMSContact("", "12345"), CSMSContact("Ann", ann)}, "Cut");
            PressSend();

            const std::vector<CLoggedRequest> sends = m_Primary.Requests(kSendPage);
            ASSERT_EQ(1u, sends.size());
            EXPECT_EQ("12345," + ann, sends[0].Field("to"));
            const std::string whole = sends[0].m_ReplyBody;
            length = whole.size();
            const std::vector<CJsonValue> messages = m_Primary.State()["messages"].AsArray();
            ASSERT_EQ(1u, messages.size());
            EXPECT_EQ(ann, messages[0]["number"].AsString());

            // What the bytes received say.
            const std::string received = whole.substr(0, cut);
            const bool refusalRead = !answer.replaced && cut >= whole.find('\n');
            const bool annSent = received.find("ID:") != std::string::npos;
            std::string box = lost;
            std::string note = lostNote;
            bool copyNames12345 = true;
            if (refusalRead && annSent)
            {
                box = "The message was sent, but not to these numbers:\n\n" + refused;
                note.clear();
                copyNames12345 = false;
            }
            else if (refusalRead)
            {
                box = "The message was not sent to these numbers:\n\n" + refused + "\n\nThe " +
                      notTold.substr(4) + ann + check;
                note = "The ZentavoSoftware Service's answer did not tell whether the message went to " + ann + ".";
                copyNames12345 = false;
            }
            else if (annSent)
            {
                box = "The message was sent, but " + notTold + "12345" + check;
                note = "The ZentavoSoftware Service's answer did not tell whether the message went to 12345.";
            }

            EXPECT_FALSE(IsOpen());
            const std::vector<CapturedMessageBox> shown = m_Boxes.Boxes();
            EXPECT_EQ(boxes + 1, shown.size());
            EXPECT_EQ(copies + 1, sentItems->Size());
            if (shown.size() != boxes + 1 || sentItems->Size() != copies + 1)
                continue;
            EXPECT_EQ(box, shown.back().text);
            EXPECT_EQ(m_Window, shown.back().owner);
            const std::string body = WideToAnsi(LastSentItemBody());
            const std::string to = std::string("To: ") + (copyNames12345 ? "12345 (12345); " : "") + "Ann (" + ann +
                                   "); \n";
            EXPECT_EQ(0u, body.find(to + (note.empty() ? "Sender's Id:" : "Note: " + note + "\nSender's Id:")))
                << body;
        }
    }
}

// Answers for a single number that the rule above must not swallow, and one
// it must take: a whole refusal stays a failure, an unknown error name may
// have been sent.
TEST_F(SendSMSSend, AWholeAnswerForOneNumberIsToldAsRead)
{
    const struct
    {
        const char* what;
        std::string number;
        CScriptedReply reply;
        std::string box;
        bool sent;  // the window closed, a copy made
    } rows[] = {
        {"a whole refusal", "12345", CScriptedReply::Normal(), "Send Message Failed!\n\nResultCode: 11\n\nNo Description",
         false},
        {"an unknown error name", "12345", CScriptedReply::Normal().Replace("INVALID_NUMBER", "NUMBER_BARRED"),
         "The message may have been sent.\n\nThe ZentavoSoftware Service's answer was lost, so whether it sent (or "
         "scheduled) the message is not known. Please check your messages on the ZentavoSoftware portal before "
         "sending it again.",
         true},
    };
    Preferences().SetSaveSentMsgsToSentItemsFolder(true);
    Preferences().SetCheckBalanceBeforeSending(false);
    const CFakeCollectionPtr sentItems = FakeCollectionOf(m_Outlook.DefaultFolder(5)->Value(L"Items"));
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        m_Primary.Script(kSendPage, row.reply);
        const size_t boxes = m_Boxes.Boxes().size();
        const size_t copies = sentItems->Size();
        Open({CSMSContact("", row.number)}, "One");
        PressSend();

        EXPECT_EQ(!row.sent, IsOpen());
        ASSERT_EQ(boxes + 1, m_Boxes.Boxes().size());
        EXPECT_EQ(row.box, m_Boxes.Boxes().back().text);
        EXPECT_EQ(copies + (row.sent ? 1 : 0), sentItems->Size());
        EXPECT_EQ(1u, Sends());
    }
}

// What fails after the gateway took the message is reported on its own: the
// window closes as sent, so the user does not send (and pay) again.
TEST_F(SendSMSSend, FailuresAfterTheGatewayAcceptedLeaveTheSendSent)
{
    const struct
    {
        const char* what;
        bool sentItems;
        std::function<void()> spoil;
        const char* event;
    } cases[] = {
        {"Sent Items refuses the copy", true,
         [this] {
             FakeCollectionOf(m_Outlook.DefaultFolder(5)->Value(L"Items"))
                 ->Fail(L"Add", E_FAIL, L"The store is full");
         },
         "Function: CZentavoSMSGatewaySubmissionManager::MakeSubmission (message sent; Sent Items copy failed)"},
        {"the preferences cannot be saved", false,
         [] {
             Preferences().Save();
             LockSettingsKey(true);
             Preferences().Load();
         },
         "Function: CSendSMSDlg::Toolbar_SendMessage (message sent; sender settings not saved)"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        Preferences().SetSaveSentMsgsToSentItemsFolder(c.sentItems);
        c.spoil();
        Open(Recipients(1), "Sent once");
        SetSender("ACME");
        const size_t events = m_Events.Events().size();
        PressSend();
        LockSettingsKey(false);

        EXPECT_FALSE(IsOpen());
        EXPECT_EQ(1u, Sends());
        EXPECT_TRUE(m_Boxes.Boxes().empty());
        const std::vector<CapturedEvent> logged = m_Events.Events();
        ASSERT_EQ(events + 1, logged.size());
        EXPECT_NE(std::string::npos, logged.back().text.find(c.event)) << logged.back().text;
        Preferences().Load();
    }
}

// One send reaches each phone once, in the form first typed, and every
// phone the To field names: the request and the copy in Sent Items name the
// same numbers. A national number is of the location Windows is set to.
TEST_F(SendSMSSend, EachPhoneIsSentToOnce)
{
    using namespace Location;
    Preferences().SetSaveSentMsgsToSentItemsFolder(true);
    const struct
    {
        const char* what;
        GEOID location;
        std::string to;
        std::string sent;
        std::string copy;  // the copy's list of recipients
    } cases[] = {
        {"three forms of one number", kUnitedKingdom, "+447700900001; +44 7700 900001; 07700-900001", "+447700900001",
         "+447700900001 (+447700900001); "},
        {"one number typed twice", kUnitedKingdom, "Ann [07700 900002]; Bob [+447700900003]; 07700 900002",
         "07700 900002,+447700900003", "Ann (07700 900002); Bob (+447700900003); "},
        {"a national and an international form in the UK", kUnitedKingdom, "Ann [+44 (0)7700 900123]; Me [07700 900123]",
         "+44 (0)7700 900123", "Ann (+44 (0)7700 900123); "},
        {"the same pair in the US", kUnitedStates, "Ann [+44 (0)7700 900123]; Me [07700 900123]",
         "+44 (0)7700 900123,07700 900123", "Ann (+44 (0)7700 900123); Me (07700 900123); "},
        {"one number in two spellings, anywhere", kUnitedStates, "Ann [+44 (0)7700-900001]; Bob [447700900001]",
         "+44 (0)7700-900001", "Ann (+44 (0)7700-900001); "},
        {"French and Spanish mobiles", kFrance, "Marie [06 12 34 56 78]; Pablo [+34 612 345 678]",
         "06 12 34 56 78,+34 612 345 678", "Marie (06 12 34 56 78); Pablo (+34 612 345 678); "},
        {"a Rome landline and an Italian mobile", kItaly, "Ufficio [06 1234567]; Luca [346 123 4567]",
         "06 1234567,346 123 4567", "Ufficio (06 1234567); Luca (346 123 4567); "},
        {"a UK and a US number", kUnitedKingdom, "Ann [07700 900001]; Bob [+1 7700 900001]",
         "07700 900001,+1 7700 900001", "Ann (07700 900001); Bob (+1 7700 900001); "},
        {"the French national form first", kFrance, "Mme [06 12 34 56 78]; M [+33 6 12 34 56 78]; P [+34 612 345 678]",
         "06 12 34 56 78,+34 612 345 678", "Mme (06 12 34 56 78); P (+34 612 345 678); "},
        {"a field of two numbers", kUnitedKingdom, "Ann [+447700900001, +447700900002]; Bob [+447700900002]",
         "+447700900001,+447700900002", "Ann (+447700900001); Ann (+447700900002); "},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const CScopedUserLocation location(c.location);
        Open({}, "Once each");
        ::SetDlgItemTextA(m_Window, IDC_SENDSMS_TO, c.to.c_str());
        PressSend();
        ASSERT_FALSE(IsOpen());
        EXPECT_EQ(c.sent, m_Primary.Requests(kSendPage).back().Field("to"));
        const std::string body = WideToAnsi(LastSentItemBody());
        EXPECT_EQ(0u, body.find("To: " + c.copy + "\n")) << body;
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// Values another version or an administrator left: a REG_DWORD count is its
// number, a count the settings page does not offer is the default.
TEST_F(SendSMSSend, StoredMaxMsgPartsReachTheGatewayAsTheCountMeant)
{
    const struct
    {
        const char* what;
        DWORD type;
        std::string data;
        const char* maxconcat;
    } cases[] = {
        {"REG_DWORD 3", REG_DWORD, std::string("\x03\0\0\0", 4), "3"},
        {"the text 0", REG_SZ, "0", "5"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        WriteSetting("ZentavoSMSMaxMsgParts", c.type, c.data);
        Preferences().Load();
        Open(Recipients(1), std::string(200, 'p'));
        CWindowDriver driver;  // a truncation warning would be a fault
        EXPECT_EQ("2", Text(IDC_SENDSMS_PARTS));
        PressSend();
        ASSERT_FALSE(IsOpen());
        EXPECT_EQ(c.maxconcat, m_Primary.Requests(kSendPage).back().Field("maxconcat"));
        EXPECT_EQ("", driver.Problems());
    }
}

// A stored secret key that no longer deciphers is no key: the account counts
// as not set up, and nothing goes to the gateway.
TEST_F(SendSMSSend, ADamagedSecretKeyOffersTheSetUpAndSendsNothing)
{
    std::srand(5);
    std::string bytes = CBase64::Decode(CZentavoEncryption().Encrypt(kSecretKey));
    bytes[bytes.size() - 1] ^= 0x5A;
    WriteSetting("ZentavoSMSSecretKeyEncrypted", REG_SZ,
                 CBase64::Encode(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size())));
    Config().Load();

    Open(Recipients(1), "Hello", true);
    CWindowDriver driver;
    driver.Expect().Caption(kSetupTitle).Press(IDCANCEL);
    PressSend();

    EXPECT_TRUE(IsOpen());
    EXPECT_EQ("", driver.Problems());
    EXPECT_EQ(0u, Sends());
    EXPECT_TRUE(m_Primary.Requests("getbalance.aspx").empty());
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// Logging out and into an account with no credit from the window's settings
// while the first account's refresh is held at the gateway: the window never
// shows the first account's balance again, and the send's check warns with
// the new one.
TEST_F(SendSMSSend, ALoginToAnotherAccountShowsAndChecksOnlyItsBalance)
{
    Preferences().SetShowCurrentBalance(true);
    Preferences().SetCheckBalanceBeforeSending(true);
    StartBalanceClient(1000);
    Open(Recipients(1), "Hello");
    const std::string oldBalance = "Available Balance: 1000";
    ASSERT_TRUE(GatewayTest::WaitUntil([&] {
        SendSMSWindow::Pump(50);
        return BalanceLabel() == oldBalance;
    }));

    m_Primary.Script(kBalancePage, CScriptedReply::Normal().Wait(6));
    const size_t requests = BalanceRequests();
    Command(ID_BALANCE_REFRESH);
    ASSERT_TRUE(GatewayTest::WaitUntil([&] { return BalanceRequests() == requests + 1; }));

    {
        using namespace SetupDialogTest;
        HWND sheet = nullptr;
        HWND status = nullptr;
        CWindowDriver driver;
        driver.Expect().Caption("ZentavoSMS Outlook Add-in Settings").Run([&](HWND dialog) {
            sheet = dialog;
            ::SendMessageA(sheet, PSM_SETCURSEL, 0, 0);
            status = ChildDialog(reinterpret_cast<HWND>(::SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)));
            PostClick(status, IDC_LOGINSTATUS_LOGOUT);
            AfterPosted(sheet, [&] { PostClick(status, IDC_SETUP_LOGIN); });
        });
        driver.Expect().Caption("Login").Run([&](HWND frame) {
            PostLogin(frame, kEmptyUsername, kEmptyPassword);
            AfterPosted(sheet, [&] { ::PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0); });
        });
        Command(ID_SENDSMS_OPTIONS);
        EXPECT_EQ("", driver.Problems());
    }
    ASSERT_EQ(kEmptyUsername, Config().GetUsername());

    // Unknown at once, then the new account's.
    std::vector<std::string> labels{BalanceLabel()};
    EXPECT_EQ("Available Balance: ", labels[0]);
    EXPECT_TRUE(GatewayTest::WaitUntil([&] {
        SendSMSWindow::Pump(50);
        labels.push_back(BalanceLabel());
        return labels.back() == "Available Balance: 0";
    }));
    EXPECT_EQ(labels.end(), std::find(labels.begin(), labels.end(), oldBalance));

    CWindowDriver driver;
    driver.Expect().Caption(kCaption).Press(IDCANCEL);
    PressSend();
    ASSERT_EQ(1u, driver.Seen().size());
    EXPECT_EQ("1", driver.Seen()[0].Control(IDC_WARNING_CREDITSREQUIRED)->text);
    EXPECT_EQ("0", driver.Seen()[0].Control(IDC_WARNING_AVAILABLEBALANCE)->text);
    EXPECT_EQ(0u, Sends());
    EXPECT_EQ("", driver.Problems());
}

// A login in the set-up dialog that a send opens gives the balance client
// the new account's keys.
TEST_F(SendSMSSend, ALoginDuringASendHandsTheKeysToTheBalanceClient)
{
    ResetSettings();
    Preferences().SetCheckBalanceBeforeSending(true);
    SMSGatewayHTTPInterfaceClientAsync& client = Plugin().m_BalanceClient;
    client.SetInterface(0x20000001);
    client.Initialise();
    m_BalanceClientRunning = true;
    Open(Recipients(1), "Hello", true);

    CWindowDriver driver;
    driver.Expect().Caption(kSetupTitle).Run([](HWND frame) {
        SetupDialogTest::PostLogin(frame, kEmptyUsername, kEmptyPassword);
    });
    PressSend();
    EXPECT_EQ("", driver.Problems());
    ASSERT_EQ(kEmptyUsername, Config().GetUsername());

    client.RequestBalanceRefresh();
    EXPECT_TRUE(GatewayTest::WaitUntil([&] {
        bool valid = false;
        return client.GetLastBalance(valid) == 0 && valid;
    }));
    EXPECT_EQ(Config().GetAccessKey(), m_Primary.Requests(kBalancePage).back().Field("accesskey"));
}
// What a warning confirmed is what goes and what is kept. While the warning
// is up another window's Options store other settings, or a program changes
// this window's From field: the message goes as pressed, three parts of text
// cut to the two the user agreed to, and the sender kept is the one it went
// with.
TEST_F(SendSMSSend, WhatTheUserConfirmedIsWhatGoesAndIsKept)
{
    const auto storeMaxParts = [](int parts) {
        return [parts] {
            Preferences().m_MaxMsgParts = parts;
            Preferences().Save();
        };
    };
    const struct
    {
        const char* what;
        bool balanceWarning;  // else the truncation warning
        std::function<void()> meanwhile;
    } rows[] = {
        {"another window stores 1 part at most", false, storeMaxParts(1)},
        {"another window stores 5 parts at most", false, storeMaxParts(5)},
        {"another window asks for copies in Sent Items", false,
         [] {
             Preferences().SetSaveSentMsgsToSentItemsFolder(true);
             Preferences().Save();
         }},
        {"a program rewrites the From field", false,
         [this] { ::SetDlgItemTextA(m_Window, IDC_SENDSMS_FROM, "Other"); }},
        {"a program picks the account's settings", false,
         [this] {
             const int item = static_cast<int>(::SendDlgItemMessageA(m_Window, IDC_SENDSMS_FROM, CB_FINDSTRINGEXACT,
                                                                     static_cast<WPARAM>(-1),
                                                                     reinterpret_cast<LPARAM>("<Use Account Settings>")));
             SendSMSWindow::ChooseFromItem(m_Window, IDC_SENDSMS_FROM, item);
         }},
        // 2 recipients of 3 parts at most 2 need 4 credits; 1 is known.
        {"another window stores 1 part at most under the balance warning", true, storeMaxParts(1)},
    };
    const CFakeCollectionPtr sentItems = FakeCollectionOf(m_Outlook.DefaultFolder(5)->Value(L"Items"));
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        Preferences().m_MaxMsgParts = 2;
        Preferences().SetWarnIfMsgBeingTruncated(!row.balanceWarning);
        Preferences().SetCheckBalanceBeforeSending(row.balanceWarning);
        Preferences().SetSaveSentMsgsToSentItemsFolder(false);
        Preferences().GetSelectableSendersIdList().clear();
        Preferences().Save();
        if (row.balanceWarning)
            StartBalanceClient(1);
        const size_t beforeOpen = BalanceRequests();
        Open(Recipients(2), std::string(400, 't'));
        if (row.balanceWarning)
        {
            // The window's own refresh lands before the gateway gets credit.
            ASSERT_TRUE(GatewayTest::WaitUntil([&] { return BalanceRequests() == beforeOpen + 1; }));
            m_Primary.SetBalance(kUsername, 100000);
        }
        SetSender("ACME");
        const size_t sends = Sends();
        const size_t copies = sentItems->Size();
        CWindowDriver driver;
        driver.Expect().Caption(kCaption).Run([&](HWND dialog) {
            row.meanwhile();
            ::PostMessageA(dialog, WM_COMMAND, IDC_WARNING_SENDANYWAY, 0);
        });
        PressSend();

        ASSERT_EQ(1u, driver.Seen().size());
        const CSeenControl* shown =
            driver.Seen()[0].Control(row.balanceWarning ? IDC_WARNING_CREDITSREQUIRED : IDC_WARNING_MAXPARTS);
        ASSERT_NE(nullptr, shown);
        EXPECT_EQ(row.balanceWarning ? "4" : "2", shown->text);
        EXPECT_FALSE(IsOpen());
        ASSERT_EQ(sends + 1, Sends());
        const CLoggedRequest send = m_Primary.Requests(kSendPage).back();
        EXPECT_EQ("2", send.Field("maxconcat"));
        EXPECT_EQ("1", send.Field("fromtype"));
        EXPECT_EQ("ACME", send.Field("from"));
        EXPECT_EQ(copies, sentItems->Size());
        Preferences().Load();
        EXPECT_EQ("ACME", Preferences().GetDefaultSendersId());
        EXPECT_FALSE(Preferences().GetDefaultSendersIdUseAccountSettings());
        EXPECT_EQ(std::vector<std::string>{"ACME"}, Preferences().GetSelectableSendersIdList());
        EXPECT_EQ("", driver.Problems());
    }
}

// A program closes the window (a posted WM_CLOSE, as Restart Manager or a
// task manager sends it) while the box that ends a send is up: the box is
// shown again without it, and the sender kept is the one the send went with.
TEST_F(SendSMSSend, AWindowClosedUnderItsLastBoxKeepsTheSenderTheSendWentWith)
{
    const std::string partly = "The message was sent, but not to these numbers:\n\n12345: not a valid number";
    const struct
    {
        const char* what;
        bool replyable;  // else the sender id ACME, typed
        CScriptedReply reply;
        std::string box;
    } rows[] = {
        {"partly refused, a sender id typed", false, CScriptedReply::Normal(), partly},
        {"the answer lost, a sender id typed", false, CScriptedReply::Normal().TruncateAt(0), kLost},
        {"the answer lost, Replies to Inbox", true, CScriptedReply::Normal().TruncateAt(0), kLost},
    };
    Preferences().SetCheckBalanceBeforeSending(false);
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        m_Primary.Script(kSendPage, row.reply);
        Preferences().SetDefaultSendersId("");
        Preferences().SetDefaultSendersIdUseReplyable(true);
        Preferences().GetSelectableSendersIdList().clear();
        Preferences().Save();
        Open({CSMSContact("Ann", TestNumber(1)), CSMSContact("", "12345")}, "Closed under the box");
        if (row.replyable)
            ::SetDlgItemTextA(m_Window, IDC_SENDSMS_FROM, "ACME");
        else
            SetSender("ACME");
        const size_t boxes = m_Boxes.Boxes().size();
        m_Boxes.WhileUp([&](const CapturedMessageBox& box) {
            if (box.owner != m_Window)
                return;
            ::PostMessageA(m_Window, WM_CLOSE, 0, 0);
            EXPECT_TRUE(GatewayTest::WaitUntil([&] {
                SendSMSWindow::Pump(20);
                return !IsOpen();
            }, 10000));
        });
        PressSend();
        m_Boxes.WhileUp(nullptr);

        EXPECT_FALSE(IsOpen());
        EXPECT_EQ(1u, Sends());
        const std::vector<CapturedMessageBox> shown = m_Boxes.Boxes();
        ASSERT_EQ(boxes + 2, shown.size());
        EXPECT_EQ(m_Window, shown[boxes].owner);
        EXPECT_NE(m_Window, shown[boxes + 1].owner);
        EXPECT_EQ(row.box, shown[boxes].text);
        EXPECT_EQ(row.box, shown[boxes + 1].text);
        Preferences().Load();
        EXPECT_EQ("ACME", Preferences().GetDefaultSendersId());
        EXPECT_EQ(row.replyable, Preferences().GetDefaultSendersIdUseReplyable());
        EXPECT_EQ(row.replyable ? std::vector<std::string>() : std::vector<std::string>{"ACME"},
                  Preferences().GetSelectableSendersIdList());
    }
}

// A program closes the window (a posted WM_CLOSE) while a warning is up:
// the warning goes with it, which is no "Send Anyway", so nothing goes and
// no sender is kept.
TEST_F(SendSMSSend, AWindowClosedUnderItsWarningSendsNothing)
{
    Preferences().m_MaxMsgParts = 2;
    Preferences().SetWarnIfMsgBeingTruncated(true);
    Preferences().SetCheckBalanceBeforeSending(false);
    Preferences().SetDefaultSendersId("");
    Preferences().GetSelectableSendersIdList().clear();
    Preferences().Save();
    Open(Recipients(2), std::string(400, 't'));
    SetSender("ACME");
    const size_t sends = Sends();
    const size_t boxes = m_Boxes.Boxes().size();
    CWindowDriver driver;
    driver.Expect().Caption(kCaption).Run([&](HWND) { ::PostMessageA(m_Window, WM_CLOSE, 0, 0); });
    PressSend();
    EXPECT_TRUE(GatewayTest::WaitUntil([&] {
        SendSMSWindow::Pump(20);
        return !IsOpen();
    }, 10000));
    EXPECT_EQ(1u, driver.Seen().size());
    EXPECT_EQ(sends, Sends());
    EXPECT_EQ(boxes, m_Boxes.Boxes().size());
    Preferences().Load();
    EXPECT_EQ("", Preferences().GetDefaultSendersId());
    EXPECT_TRUE(Preferences().GetSelectableSendersIdList().empty());
    EXPECT_EQ("", driver.Problems());
}

// The bulk-job transport's prompt for credentials, cancelled, for one scope.
struct CCredentialsPromptCancelled
{
    CCredentialsPromptCancelled()
    {
        SetWinInetErrorDialogSink([](HWND, HINTERNET, DWORD, DWORD) -> DWORD { return ERROR_CANCELLED; });
    }
    ~CCredentialsPromptCancelled() { SetWinInetErrorDialogSink(nullptr); }
};

// A page that a proxy, a firewall or a server in front of the gateway sends
// in place of the gateway's answer, on both routes. Under 400 to 499 the
// gateway never acted: the send failed with what is known, and the window
// keeps it to try again. A 500 page may have come after the gateway acted;
// a gateway answer read whole is read as it is, whatever the status. The
// bulk route's prompt for credentials after a 407 is cancelled.
TEST_F(SendSMSSend, APageThatRefusesTheSendOnItsWayIsAFailureOnBothRoutes)
{
    using Replies = std::vector<std::pair<std::string, CScriptedReply>>;
    const auto page = [](int status, const std::string& title) {
        return CScriptedReply::Body("<html><head><title>" + title + "</title></head><body><h1>" +
                                    std::to_string(status) + " " + title + "</h1></body></html>")
            .HttpStatus(status);
    };
    // Setting the job ready, reading its status, giving it up and reading
    // its status again.
    const auto fromReady = [](const CScriptedReply& reply) {
        return Replies{{"bulkjob.asmx/SetBulkJobReady", reply}, {"bulkjob.asmx/GetBulkJobStatus", reply},
                       {"bulkjob.asmx/AbortBulkJob", reply}, {"bulkjob.asmx/GetBulkJobStatus", reply}};
    };
    const std::string forbidden = "Send Message Failed!\n\nThe request was refused on its way to the ZentavoSoftware "
                                  "Service (HTTP status 403): a proxy server or firewall may be blocking it.\n\n"
                                  "Please check your internet connection and firewall settings.";
    const std::string proxy = "Send Message Failed!\n\nA proxy server asks for authentication (HTTP status 407), so "
                              "the request did not reach the ZentavoSoftware Service.\n\nPlease check this "
                              "computer's proxy settings, or ask your administrator.";
    const struct
    {
        const char* what;
        int recipients;
        Replies replies;
        std::string box;
        bool mayHaveGone;     // the window closed, the copy made, the sender kept
        std::string gateway;  // messages sent, or the job's status ("" none)
    } rows[] = {
        {"a firewall's 403 page for the send", 2, {{kSendPage, page(403, "Forbidden")}}, forbidden, false, "0"},
        {"a proxy's 407 page for the send", 2, {{kSendPage, page(407, "Proxy Authentication Required")}}, proxy,
         false, "0"},
        {"a 500 page for the send", 2, {{kSendPage, page(500, "Internal Server Error")}}, kLost, true, "0"},
        {"the gateway's own refusal under 403", 2,
         {{kSendPage, CScriptedReply::Error("INSUFFICIENT_CREDIT").HttpStatus(403)}},
         "Send Message Failed!\n\nInsufficient credit to complete the request", false, "0"},
        {"a firewall's 403 page for the new job", 101,
         {{"bulkjob.asmx/CreateSMSTextBulkJob", page(403, "Forbidden")}}, forbidden, false, ""},
        {"a proxy's 407 pages from setting the job ready on", 101,
         fromReady(page(407, "Proxy Authentication Required")), proxy, false, "Initialising"},
        {"500 pages from setting the job ready on", 101, fromReady(page(500, "Internal Server Error")), kLost, true,
         "Initialising"},
    };
    Preferences().SetSaveSentMsgsToSentItemsFolder(true);
    Preferences().SetCheckBalanceBeforeSending(false);
    const CCredentialsPromptCancelled cancelled;
    const CFakeCollectionPtr sentItems = FakeCollectionOf(m_Outlook.DefaultFolder(5)->Value(L"Items"));
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        m_Primary.Reset();
        m_Primary.SetBalance(kUsername, 100000);
        Preferences().SetDefaultSendersId("");
        Preferences().Save();
        const size_t boxes = m_Boxes.Boxes().size();
        const size_t copies = sentItems->Size();
        Open(Recipients(row.recipients), "Refused on the way");
        SetSender("ACME");
        const std::string to = Text(IDC_SENDSMS_TO);
        for (const auto& reply : row.replies)
            m_Primary.Script(reply.first, reply.second);
        PressSend();

        EXPECT_EQ(!row.mayHaveGone, IsOpen());
        ASSERT_EQ(boxes + 1, m_Boxes.Boxes().size());
        EXPECT_EQ(row.box, m_Boxes.Boxes().back().text);
        EXPECT_EQ(m_Window, m_Boxes.Boxes().back().owner);
        if (!row.mayHaveGone)
        {
            EXPECT_EQ(to, Text(IDC_SENDSMS_TO));
            EXPECT_EQ("Refused on the way", Text(IDC_SENDSMS_TEXT));
        }
        EXPECT_EQ(copies + (row.mayHaveGone ? 1 : 0), sentItems->Size());
        Preferences().Load();
        EXPECT_EQ(row.mayHaveGone ? "ACME" : "", Preferences().GetDefaultSendersId());
        const std::vector<CJsonValue> jobs = m_Primary.State()["jobs"].AsArray();
        if (row.recipients > 100)
        {
            ASSERT_EQ(row.gateway.empty() ? 0u : 1u, jobs.size());
            if (!jobs.empty())
            {
                EXPECT_EQ(row.gateway, jobs[0]["status"].AsString());
            }
        }
        else
        {
            EXPECT_EQ(1u, Sends());
            EXPECT_EQ(row.gateway, std::to_string(m_Primary.State()["messages"].AsArray().size()));
        }
    }
}
} // namespace
