// The plug-in core's commands against the test Outlook: each opens a Send
// SMS window of this thread, found and read back, or shows its box.
#include "tests/ui/SendSMSWindowFixture.h"

#include "platform/OfficeIds.h"
#include "resources/resource.h"
#include "tests/support/WindowDriver.h"

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
        for (HWND window : Windows())
            ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        Pump(50);
        SendSMSWindow::TearDown();
    }
    // The Send SMS windows this thread has open.
    static std::vector<HWND> Windows() { return ThreadWindowsWithControl(IDC_SENDSMS_TEXT); }
    static std::string Text(HWND window, int id) { return CWindow(::GetDlgItem(window, id)).GetText(); }

public:
    // For the scenario tables' lambdas.
    void Select(const std::vector<CFakeObjectPtr>& items)
    {
        const CFakeCollectionPtr selection = m_Outlook.NewCollection(L"Selection");
        for (const CFakeObjectPtr& item : items)
            selection->Add(static_cast<IDispatch*>(item));
        m_Outlook.ActiveExplorer()->SetProperty(L"Selection", static_cast<IDispatch*>(selection));
    }
    // A mail whose Reply() is addressed to the address (and a second one).
    CFakeObjectPtr SMSReply(const std::wstring& address, const std::wstring& second = std::wstring())
    {
        const CFakeObjectPtr mail = m_Outlook.NewMailItem();
        const CFakeObjectPtr reply = m_Outlook.NewMailItem();
        for (const std::wstring& to : {address, second})
            if (!to.empty())
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
    struct Case
    {
        const char* name;
        std::function<void(PluginCommands&)> select;
        std::string to;  // empty: the box instead
    };
    const Case cases[] = {
        {"twelve digits", [](PluginCommands& t) { t.Select({t.SMSReply(L"447700900123@sms.example.com")}); }, "447700900123"},
        {"four digits", [](PluginCommands& t) { t.Select({t.SMSReply(L"1234@sms.example.com")}); }, ""},
        {"no at sign", [](PluginCommands& t) { t.Select({t.SMSReply(L"447700900123")}); }, ""},
        {"two items", [](PluginCommands& t) {
             t.Select({t.SMSReply(L"447700900123@sms.example.com"), t.SMSReply(L"447700900124@sms.example.com")});
         }, ""},
        {"a reply to two", [](PluginCommands& t) {
             t.Select({t.SMSReply(L"447700900123@sms.example.com", L"447700900124@sms.example.com")});
         }, ""},
        {"a selection that cannot be read", [](PluginCommands& t) {
             t.Select({t.SMSReply(L"447700900123@sms.example.com")});
             t.m_Outlook.ActiveExplorer()->Fail(L"Selection", E_FAIL);
         }, ""},
        // Last: it takes the explorer away.
        {"no explorer", [](PluginCommands& t) { t.m_Outlook.SetActiveExplorer(nullptr); }, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        c.select(*this);
        const size_t boxesBefore = m_Boxes.Boxes().size();
        Plugin().ReplyViaSMS(m_Outlook.Application());
        const std::vector<HWND> windows = Windows();
        if (c.to.empty())
        {
            EXPECT_TRUE(windows.empty());
            ASSERT_EQ(boxesBefore + 1, m_Boxes.Boxes().size());
            EXPECT_EQ("Please select SMS message to reply to.", m_Boxes.Boxes().back().text);
            EXPECT_EQ(static_cast<UINT>(0x2030), m_Boxes.Boxes().back().style);
        }
        else
        {
            ASSERT_EQ(1u, windows.size());
            EXPECT_EQ(c.to, Text(windows[0], IDC_SENDSMS_TO));
            ::SendMessageA(windows[0], WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            Pump(20);
        }
    }
}

TEST_F(PluginCommands, ContactsBecomeRecipientsOrText)
{
    const CFakeObjectPtr ann = m_Outlook.NewContactItem(L"Ann Lee", L"Ann", L"Lee", L"+447700900001");
    const CFakeObjectPtr bob = m_Outlook.NewContactItem(L"Bob Ray", L"Bob", L"Ray", L"");
    Select({ann, bob, m_Outlook.NewMailItem()});

    Plugin().SendSMSToContacts(m_Outlook.Application());
    std::vector<HWND> windows = Windows();
    ASSERT_EQ(1u, windows.size());
    EXPECT_EQ("Ann Lee [+447700900001]; ", Text(windows[0], IDC_SENDSMS_TO));
    ::SendMessageA(windows[0], WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    Pump(20);

    Plugin().ForwardContactViaSMSMessage(m_Outlook.Application());
    windows = Windows();
    ASSERT_EQ(1u, windows.size());
    EXPECT_EQ("Ann Lee\r\n+447700900001\r\n", Text(windows[0], IDC_SENDSMS_TEXT));
    ::SendMessageA(windows[0], WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    Pump(20);

    Select({bob});
    Plugin().SendSMSToContacts(m_Outlook.Application());
    Plugin().ForwardContactViaSMSMessage(m_Outlook.Application());
    EXPECT_TRUE(Windows().empty());
    ASSERT_EQ(2u, m_Boxes.Boxes().size());
    EXPECT_EQ("No mobile numbers were found for the selected contact(s)", m_Boxes.Boxes()[0].text);
    EXPECT_EQ("No mobile numbers were found for the selected contact(s)", m_Boxes.Boxes()[1].text);
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
    const std::vector<HWND> windows = Windows();
    ASSERT_EQ(1u, windows.size());
    EXPECT_EQ("Ann Lee [+447700900001]; Cy Fox [+447700900003]; ", Text(windows[0], IDC_SENDSMS_TO));
    ASSERT_EQ(1u, m_Boxes.Boxes().size());
    EXPECT_NE(std::string::npos, m_Boxes.Boxes()[0].text.find("CZentavoSMSOutlookPlugin::GetSelectedContacts"))
        << m_Boxes.Boxes()[0].text;
}

TEST_F(PluginCommands, SendSMSOpensAnEmptyWindow)
{
    Plugin().ShowSendSMSDlg(m_Outlook.Application(), nullptr);
    const std::vector<HWND> windows = Windows();
    ASSERT_EQ(1u, windows.size());
    EXPECT_EQ("", Text(windows[0], IDC_SENDSMS_TO));
    EXPECT_TRUE(::IsWindowVisible(windows[0]));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}
} // namespace
