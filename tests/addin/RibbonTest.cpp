// The ribbon documents and callbacks, called as Office calls them: the
// customUI document through IRibbonExtensibility, the callbacks by name
// through IDispatch with real DISPPARAMS and fake controls.
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "tests/support/AddinObject.h"
#include "tests/support/AddinUnderTest.h"
#include "tests/support/CallByName.h"
#include "tests/support/RegistryFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>

namespace
{
const std::wstring kFrameOpen =
    L"<customUI xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\" onLoad=\"OutlookExplorer_RibbonLoaded\" >";
const std::wstring kTabs =
    L"<ribbon><tabs><tab idMso=\"TabMail\"><group id=\"ZentavoOLSMSAddinExplorerTabMailCustomGroup\" "
    L"label=\"ZentavoSMS\" insertAfterMso=\"GroupMailNew\" getVisible=\"Ribbon_GetVisible\" ><button "
    L"id=\"ZentavoOLSMSAddinExplorerTabMailSendSMS\" imageMso=\"OmsSend\" size=\"large\" label=\"Send SMS\" "
    L"onAction=\"Ribbon_ButtonOnAction\" /></group></tab></tabs></ribbon>";

CZentavoSMSOutlookPlugin& Plugin()
{
    return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;
}

class Ribbon : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        ASSERT_EQ(S_OK, CreateAddinObject(IID_IDispatch, &m_Dispatch));
        ASSERT_EQ(S_OK, m_Dispatch->QueryInterface(IID__IDTExtensibility2, reinterpret_cast<void**>(&m_Connection)));
        ASSERT_EQ(S_OK, m_Connection->OnConnection(m_Outlook.Application(), ext_cm_Startup, nullptr, nullptr));
    }
    void TearDown() override
    {
        // Whatever a failed check left: windows closed, settings as stored
        // (the scratch registry holds none).
        CloseSendSMSWindows();
        ReleaseAddin();
        Plugin().m_Config.Load();
        Plugin().m_UserPreferences.Load();
        RegistryFixture::TearDown();
    }
    // Disconnects the add-in as Outlook does and lets it go.
    void ReleaseAddin()
    {
        if (!m_Connection)
            return;
        m_Connection->OnDisconnection(ext_dm_HostShutdown, nullptr);
        m_Connection->Release();
        m_Dispatch->Release();
        m_Connection = nullptr;
        m_Dispatch = nullptr;
    }
    // Logged in, with no balance requests: the commands' windows open
    // without the set-up dialog and talk to no gateway.
    static void LogInWithoutBalance()
    {
        Plugin().m_Config.m_AuthMode = 5;
        Plugin().m_Config.SetSecretKey("secret");
        Plugin().m_UserPreferences.SetShowCurrentBalance(false);
        Plugin().m_UserPreferences.SetCheckBalanceBeforeSending(false);
    }

    // Calls a callback by name; returns the [out, retval] value.
    _variant_t Call(const wchar_t* name, std::vector<_variant_t> arguments)
    {
        return CallByName(m_Dispatch, name, std::move(arguments));
    }
    // Calls a callback on a new control with the id.
    _variant_t On(const std::string& id, const wchar_t* callback) { return Call(callback, {Object(NewRibbonControl(m_Outlook, id))}); }

    CMessageBoxCapture m_Boxes;
    CFakeOutlook m_Outlook;
    IDispatch* m_Dispatch = nullptr;
    _IDTExtensibility2* m_Connection = nullptr;
};

TEST_F(Ribbon, ExplorerDocumentIsTheFrameTabsAndContextMenus)
{
    const std::wstring document = CustomUI(m_Dispatch, L"Microsoft.Outlook.Explorer");
    ASSERT_EQ(0u, document.find(kFrameOpen + kTabs + L"<contextMenus>"));
    const std::wstring end = L"</contextMenus></customUI>";
    ASSERT_EQ(document.size() - end.size(), document.rfind(end));

    // The context menus, element by element: mail menus before contact menus.
    const std::wstring menus = document.substr(kFrameOpen.size() + kTabs.size());
    const std::wregex element(L"<(contextMenu|button) ([^>]*?)/?>");
    std::vector<std::wstring> elements;
    for (auto it = std::wsregex_iterator(menus.begin(), menus.end(), element); it != std::wsregex_iterator(); ++it)
        elements.push_back((*it)[1].str() + L" " + (*it)[2].str());
    const std::vector<std::wstring> expected = {
        L"contextMenu idMso=\"ContextMenuMailItem\"",
        L"button id=\"ZentavoOLSMSAddinMailItemReplyViaSMS\" label=\"Reply Via SMS\" imageMso=\"Reply\" "
        L"onAction=\"Ribbon_ButtonOnAction\"",
        L"contextMenu idMso=\"MenuMailNewItem\"",
        L"button id=\"ZentavoOLSMSAddinMailItemSendSMS\" label=\"SMS Text Message\" imageMso=\"SendItem\" "
        L"onAction=\"Ribbon_ButtonOnAction\"",
        L"contextMenu idMso=\"ContextMenuContactItem\"",
        L"button id=\"ZentavoOLSMSAddinContactItemSendSMSToContact\" label=\"Send SMS to Contact\" imageMso=\"SendItem\" "
        L"onAction=\"Ribbon_ButtonOnAction\"",
        L"button id=\"ZentavoOLSMSAddinContactItemForwardViaSMSMessage\" label=\"Forward via SMS Message\" "
        L"imageMso=\"ForwardContact\" onAction=\"Ribbon_ButtonOnAction\"",
        L"contextMenu idMso=\"ContextMenuMultipleItems\"",
        L"button id=\"ZentavoOLSMSAddinContactItemMultipleSendSMSToContact\" label=\"Send SMS to Contacts\" "
        L"imageMso=\"SendItem\" onAction=\"Ribbon_ButtonOnAction\" getVisible=\"Ribbon_GetVisible\"",
        L"button id=\"ZentavoOLSMSAddinContactItemMultipleForwardViaSMSMessage\" label=\"Forward via SMS Message\" "
        L"imageMso=\"ForwardContact\" onAction=\"Ribbon_ButtonOnAction\" getVisible=\"Ribbon_GetVisible\"",
    };
    EXPECT_EQ(expected, elements);

    EXPECT_EQ(L"<null>", CustomUI(m_Dispatch, L"Microsoft.Outlook.Mail.Read"));
    IRibbonExtensibility* ribbon = nullptr;
    ASSERT_EQ(S_OK, m_Dispatch->QueryInterface(IID_IRibbonExtensibility, reinterpret_cast<void**>(&ribbon)));
    EXPECT_EQ(E_POINTER, ribbon->GetCustomUI(_bstr_t(L"Microsoft.Outlook.Explorer"), nullptr));
    ribbon->Release();
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// A caller through the vtable may pass a null out pointer, which Office's
// Invoke never does: each getter refuses it instead of writing through it.
TEST_F(Ribbon, GettersRefuseANullOutPointer)
{
    IRibbonCallback* callback = nullptr;
    ASSERT_EQ(S_OK, m_Dispatch->QueryInterface(IID_IRibbonCallback, reinterpret_cast<void**>(&callback)));
    IDispatch* const control = NewRibbonControl(m_Outlook, "ZentavoOLSMSAddinContactItemMultipleSendSMSToContact");
    EXPECT_EQ(E_POINTER, callback->Ribbon_GetLabel(control, nullptr));
    EXPECT_EQ(E_POINTER, callback->Ribbon_GetText(control, nullptr));
    EXPECT_EQ(E_POINTER, callback->Ribbon_GetPressed(control, nullptr));
    EXPECT_EQ(E_POINTER, callback->Ribbon_GetItemCount(control, nullptr));
    EXPECT_EQ(E_POINTER, callback->Ribbon_GetItemID(control, 0, nullptr));
    EXPECT_EQ(E_POINTER, callback->Ribbon_GetItemLabel(control, 0, nullptr));
    EXPECT_EQ(E_POINTER, callback->Ribbon_GetVisible(control, nullptr));
    callback->Release();
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// The explorer group follows the user's ribbon preference; other controls of
// the explorer and contact extenders stay hidden; an unknown id reaches the
// reminder, which leaves the value as Office set it. The multiple-items
// menu shows its contact buttons only for a selection that holds a contact.
TEST_F(Ribbon, VisibilityCallbacksReachTheOwningExtender)
{
    const char kGroup[] = "ZentavoOLSMSAddinExplorerTabMailCustomGroup";
    const char kMultiple[] = "ZentavoOLSMSAddinContactItemMultipleSendSMSToContact";
    struct Case
    {
        const char* name;
        const char* preference;
        const char* id;
        std::function<void(CFakeOutlook&, CFakeCollection&)> select;  // the explorer's selection, if given
        long visible;
    };
    const Case cases[] = {
        {"group", "", kGroup, nullptr, 1},
        {"group hidden", "Hidden", kGroup, nullptr, 0},
        {"group, preference in lower case", "hidden", kGroup, nullptr, 1},
        {"other explorer control", "", "ZentavoOLSMSAddinExplorerOther", nullptr, 0},
        {"contact control", "", "ZentavoOLSMSAddinContactItemSendSMSToContact", nullptr, 0},
        {"unknown id", "", "ZentavoOLSMSAddinSMSReminderTab", nullptr, 0},
        {"two mails", "", kMultiple, [](CFakeOutlook& o, CFakeCollection& s) {
             s.Add(o.NewMailItem());
             s.Add(o.NewMailItem());
         }, 0},
        {"a mail and a contact", "", kMultiple, [](CFakeOutlook& o, CFakeCollection& s) {
             s.Add(o.NewMailItem());
             s.Add(o.NewContactItem(L"Ann Lee", L"Ann", L"Lee", L"+447700900001"));
         }, 1},
        {"failing selection", "", kMultiple, [](CFakeOutlook& o, CFakeCollection&) { o.ActiveExplorer()->Fail(L"Selection", E_FAIL); }, 0},
        {"no explorer", "", kMultiple, [](CFakeOutlook& o, CFakeCollection&) { o.SetActiveExplorer(nullptr); }, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Plugin().m_UserPreferences.SetUIRibbonSendSMSButton(c.preference);
        if (c.select)
        {
            const CFakeCollectionPtr selection = m_Outlook.NewCollection(L"Selection");
            if (m_Outlook.ActiveExplorer())
                m_Outlook.ActiveExplorer()->SetProperty(L"Selection", static_cast<IDispatch*>(selection));
            c.select(m_Outlook, *selection);
        }
        EXPECT_EQ(c.visible, static_cast<long>(On(c.id, L"Ribbon_GetVisible")));
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
}

TEST_F(Ribbon, AFailingCallbackIsShownUnderItsName)
{
    const CFakeObjectPtr control = NewRibbonControl(m_Outlook, "ZentavoOLSMSAddinExplorerTabMailSendSMS");
    control->Fail(L"Id", E_ACCESSDENIED, L"Control gone");
    Call(L"Ribbon_GetLabel", {Object(control)});
    Call(L"Ribbon_ButtonOnAction", {Object(control)});
    Call(L"Ribbon_GetText", {Object(m_Outlook.NewObject(L"Other"))});
    const std::vector<std::string> boxes = BoxTexts(m_Boxes);
    ASSERT_EQ(3u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[0].find("Control gone")) << boxes[0];
    EXPECT_NE(std::string::npos, boxes[0].find("Function: CAddin::Ribbon_GetLabel"));
    EXPECT_NE(std::string::npos, boxes[1].find("(Context:Getting RibbonId) - Control gone"));
    EXPECT_NE(std::string::npos, boxes[1].find("Function: CAddin::Ribbon_ButtonOnAction"));
    EXPECT_NE(std::string::npos, boxes[2].find("Function: CAddin::Ribbon_GetText"));
}

// Each document's ribbon object goes to its own extender: the group refresh
// reaches the explorer's ribbon only, and nothing before it loaded.
TEST_F(Ribbon, GroupRefreshReachesTheExplorerRibbonOnly)
{
    CAddin* addin = static_cast<CAddin*>(static_cast<IRibbonCallback*>(m_Dispatch));
    m_Outlook.Log().Clear();
    addin->Callback_UpdateOutlookExplorerCustomControls();
    EXPECT_TRUE(m_Outlook.Log().Calls().empty());

    for (const auto& loaded : {std::make_pair(L"ExplorerRibbon", L"OutlookExplorer_RibbonLoaded"),
                               std::make_pair(L"AppointmentRibbon", L"AppointmentItem_RibbonLoaded")})
    {
        const CFakeObjectPtr ribbon = m_Outlook.NewObject(loaded.first);
        ribbon->AddInterface(IID_IRibbonUI);
        ribbon->SetMethod(L"InvalidateControl", [](const CFakeObject::Arguments&) { return _variant_t(); });
        Call(loaded.second, {Object(ribbon)});
    }
    m_Outlook.Log().Clear();
    addin->Callback_UpdateOutlookExplorerCustomControls();
    EXPECT_EQ(std::vector<std::wstring>{L"ExplorerRibbon.InvalidateControl(\"ZentavoOLSMSAddinExplorerTabMailCustomGroup\")"},
              m_Outlook.Log().Texts());
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// Every button of the documents reaches its command: a Send SMS window with
// what the selection gives, or the command's box.
TEST_F(Ribbon, EachButtonReachesItsCommand)
{
    LogInWithoutBalance();
    CWindowDriver driver;  // answers anything unexpected instead of waiting

    const char kNoNumbers[] = "No mobile numbers were found for the selected contact(s)";
    const char kAnnTo[] = "Ann Lee [+447700900001]; ";
    const char kAnnText[] = "Ann Lee\r\n+447700900001\r\n";
    struct Case
    {
        const char* id;
        bool contactSelected;
        std::string to, text;  // the window's fields
        std::string box;       // or the box instead
    };
    const Case cases[] = {
        {"ZentavoOLSMSAddinExplorerTabMailSendSMS", false, "", "", ""},
        {"ZentavoOLSMSAddinMailItemSendSMS", false, "", "", ""},
        {"ZentavoOLSMSAddinMailItemReplyViaSMS", false, "", "", "Please select SMS message to reply to."},
        {"ZentavoOLSMSAddinContactItemSendSMSToContact", true, kAnnTo, "", ""},
        {"ZentavoOLSMSAddinContactItemMultipleSendSMSToContact", true, kAnnTo, "", ""},
        {"ZentavoOLSMSAddinContactItemForwardViaSMSMessage", true, "", kAnnText, ""},
        {"ZentavoOLSMSAddinContactItemMultipleForwardViaSMSMessage", true, "", kAnnText, ""},
        {"ZentavoOLSMSAddinContactItemSendSMSToContact", false, "", "", kNoNumbers},
        {"ZentavoOLSMSAddinContactItemForwardViaSMSMessage", false, "", "", kNoNumbers},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.id) + (c.contactSelected ? " with a contact" : ""));
        const CFakeCollectionPtr selection = m_Outlook.NewCollection(L"Selection");
        if (c.contactSelected)
            selection->Add(m_Outlook.NewContactItem(L"Ann Lee", L"Ann", L"Lee", L"+447700900001"));
        m_Outlook.ActiveExplorer()->SetProperty(L"Selection", static_cast<IDispatch*>(selection));
        const size_t boxesBefore = m_Boxes.Boxes().size();

        On(c.id, L"Ribbon_ButtonOnAction");

        const auto windows = CloseSendSMSWindows();
        EXPECT_EQ(c.box.empty() ? std::vector<std::string>() : std::vector<std::string>{c.box},
                  BoxTexts(m_Boxes, boxesBefore));
        using Fields = std::vector<std::pair<std::string, std::string>>;
        EXPECT_EQ((c.box.empty() ? Fields{{c.to, c.text}} : Fields()), windows);
    }
    EXPECT_EQ("", driver.Problems());
}

// Outlook may disconnect and release the add-in while a Send SMS window it
// opened is still up: the window keeps the add-in object (and so its
// services) until it closes.
TEST_F(Ribbon, ASendSMSWindowKeepsTheAddinUntilItCloses)
{
    LogInWithoutBalance();
    const LONG locksBefore = GetComModule().GetLockCount();
    On("ZentavoOLSMSAddinExplorerTabMailSendSMS", L"Ribbon_ButtonOnAction");
    const std::vector<HWND> windows = ThreadWindowsWithControl(IDC_SENDSMS_TEXT);
    ASSERT_EQ(1u, windows.size());
    EXPECT_EQ(locksBefore + 1, GetComModule().GetLockCount()) << "the window's own lock";

    ReleaseAddin();
    EXPECT_EQ(locksBefore + 1, GetComModule().GetLockCount()) << "the add-in object lives on in the window";

    // The window's settings sheet, which is handed the services, still opens
    // and closes (the driver answers the dialogs made from here on).
    CWindowDriver driver;
    driver.Expect().Caption("ZentavoSMS Outlook Add-in Settings").Press(IDOK);
    ::SendMessageA(windows[0], WM_COMMAND, MAKEWPARAM(ID_SENDSMS_OPTIONS, BN_CLICKED), 0);
    EXPECT_EQ("", driver.Problems());
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;

    EXPECT_EQ(1u, CloseSendSMSWindows().size());
    EXPECT_FALSE(::IsWindow(windows[0]));
    EXPECT_EQ(locksBefore - 1, GetComModule().GetLockCount()) << "window and add-in object gone";
}
} // namespace
