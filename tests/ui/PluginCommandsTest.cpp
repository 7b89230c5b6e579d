// The plug-in core's commands against the test Outlook: each opens a Send
// SMS window of this thread, found and read back, or shows its box.
#include "tests/ui/SendSMSWindowFixture.h"

#include "platform/OfficeIds.h"
#include "resources/resource.h"
#include "tests/support/WindowDriver.h"
#include "tests/ui/SetupDialogTestSupport.h"

using SetupDialogTest::BoxTextsWithCaption;

namespace
{
class PluginCommands : public SendSMSWindow
{
protected:
    void SetUp() override
    {
        SendSMSWindow::SetUp();
        LoadSettings({});
        // Logged in, so the windows open without the set-up dialog.
        Plugin().m_Config.m_AuthMode = 5;
        Plugin().m_Config.SetSecretKey("secret");
    }
    void TearDown() override
    {
        CloseWindows();
        SendSMSWindow::TearDown();
    }
    // The Send SMS windows this thread has open.
    static std::vector<HWND> Windows() { return ThreadWindowsWithControl(IDC_SENDSMS_TEXT); }
    static void CloseWindows()
    {
        for (HWND window : Windows())
            ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        Pump(50);
    }
    // The control's text in the one Send SMS window a command opened (else
    // how many there were); every window is closed then.
    static std::string OpenedText(int id)
    {
        const std::vector<HWND> windows = Windows();
        const std::string text = windows.size() == 1 ? CWindow(::GetDlgItem(windows[0], id)).GetText()
                                                     : std::to_string(windows.size()) + " windows";
        CloseWindows();
        return text;
    }

    void Select(const std::vector<CFakeObjectPtr>& items)
    {
        const CFakeCollectionPtr selection = m_Outlook.NewCollection(L"Selection");
        for (const CFakeObjectPtr& item : items)
            selection->Add(static_cast<IDispatch*>(item));
        m_Outlook.ActiveExplorer()->SetProperty(L"Selection", static_cast<IDispatch*>(selection));
    }
    // A mail whose Reply() is addressed to these addresses.
    CFakeObjectPtr SMSReply(const std::vector<std::wstring>& addresses)
    {
        const CFakeObjectPtr mail = m_Outlook.NewMailItem();
        const CFakeObjectPtr reply = m_Outlook.NewMailItem();
        for (const std::wstring& to : addresses)
            FakeCollectionOf(reply->Value(L"Recipients"))
                ->Add(static_cast<IDispatch*>(m_Outlook.NewRecipient(L"SMS", to, nullptr)));
        mail->SetMethod(L"Reply", [held = IDispatchPtr(reply)](const CFakeObject::Arguments&) {
            return _variant_t(held.GetInterfacePtr());
        });
        return mail;
    }
};

TEST_F(PluginCommands, ReplyGoesToTheNumberInTheSenderAddress)
{
    const std::wstring first = L"447700900123@sms.example.com";
    const std::wstring second = L"447700900124@sms.example.com";
    const struct
    {
        const char* name;
        std::vector<std::vector<std::wstring>> replies;  // the selected mails' reply addresses
        std::string to;                                  // empty: the box instead
        std::function<void(CFakeOutlook&)> then = nullptr;
    } cases[] = {
        {"twelve digits", {{first}}, "447700900123"},
        {"four digits", {{L"1234@sms.example.com"}}, ""},
        {"no at sign", {{L"447700900123"}}, ""},
        {"two items", {{first}, {second}}, ""},
        {"a reply to two", {{first, second}}, ""},
        {"a selection that cannot be read", {{first}}, "",
         [](CFakeOutlook& outlook) { outlook.ActiveExplorer()->Fail(L"Selection", E_FAIL); }},
        // Last: it takes the explorer away.
        {"no explorer", {}, "", [](CFakeOutlook& outlook) { outlook.SetActiveExplorer(nullptr); }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<CFakeObjectPtr> mails;
        for (const std::vector<std::wstring>& addresses : c.replies)
            mails.push_back(SMSReply(addresses));
        Select(mails);
        if (c.then)
            c.then(m_Outlook);
        const size_t boxesBefore = m_Boxes.Boxes().size();
        Plugin().ReplyViaSMS(m_Outlook.Application());
        EXPECT_EQ(c.to.empty() ? "0 windows" : c.to, OpenedText(IDC_SENDSMS_TO));
        ASSERT_EQ(boxesBefore + (c.to.empty() ? 1 : 0), m_Boxes.Boxes().size());
        if (c.to.empty())
        {
            EXPECT_EQ("Please select SMS message to reply to.", m_Boxes.Boxes().back().text);
            EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION | MB_TASKMODAL), m_Boxes.Boxes().back().style);
        }
    }
}

TEST_F(PluginCommands, ContactsBecomeRecipientsOrText)
{
    const CFakeObjectPtr ann = m_Outlook.NewContactItem(L"Ann Lee", L"Ann", L"Lee", L"+447700900001");
    const CFakeObjectPtr bob = m_Outlook.NewContactItem(L"Bob Ray", L"Bob", L"Ray", L"");
    Select({ann, bob, m_Outlook.NewMailItem()});
    Plugin().SendSMSToContacts(m_Outlook.Application());
    EXPECT_EQ("Ann Lee [+447700900001]; ", OpenedText(IDC_SENDSMS_TO));
    Plugin().ForwardContactViaSMSMessage(m_Outlook.Application());
    EXPECT_EQ("Ann Lee\r\n+447700900001\r\n", OpenedText(IDC_SENDSMS_TEXT));

    Select({bob});
    Plugin().SendSMSToContacts(m_Outlook.Application());
    Plugin().ForwardContactViaSMSMessage(m_Outlook.Application());
    EXPECT_TRUE(Windows().empty());
    EXPECT_EQ(std::vector<std::string>(2, "No mobile numbers were found for the selected contact(s)"),
              BoxTextsWithCaption(m_Boxes));
}

// A distribution list's members as the selection gives them: a plain
// address adds nobody, a member that cannot be read ends the walk with one
// error box, and the command goes on with the contacts found before it.
TEST_F(PluginCommands, DistributionListMembersAndAFailingMember)
{
    const CFakeObjectPtr ann = m_Outlook.NewContactItem(L"Ann Lee", L"Ann", L"Lee", L"+447700900001");
    const CFakeObjectPtr cy = m_Outlook.NewContactItem(L"Cy Fox", L"Cy", L"Fox", L"+447700900003");
    const CFakeObjectPtr list = m_Outlook.NewObject(L"DistListItem");
    list->AddInterface(IID__DistListItem);
    std::vector<CFakeObjectPtr> members = {
        m_Outlook.NewRecipient(L"Cy Fox", L"cy@example.com",
                               m_Outlook.NewAddressEntry(L"Cy Fox", L"cy@example.com", L"SMTP", nullptr, cy)),
        m_Outlook.NewRecipient(L"plain@example.com", L"plain@example.com",
                               m_Outlook.NewAddressEntry(L"plain@example.com", L"plain@example.com", L"SMTP", nullptr)),
    };
    list->SetProperty(L"MemberCount", _variant_t(3L));
    list->SetMethod(L"GetMember", [members](const CFakeObject::Arguments& arguments) {
        const long index = FakeArgumentLong(arguments, 0);
        if (index > static_cast<long>(members.size()))
            FakeThrow(E_FAIL, L"Member unreadable");
        return _variant_t(static_cast<IDispatch*>(members[static_cast<size_t>(index - 1)]));
    });
    Select({ann, list});

    Plugin().SendSMSToContacts(m_Outlook.Application());
    EXPECT_EQ("Ann Lee [+447700900001]; Cy Fox [+447700900003]; ", OpenedText(IDC_SENDSMS_TO));
    ASSERT_EQ(1u, m_Boxes.Boxes().size());
    EXPECT_NE(std::string::npos, m_Boxes.Boxes()[0].text.find("CZentavoSMSOutlookPlugin::GetSelectedContacts"))
        << m_Boxes.Boxes()[0].text;
}

TEST_F(PluginCommands, SendSMSOpensAnEmptyWindow)
{
    Plugin().ShowSendSMSDlg(m_Outlook.Application(), nullptr);
    ASSERT_EQ(1u, Windows().size());
    EXPECT_TRUE(::IsWindowVisible(Windows()[0]));
    EXPECT_EQ("", OpenedText(IDC_SENDSMS_TO));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}
} // namespace
