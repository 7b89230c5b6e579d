// The ribbon documents and callbacks, called as Office calls them: the
// customUI document through IRibbonExtensibility, the callbacks by name
// through IDispatch with real DISPPARAMS and fake controls.
#include "addin/Addin.h"
#include "addin/Module.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "platform/OfficeIds.h"
#include "tests/support/CallByName.h"
#include "tests/support/EventCapture.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/WindowDriver.h"
#include "resources/resource.h"

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

class Ribbon : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        IClassFactory* factory = nullptr;
        ASSERT_EQ(S_OK, GetComModule().GetClassObject(CLSID_Addin, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&m_Dispatch)));
        factory->Release();
        ASSERT_EQ(S_OK, m_Dispatch->QueryInterface(IID_IRibbonExtensibility, reinterpret_cast<void**>(&m_Ribbon)));
        ASSERT_EQ(S_OK, m_Dispatch->QueryInterface(IID__IDTExtensibility2, reinterpret_cast<void**>(&m_Connection)));
        ASSERT_EQ(S_OK, m_Connection->OnConnection(m_Outlook.Application(), ext_cm_Startup, nullptr, nullptr));
    }
    void TearDown() override
    {
        // Whatever a failed check left: windows closed, settings as stored.
        for (HWND window : ThreadWindowsWithControl(IDC_SENDSMS_TEXT))
            ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        ReleaseAddin();
        ReloadSettings();
        RegistryFixture::TearDown();
    }
    // Disconnects the add-in as Outlook does and lets it go.
    void ReleaseAddin()
    {
        if (!m_Connection)
            return;
        m_Connection->OnDisconnection(ext_dm_HostShutdown, nullptr);
        m_Connection->Release();
        m_Ribbon->Release();
        m_Dispatch->Release();
        m_Connection = nullptr;
        m_Ribbon = nullptr;
        m_Dispatch = nullptr;
    }
    // Logged in, with no balance requests: the commands' windows open
    // without the set-up dialog and talk to no gateway.
    static void LogInWithoutBalance()
    {
        CZentavoSMSOutlookPlugin& plugin = CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;
        plugin.m_Config.m_AuthMode = 5;
        plugin.m_Config.SetSecretKey("secret");
        plugin.m_UserPreferences.SetShowCurrentBalance(false);
        plugin.m_UserPreferences.SetCheckBalanceBeforeSending(false);
    }
    // Back to the settings as stored (the scratch registry holds none).
    static void ReloadSettings()
    {
        CZentavoSMSOutlookPlugin& plugin = CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;
        plugin.m_Config.Load();
        plugin.m_UserPreferences.Load();
    }

    std::wstring CustomUI(const wchar_t* ribbonId)
    {
        BSTR xml = nullptr;
        EXPECT_EQ(S_OK, m_Ribbon->GetCustomUI(_bstr_t(ribbonId), &xml));
        std::wstring text = xml ? xml : L"<null>";
        ::SysFreeString(xml);
        return text;
    }
    CFakeObjectPtr NewControl(const wchar_t* id)
    {
        const CFakeObjectPtr control = m_Outlook.NewObject(L"RibbonControl");
        control->AddInterface(IID_IRibbonControl);
        control->SetProperty(L"Id", _variant_t(id));
        return control;
    }
    // Calls a callback by name; returns the [out, retval] value.
    _variant_t Call(const wchar_t* name, std::vector<_variant_t> arguments)
    {
        return CallByName(m_Dispatch, name, std::move(arguments));
    }

    CMessageBoxCapture m_Boxes;
    CFakeOutlook m_Outlook;
    IDispatch* m_Dispatch = nullptr;
    IRibbonExtensibility* m_Ribbon = nullptr;
    _IDTExtensibility2* m_Connection = nullptr;
};

TEST_F(Ribbon, ExplorerDocumentIsTheFrameTabsAndContextMenus)
{
    const std::wstring document = CustomUI(L"Microsoft.Outlook.Explorer");
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

    EXPECT_EQ(L"<null>", CustomUI(L"Microsoft.Outlook.Mail.Read"));
    EXPECT_EQ(E_POINTER, m_Ribbon->GetCustomUI(_bstr_t(L"Microsoft.Outlook.Explorer"), nullptr));
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// A caller through the vtable may pass a null out pointer, which Office's
// Invoke never does: each getter refuses it instead of writing through it.
TEST_F(Ribbon, GettersRefuseANullOutPointer)
{
    IRibbonCallback* callback = nullptr;
    ASSERT_EQ(S_OK, m_Ribbon->QueryInterface(IID_IRibbonCallback, reinterpret_cast<void**>(&callback)));
    IDispatch* const control = NewControl(L"ZentavoOLSMSAddinContactItemMultipleSendSMSToContact");
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
// reminder, which leaves the value as Office set it.
TEST_F(Ribbon, VisibilityCallbacksReachTheOwningExtender)
{
    struct Case
    {
        const char* preference;
        const wchar_t* id;
        long visible;
    };
    const Case cases[] = {
        {"", L"ZentavoOLSMSAddinExplorerTabMailCustomGroup", 1},
        {"Hidden", L"ZentavoOLSMSAddinExplorerTabMailCustomGroup", 0},
        {"hidden", L"ZentavoOLSMSAddinExplorerTabMailCustomGroup", 1},
        {"", L"ZentavoOLSMSAddinExplorerOther", 0},
        {"", L"ZentavoOLSMSAddinContactItemSendSMSToContact", 0},
        {"", L"ZentavoOLSMSAddinSMSReminderTab", 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.preference);
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_UserPreferences.SetUIRibbonSendSMSButton(c.preference);
        EXPECT_EQ(c.visible, static_cast<long>(Call(L"Ribbon_GetVisible", {_variant_t(static_cast<IDispatch*>(NewControl(c.id)))})));
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// The multiple-items menu shows its contact buttons only for a selection
// that holds a contact.
TEST_F(Ribbon, MultipleItemsMenuNeedsAContactInTheSelection)
{
    struct Case
    {
        const char* name;
        std::function<void(CFakeOutlook&, CFakeCollection&)> select;
        long visible;
    };
    const Case cases[] = {
        {"two mails", [](CFakeOutlook& o, CFakeCollection& s) {
             s.Add(static_cast<IDispatch*>(o.NewMailItem()));
             s.Add(static_cast<IDispatch*>(o.NewMailItem()));
         }, 0},
        {"a mail and a contact", [](CFakeOutlook& o, CFakeCollection& s) {
             s.Add(static_cast<IDispatch*>(o.NewMailItem()));
             s.Add(static_cast<IDispatch*>(o.NewContactItem(L"Ann Lee", L"Ann", L"Lee", L"+447700900001")));
         }, 1},
        {"failing selection", [](CFakeOutlook& o, CFakeCollection&) { o.ActiveExplorer()->Fail(L"Selection", E_FAIL); }, 0},
        {"no explorer", [](CFakeOutlook& o, CFakeCollection&) { o.SetActiveExplorer(nullptr); }, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const CFakeCollectionPtr selection = m_Outlook.NewCollection(L"Selection");
        if (m_Outlook.ActiveExplorer())
            m_Outlook.ActiveExplorer()->SetProperty(L"Selection", static_cast<IDispatch*>(selection));
        c.select(m_Outlook, *selection);
        EXPECT_EQ(c.visible, static_cast<long>(Call(L"Ribbon_GetVisible", {_variant_t(static_cast<IDispatch*>(
                                                    NewControl(L"ZentavoOLSMSAddinContactItemMultipleSendSMSToContact")))})));
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
}

TEST_F(Ribbon, AFailingCallbackIsShownUnderItsName)
{
    const CFakeObjectPtr control = NewControl(L"ZentavoOLSMSAddinExplorerTabMailSendSMS");
    control->Fail(L"Id", E_ACCESSDENIED, L"Control gone");
    Call(L"Ribbon_GetLabel", {_variant_t(static_cast<IDispatch*>(control))});
    Call(L"Ribbon_ButtonOnAction", {_variant_t(static_cast<IDispatch*>(control))});
    const CFakeObjectPtr notAControl = m_Outlook.NewObject(L"Other");
    Call(L"Ribbon_GetText", {_variant_t(static_cast<IDispatch*>(notAControl))});
    const auto boxes = m_Boxes.Boxes();
    ASSERT_EQ(3u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[0].text.find("Control gone")) << boxes[0].text;
    EXPECT_NE(std::string::npos, boxes[0].text.find("Function: CAddin::Ribbon_GetLabel"));
    EXPECT_NE(std::string::npos, boxes[1].text.find("(Context:Getting RibbonId) - Control gone"));
    EXPECT_NE(std::string::npos, boxes[1].text.find("Function: CAddin::Ribbon_ButtonOnAction"));
    EXPECT_NE(std::string::npos, boxes[2].text.find("Function: CAddin::Ribbon_GetText"));
}

// Each document's ribbon object goes to its own extender: the group refresh
// reaches the explorer's ribbon only, and nothing before it loaded.
TEST_F(Ribbon, GroupRefreshReachesTheExplorerRibbonOnly)
{
    auto newRibbon = [this](const wchar_t* document) {
        const CFakeObjectPtr ribbon = m_Outlook.NewObject(document);
        ribbon->AddInterface(IID_IRibbonUI);
        ribbon->SetMethod(L"InvalidateControl", [](const CFakeObject::Arguments&) { return _variant_t(); });
        return ribbon;
    };
    CAddin* addin = static_cast<CAddin*>(static_cast<IRibbonCallback*>(m_Dispatch));
    m_Outlook.Log().Clear();
    addin->Callback_UpdateOutlookExplorerCustomControls();
    EXPECT_TRUE(m_Outlook.Log().Calls().empty());

    const CFakeObjectPtr explorerRibbon = newRibbon(L"ExplorerRibbon");
    const CFakeObjectPtr appointmentRibbon = newRibbon(L"AppointmentRibbon");
    Call(L"OutlookExplorer_RibbonLoaded", {_variant_t(static_cast<IDispatch*>(explorerRibbon))});
    Call(L"AppointmentItem_RibbonLoaded", {_variant_t(static_cast<IDispatch*>(appointmentRibbon))});
    m_Outlook.Log().Clear();
    addin->Callback_UpdateOutlookExplorerCustomControls();
    EXPECT_EQ(std::vector<std::wstring>{L"ExplorerRibbon.InvalidateControl(\"ZentavoOLSMSAddinExplorerTabMailCustomGroup\")"},
              m_Outlook.Log().Texts());
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

// The Send SMS windows this thread has open, and their To and text fields.
std::vector<std::pair<std::string, std::string>> OpenSendSMSWindows()
{
    const std::vector<HWND> windows = ThreadWindowsWithControl(IDC_SENDSMS_TEXT);
    std::vector<std::pair<std::string, std::string>> fields;
    for (HWND window : windows)
    {
        char to[256] = {}, text[256] = {};
        ::GetDlgItemTextA(window, IDC_SENDSMS_TO, to, sizeof(to));
        ::GetDlgItemTextA(window, IDC_SENDSMS_TEXT, text, sizeof(text));
        fields.emplace_back(to, text);
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&message);
    return fields;
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
        const wchar_t* id;
        bool contactSelected;
        std::string to, text;  // the window's fields
        std::string box;       // or the box instead
    };
    const Case cases[] = {
        {L"ZentavoOLSMSAddinExplorerTabMailSendSMS", false, "", "", ""},
        {L"ZentavoOLSMSAddinMailItemSendSMS", false, "", "", ""},
        {L"ZentavoOLSMSAddinMailItemReplyViaSMS", false, "", "", "Please select SMS message to reply to."},
        {L"ZentavoOLSMSAddinContactItemSendSMSToContact", true, kAnnTo, "", ""},
        {L"ZentavoOLSMSAddinContactItemMultipleSendSMSToContact", true, kAnnTo, "", ""},
        {L"ZentavoOLSMSAddinContactItemForwardViaSMSMessage", true, "", kAnnText, ""},
        {L"ZentavoOLSMSAddinContactItemMultipleForwardViaSMSMessage", true, "", kAnnText, ""},
        {L"ZentavoOLSMSAddinContactItemSendSMSToContact", false, "", "", kNoNumbers},
        {L"ZentavoOLSMSAddinContactItemForwardViaSMSMessage", false, "", "", kNoNumbers},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(_bstr_t(c.id)) + (c.contactSelected ? " with a contact" : ""));
        const CFakeCollectionPtr selection = m_Outlook.NewCollection(L"Selection");
        if (c.contactSelected)
            selection->Add(static_cast<IDispatch*>(m_Outlook.NewContactItem(L"Ann Lee", L"Ann", L"Lee", L"+447700900001")));
        m_Outlook.ActiveExplorer()->SetProperty(L"Selection", static_cast<IDispatch*>(selection));
        const size_t boxesBefore = m_Boxes.Boxes().size();

        Call(L"Ribbon_ButtonOnAction", {_variant_t(static_cast<IDispatch*>(NewControl(c.id)))});

        const auto windows = OpenSendSMSWindows();
        if (c.box.empty())
        {
            ASSERT_EQ(1u, windows.size());
            EXPECT_EQ(c.to, windows[0].first);
            EXPECT_EQ(c.text, windows[0].second);
            EXPECT_EQ(boxesBefore, m_Boxes.Boxes().size());
        }
        else
        {
            EXPECT_TRUE(windows.empty());
            ASSERT_EQ(boxesBefore + 1, m_Boxes.Boxes().size());
            EXPECT_EQ(c.box, m_Boxes.Boxes().back().text);
        }
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
    Call(L"Ribbon_ButtonOnAction", {_variant_t(static_cast<IDispatch*>(NewControl(L"ZentavoOLSMSAddinExplorerTabMailSendSMS")))});
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

    ::SendMessageA(windows[0], WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&message);
    EXPECT_FALSE(::IsWindow(windows[0]));
    EXPECT_EQ(locksBefore - 1, GetComModule().GetLockCount()) << "window and add-in object gone";
}
} // namespace
