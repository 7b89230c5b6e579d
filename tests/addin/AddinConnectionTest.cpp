// The add-in object connected to the test Outlook, as Outlook drives it:
// made through the module's class-factory table, connected, fed explorer
// events and disconnected, with the settings in a scratch registry and every
// box captured.
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/ErrorReports.h"
#include "tests/contacts/TestMAPI.h"
#include "tests/support/AddinObject.h"
#include "tests/support/AddinUnderTest.h"
#include "tests/support/RegistryFixture.h"

#include <gtest/gtest.h>

#include <mapicode.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace
{
const DISPID kNewExplorer = 0xF001;
const DISPID kActivate = 0xF001;
const DISPID kSelectionChange = 0xF007;
const DISPID kBeforeFolderSwitch = 0xF003;
const DISPID kClick = 1;
const DISPID kItemContextMenuDisplay = 0xFB41;

class AddinConnection : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        m_LiveConnectionsAtStart = CFakeObject::LiveConnections();
        ASSERT_EQ(S_OK, CreateAddinObject(IID__IDTExtensibility2, &m_Addin));
    }
    void TearDown() override
    {
        if (m_Addin)
            m_Addin->Release();
        EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections()) << "a sink is still connected";
        RegistryFixture::TearDown();
    }

    void Connect() { ASSERT_EQ(S_OK, m_Addin->OnConnection(m_Outlook.Application(), ext_cm_Startup, nullptr, nullptr)); }
    void Disconnect() { ASSERT_EQ(S_OK, m_Addin->OnDisconnection(ext_dm_HostShutdown, nullptr)); }

    CFakeCollectionPtr BarsOf(const CFakeObjectPtr& explorer)
    {
        return FakeCollectionOf(explorer->Value(L"CommandBars"));
    }
    std::vector<std::wstring> CommandBarCalls()
    {
        std::vector<std::wstring> calls;
        for (const std::wstring& text : m_Outlook.Log().Texts())
            if (text.rfind(L"CommandBar", 0) == 0)
                calls.push_back(text);
        return calls;
    }
    std::vector<std::string> BoxTexts() const { return ::BoxTexts(m_Boxes); }

    CMessageBoxCapture m_Boxes;
    CFakeOutlook m_Outlook;
    _IDTExtensibility2* m_Addin = nullptr;
    long m_LiveConnectionsAtStart = 0;
};

TEST_F(AddinConnection, ActiveExplorerGetsTheCommandBarAtOnce)
{
    Connect();
    const CFakeObjectPtr explorer = m_Outlook.ActiveExplorer();
    std::vector<std::wstring> expected = {
        L"CommandBars.Add(\"ZentavoSMS\", 1, <missing>, True)",
        L"CommandBar.Controls",
        L"CommandBarControls.Add(1, <missing>, <missing>, <missing>, True)",
        L"CommandBarControls.Add(1, <missing>, <missing>, <missing>, True)",
    };
    // Each button's face, caption, tooltip and tag, set in this order with
    // its style, visibility and state between them.
    const std::wstring buttons[][4] = {{L"363", L"Send SMS", L"Send an SMS Message", L"Send SMS Message"},
                                       {L"354", L"Reply Via SMS", L"Send an SMS Reply Message", L"Reply Via SMS"}};
    for (const auto& b : buttons)
        expected.insert(expected.end(), {L"CommandBarButton.FaceId=" + b[0], L"CommandBarButton.Style=3",
                                         L"CommandBarButton.Visible=True", L"CommandBarButton.Caption=\"" + b[1] + L"\"",
                                         L"CommandBarButton.Enabled=True", L"CommandBarButton.TooltipText=\"" + b[2] + L"\"",
                                         L"CommandBarButton.Tag=\"" + b[3] + L"\""});
    expected.push_back(L"CommandBar.Visible=True");
    EXPECT_EQ(expected, CommandBarCalls());
    const CFakeCollectionPtr bars = BarsOf(explorer);
    ASSERT_EQ(1u, bars->Size());
    const CFakeObjectPtr bar = FakeObjectOf(bars->At(0));
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(1u, FakeElementOf(bar, L"Controls", i)->Connections(DIID__CommandBarButtonEvents));
    EXPECT_EQ(1u, m_Outlook.Application()->Connections(DIID_ApplicationEvents));
    EXPECT_EQ(1u, m_Outlook.Application()->Connections(DIID_ApplicationEvents_11));
    EXPECT_EQ(1u, m_Outlook.Inspectors()->Connections(DIID_InspectorsEvents));
    EXPECT_EQ(0u, m_Outlook.Explorers()->Connections(DIID_ExplorersEvents));
    EXPECT_EQ(16, CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.GetOutlookVersionCapabilites()->m_nMajorVersion);

    Disconnect();
    EXPECT_EQ(nullptr, CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.GetOutlookVersionCapabilites());
    EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections());
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
}

// Outlook started without a window: the bar waits for the first explorer's
// first event, once; a second explorer adds no bar.
TEST_F(AddinConnection, WithoutAnExplorerTheBarWaitsForTheFirstExplorerEvent)
{
    m_Outlook.SetActiveExplorer(nullptr);
    Connect();
    EXPECT_EQ(1u, m_Outlook.Explorers()->Connections(DIID_ExplorersEvents));
    EXPECT_EQ(0u, m_Outlook.Application()->Connections(DIID_ApplicationEvents));

    struct Event
    {
        const char* name;
        DISPID id;
        CFakeObject::Arguments arguments;
    };
    VARIANT_BOOL cancel = VARIANT_FALSE;
    const Event events[] = {
        {"Activate", kActivate, {}},
        {"SelectionChange", kSelectionChange, {}},
        {"BeforeFolderSwitch", kBeforeFolderSwitch, {Object(m_Outlook.DefaultFolder(6)), CancelReference(cancel)}},
    };
    for (const Event& event : events)
    {
        SCOPED_TRACE(event.name);
        const CFakeObjectPtr first = m_Outlook.NewExplorer();
        m_Outlook.Explorers()->Fire(DIID_ExplorersEvents, kNewExplorer, {Object(first)});
        EXPECT_EQ(1u, first->Connections(DIID_ExplorerEvents));
        const bool firstExplorer = &event == &events[0];
        first->Fire(DIID_ExplorerEvents, event.id, event.arguments);
        EXPECT_EQ(0u, first->Connections(DIID_ExplorerEvents));
        EXPECT_EQ(firstExplorer ? 1u : 0u, BarsOf(first)->Size());
        EXPECT_EQ(VARIANT_FALSE, cancel);
    }
    EXPECT_EQ(1u, m_Outlook.Application()->Connections(DIID_ApplicationEvents));
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    Disconnect();
}

// A second explorer before the first one's first event: the add-in keeps
// listening to the first, which builds the bar and is let go; nothing stays
// connected to either.
TEST_F(AddinConnection, ASecondNewExplorerBeforeTheFirstsEventLeavesTheFirstListenedTo)
{
    m_Outlook.SetActiveExplorer(nullptr);
    Connect();
    const CFakeObjectPtr first = m_Outlook.NewExplorer();
    const CFakeObjectPtr second = m_Outlook.NewExplorer();
    m_Outlook.Explorers()->Fire(DIID_ExplorersEvents, kNewExplorer, {Object(first)});
    m_Outlook.Explorers()->Fire(DIID_ExplorersEvents, kNewExplorer, {Object(second)});
    EXPECT_EQ(1u, first->Connections(DIID_ExplorerEvents));
    EXPECT_EQ(0u, second->Connections(DIID_ExplorerEvents));
    ASSERT_EQ(1u, BoxTexts().size());
    EXPECT_NE(std::string::npos, BoxTexts().front().find("ExpEvents::DispEventAdvise")) << BoxTexts().front();

    first->Fire(DIID_ExplorerEvents, kActivate, {});
    EXPECT_EQ(0u, first->Connections(DIID_ExplorerEvents));
    EXPECT_EQ(1u, BarsOf(first)->Size());
    Disconnect();
    EXPECT_EQ(0u, first->Connections(DIID_ExplorerEvents));
    EXPECT_EQ(0u, second->Connections(DIID_ExplorerEvents));
}

// Each button the add-in puts up reaches its command when Outlook reports
// the click at the button's connection point: the bar's two and the
// context menu's three, with a contact selected.
TEST_F(AddinConnection, ClicksReachTheirCommands)
{
    Connect();
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_Config.m_AuthMode = 5;
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_Config.SetSecretKey("secret");
    const CFakeCollectionPtr selection = m_Outlook.NewCollection(L"Selection");
    selection->AddInterface(IID_Selection);
    selection->Add(m_Outlook.NewContactItem(L"Ann Lee", L"Ann", L"Lee", L"+447700900001"));
    selection->Add(m_Outlook.NewMailItem());
    m_Outlook.ActiveExplorer()->SetProperty(L"Selection", static_cast<IDispatch*>(selection));
    const CFakeObjectPtr menu = m_Outlook.NewCommandBar(L"Context Menu");
    m_Outlook.Application()->Fire(DIID_ApplicationEvents_11, kItemContextMenuDisplay, {Object(menu), Object(selection)});
    const CFakeObjectPtr bar = FakeObjectOf(BarsOf(m_Outlook.ActiveExplorer())->At(0));

    struct Case
    {
        const char* name;
        CFakeObjectPtr button;
        std::string to;    // of the window it opens
        std::string text;  // of that window; or, with no window, the box
    };
    const std::string kNoReply = "Please select SMS message to reply to.";
    const Case cases[] = {
        {"bar: Send SMS", FakeElementOf(bar, L"Controls", 0), "", ""},
        {"bar: Reply Via SMS", FakeElementOf(bar, L"Controls", 1), "", kNoReply},
        {"menu: Send SMS to Contact", FakeElementOf(menu, L"Controls", 0), "Ann Lee [+447700900001]; ", ""},
        {"menu: Forward via SMS Message", FakeElementOf(menu, L"Controls", 1), "", "Ann Lee\r\n+447700900001\r\n"},
        {"menu: Reply Via SMS", FakeElementOf(menu, L"Controls", 2), "", kNoReply},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.button);
        const size_t boxes = m_Boxes.Boxes().size();
        VARIANT_BOOL cancelDefault = VARIANT_FALSE;
        c.button->Fire(DIID__CommandBarButtonEvents, kClick, {Object(c.button), CancelReference(cancelDefault)});
        EXPECT_EQ(VARIANT_FALSE, cancelDefault);
        const bool boxed = c.text == kNoReply;
        EXPECT_EQ(boxed ? std::vector<std::string>{kNoReply} : std::vector<std::string>(), ::BoxTexts(m_Boxes, boxes));
        using Fields = std::vector<std::pair<std::string, std::string>>;
        EXPECT_EQ((boxed ? Fields() : Fields{{c.to, c.text}}), CloseSendSMSWindows());
    }
    Disconnect();
}

TEST_F(AddinConnection, DisconnectingBeforeAnyExplorerStopsWhatStarted)
{
    m_Outlook.SetActiveExplorer(nullptr);
    Connect();
    const CFakeObjectPtr explorer = m_Outlook.NewExplorer();
    m_Outlook.Explorers()->Fire(DIID_ExplorersEvents, kNewExplorer, {Object(explorer)});
    Disconnect();
    EXPECT_EQ(0u, m_Outlook.Explorers()->Connections(DIID_ExplorersEvents));
    EXPECT_EQ(0u, explorer->Connections(DIID_ExplorerEvents));
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
}

namespace
{
// Outlook without a window at start, then its first explorer: the add-in
// ends up listening to the explorers, the inspectors, the buttons, the
// application and the folders.
void ConnectAndSetUpOnFirstExplorer(_IDTExtensibility2* addin, CFakeOutlook& outlook)
{
    outlook.SetActiveExplorer(nullptr);
    ASSERT_EQ(S_OK, addin->OnConnection(outlook.Application(), ext_cm_Startup, nullptr, nullptr));
    const CFakeObjectPtr explorer = outlook.NewExplorer();
    outlook.Explorers()->Fire(DIID_ExplorersEvents, kNewExplorer, {Object(explorer)});
    explorer->Fire(DIID_ExplorerEvents, kActivate);
}

// What an add-in object leaves behind must not stop the next one in the
// process: its set-up (keyboard fix, plug-in core) runs without a box.
void ExpectANewAddinObjectConnectsCleanly(CFakeOutlook& outlook)
{
    CMessageBoxCapture boxes;
    _IDTExtensibility2* next = nullptr;
    ASSERT_EQ(S_OK, CreateAddinObject(IID__IDTExtensibility2, &next));
    ConnectAndSetUpOnFirstExplorer(next, outlook);
    EXPECT_EQ(1u, outlook.Inspectors()->Connections(DIID_InspectorsEvents));
    EXPECT_EQ(S_OK, next->OnDisconnection(ext_dm_HostShutdown, nullptr));
    next->Release();
    EXPECT_TRUE(::BoxTexts(boxes).empty()) << ::BoxTexts(boxes).front();
}
} // namespace

// A detach step that fails is shown under its own step, and every later step
// still runs: nothing stays connected to Outlook.
TEST_F(AddinConnection, AFailedDetachStepLeavesNothingConnected)
{
    struct Case
    {
        const char* name;
        std::function<void(CFakeOutlook&, HRESULT)> failUnadvise;
        std::string step;
    };
    const Case cases[] = {
        {"explorers", [](CFakeOutlook& o, HRESULT hr) { o.Explorers()->FailUnadvise(DIID_ExplorersEvents, hr); },
         "Detaching Explorers Events"},
        {"inspectors", [](CFakeOutlook& o, HRESULT hr) { o.Inspectors()->FailUnadvise(DIID_InspectorsEvents, hr); },
         "Detaching Inspectors Events"},
        {"items",
         [](CFakeOutlook& o, HRESULT hr) {
             FakeObjectOf(o.DefaultFolder(9)->Value(L"Items"))->FailUnadvise(DIID_ItemsEvents, hr);
         },
         "Detaching Items Events"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CFakeOutlook outlook;
        {
            CMessageBoxCapture boxes;
            ConnectAndSetUpOnFirstExplorer(m_Addin, outlook);
            c.failUnadvise(outlook, RPC_E_DISCONNECTED);
            ASSERT_EQ(S_OK, m_Addin->OnDisconnection(ext_dm_HostShutdown, nullptr));
            ASSERT_EQ(1u, ::BoxTexts(boxes).size());
            EXPECT_NE(std::string::npos, ::BoxTexts(boxes)[0].find("(Context:" + c.step + ")")) << ::BoxTexts(boxes)[0];
            EXPECT_NE(std::string::npos, ::BoxTexts(boxes)[0].find("Function: CAddin::OnDisconnection"));
        }
        EXPECT_EQ(0u, outlook.Inspectors()->Connections(DIID_InspectorsEvents));
        EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections());
        c.failUnadvise(outlook, S_OK);
        ExpectANewAddinObjectConnectsCleanly(outlook);
    }
}

// Outlook may release the add-in object without disconnecting it: it then
// undoes its connections and stops what it started itself.
TEST_F(AddinConnection, ReleasedWithoutDisconnectionLeavesNothingBehind)
{
    ConnectAndSetUpOnFirstExplorer(m_Addin, m_Outlook);
    ASSERT_LT(m_LiveConnectionsAtStart, CFakeObject::LiveConnections());
    m_Addin->Release();
    m_Addin = nullptr;
    EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections());
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    ExpectANewAddinObjectConnectsCleanly(m_Outlook);
}

// Disconnection stops only what this connection started. One that never set
// up its explorer controls (no active explorer, no explorer event) neither
// writes the preferences it never loaded over the stored values and
// templates nor ends a MAPI it never began; one that did set up does both.
TEST_F(AddinConnection, DisconnectionStopsOnlyWhatThisConnectionStarted)
{
    const CTestMAPI mapi;
    ASSERT_TRUE(mapi.IsOurs()) << "the test MAPI is not the mapi32.dll loaded";
    const std::string weekly = std::string(kTemplates) + "\\Weekly";
    // Every stored value under the settings key and each template's key.
    const auto stored = [&] {
        std::map<std::string, std::pair<DWORD, std::string>> values;
        std::vector<std::string> paths = {kSettings};
        for (const std::string& name : SubKeyNames(kTemplates))
            paths.push_back(std::string(kTemplates) + "\\" + name);
        for (const std::string& path : paths)
            for (const std::string& name : ValueNames(path))
            {
                const std::optional<RawValue> raw = ReadRaw(path, name);
                values[path + "|" + name] = {raw->type, raw->text};
            }
        return values;
    };
    const auto calls = [&mapi](const std::string& method) {
        const std::string journal = mapi.Journal();
        size_t count = 0;
        for (size_t at = journal.find(method + "("); at != std::string::npos; at = journal.find(method + "(", at + 1))
            count += at == 0 || journal[at - 1] == '\n';
        return count;
    };
    // A MAPI that refuses to start is not ended either: inside Outlook the
    // count MAPIUninitialize lowers is Outlook's too.
    struct Case
    {
        const char* name;
        bool explorer;
        bool saved;
        size_t mapiStarts;
        bool mapiRefused;
        size_t mapiEnds;
    };
    const Case cases[] = {
        {"never set up", false, false, 0, false, 0},
        {"set up", true, true, 1, false, 1},
        {"set up, MAPI refused", true, true, 1, true, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ::RegDeleteTreeA(Root(), kSettings);
        WriteRaw(kSettings, "DefaultMessageSignature", "Kind regards");
        WriteRaw(weekly, "Text", "See you at [ApptStartTimeHHMM]");
        // Memory holds what an earlier connection loaded, since changed in
        // the store: a save would write it back over the stored values.
        CConfigZentavoSMSOutlookAddin_UserPreferences& preferences =
            CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_UserPreferences;
        preferences.Load();
        preferences.SetDefaultMessageSignature("Earlier");
        preferences.GetAppointmentTemplates().clear();
        const auto before = stored();
        mapi.Reset();

        CFakeOutlook outlook;
        if (!c.explorer)
            outlook.SetActiveExplorer(nullptr);
        std::optional<CScopedMAPIFailure> refusal;
        if (c.mapiRefused)
            refusal.emplace(mapi, "MAPIInitialize", MAPI_E_NOT_INITIALIZED);
        ASSERT_EQ(S_OK, m_Addin->OnConnection(outlook.Application(), ext_cm_Startup, nullptr, nullptr));
        ASSERT_EQ(S_OK, m_Addin->OnDisconnection(ext_dm_HostShutdown, nullptr));
        EXPECT_EQ(c.saved, stored() != before);
        EXPECT_EQ(c.mapiStarts, calls("MAPIInitialize"));
        EXPECT_EQ(c.mapiEnds, calls("MAPIUninitialize"));
        EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    }
}

// The calendar, its subfolders at every level, the navigation pane's other
// calendars (each once) and Deleted Items are watched.
TEST_F(AddinConnection, CalendarsAndDeletedItemsAreWatchedOnce)
{
    const CFakeObjectPtr calendar = m_Outlook.DefaultFolder(9);
    const CFakeObjectPtr child = m_Outlook.NewFolder(L"Team");
    const CFakeObjectPtr grandchild = m_Outlook.NewFolder(L"Rota");
    FakeCollectionOf(calendar->Value(L"Folders"))->Add(child);
    FakeCollectionOf(child->Value(L"Folders"))->Add(grandchild);
    const CFakeObjectPtr shared = m_Outlook.NewFolder(L"Shared");
    const CFakeObjectPtr sameAsChild = m_Outlook.NewFolder(L"Team (pane)");
    sameAsChild->SetProperty(L"EntryID", child->Value(L"EntryID"));
    const CFakeObjectPtr group = m_Outlook.NewNavigationGroup(L"My Calendars");
    for (const CFakeObjectPtr& folder : {shared, sameAsChild})
        FakeCollectionOf(group->Value(L"NavigationFolders"))->Add(m_Outlook.NewNavigationFolder(folder));
    FakeCollectionOf(m_Outlook.CalendarModule()->Value(L"NavigationGroups"))->Add(group);
    const CFakeObjectPtr failing = m_Outlook.NewFolder(L"Offline");
    failing->FailAdvise(DIID_MAPIFolderEvents_12, E_ACCESSDENIED);
    FakeCollectionOf(grandchild->Value(L"Folders"))->Add(failing);

    Connect();
    struct Watched
    {
        const char* name;
        CFakeObjectPtr folder;
        size_t folderSinks;
    };
    const Watched watched[] = {
        {"calendar", calendar, 1}, {"child", child, 1},       {"grandchild", grandchild, 1},
        {"shared", shared, 1},     {"duplicate", sameAsChild, 0}, {"deleted items", m_Outlook.DefaultFolder(3), 1},
        {"failing advise", failing, 0},
    };
    for (const Watched& w : watched)
    {
        SCOPED_TRACE(w.name);
        EXPECT_EQ(w.folderSinks, w.folder->Connections(DIID_MAPIFolderEvents_12));
        EXPECT_EQ(w.folder.GetInterfacePtr() == failing.GetInterfacePtr() ? 1u : w.folderSinks,
                  FakeObjectOf(w.folder->Value(L"Items"))->Connections(DIID_ItemsEvents));
    }
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    Disconnect();
}

// Each failing step shows one box naming it and the method; the connection
// still answers S_OK, and a later explorer event completes the set-up on the
// same bar.
TEST_F(AddinConnection, AFailedSetUpShowsItsStepAndIsRetriedOnTheSameBar)
{
    struct Case
    {
        const char* name;
        std::function<void(CFakeOutlook&, const CFakeObjectPtr& explorer)> breakIt;
        std::function<void(CFakeOutlook&, const CFakeObjectPtr& explorer)> mendIt;
        std::string context;
    };
    const Case cases[] = {
        {"command bars",
         [](CFakeOutlook&, const CFakeObjectPtr& e) { e->Fail(L"CommandBars", E_ACCESSDENIED); },
         [](CFakeOutlook&, const CFakeObjectPtr& e) { e->ClearFailure(L"CommandBars"); },
         "COM exception thrown (Context:Getting Command Bars) - "},
        {"new bar",
         [](CFakeOutlook&, const CFakeObjectPtr& e) {
             FakeCollectionOf(e->Value(L"CommandBars"))->Fail(L"Add", E_FAIL, L"Bar refused");
         },
         [](CFakeOutlook&, const CFakeObjectPtr& e) { FakeCollectionOf(e->Value(L"CommandBars"))->ClearFailure(L"Add"); },
         "COM exception thrown (Context:Adding new Command Bar) - Bar refused"},
        {"application events",
         [](CFakeOutlook& o, const CFakeObjectPtr&) { o.Application()->FailAdvise(DIID_ApplicationEvents, E_ACCESSDENIED); },
         [](CFakeOutlook& o, const CFakeObjectPtr&) { o.Application()->FailAdvise(DIID_ApplicationEvents, S_OK); },
         "COM exception thrown (Context:Registring Application Events) - "
         "AppEvents::DispEventAdvise((IDispatch*)m_spApp,&__uuidof(Outlook::ApplicationEvents)) - Error description "
         "was not available"},
        {"inspectors",
         [](CFakeOutlook& o, const CFakeObjectPtr&) { o.Application()->Fail(L"Inspectors", E_ACCESSDENIED, L"No inspectors"); },
         [](CFakeOutlook& o, const CFakeObjectPtr&) { o.Application()->ClearFailure(L"Inspectors"); },
         "COM exception thrown (Context:Registring Navigators Events) - No inspectors"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CMessageBoxCapture boxes;
        CFakeOutlook outlook;
        outlook.SetActiveExplorer(nullptr);
        ASSERT_EQ(S_OK, m_Addin->OnConnection(outlook.Application(), ext_cm_Startup, nullptr, nullptr));
        const CFakeObjectPtr explorer = outlook.NewExplorer();
        c.breakIt(outlook, explorer);
        outlook.Explorers()->Fire(DIID_ExplorersEvents, kNewExplorer, {Object(explorer)});
        explorer->Fire(DIID_ExplorerEvents, kActivate);
        ASSERT_EQ(1u, boxes.Boxes().size());
        EXPECT_EQ(0u, boxes.Boxes()[0].text.find("An error has occured (Ctrl-C to copy)\n\n" + c.context))
            << boxes.Boxes()[0].text;
        EXPECT_NE(std::string::npos, boxes.Boxes()[0].text.find("Function: CAddin::SetupCustomControls"));
        EXPECT_EQ(1u, explorer->Connections(DIID_ExplorerEvents)) << "still waiting for a good set-up";

        c.mendIt(outlook, explorer);
        explorer->Fire(DIID_ExplorerEvents, kSelectionChange);
        EXPECT_EQ(1u, boxes.Boxes().size()) << boxes.Boxes().back().text;
        EXPECT_EQ(1u, BarsOf(explorer)->Size());
        EXPECT_EQ(0u, explorer->Connections(DIID_ExplorerEvents));
        EXPECT_EQ(1u, outlook.Inspectors()->Connections(DIID_InspectorsEvents));
        ASSERT_EQ(S_OK, m_Addin->OnDisconnection(ext_dm_HostShutdown, nullptr));
        EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections());
    }
}

// An Outlook without ApplicationEvents_11 sets up all the same.
TEST_F(AddinConnection, MissingVersion11EventsAreNoFailure)
{
    m_Outlook.Application()->FailAdvise(DIID_ApplicationEvents_11, CONNECT_E_NOCONNECTION);
    Connect();
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    EXPECT_EQ(1u, m_Outlook.Inspectors()->Connections(DIID_InspectorsEvents));
    Disconnect();
}

TEST_F(AddinConnection, ApplicationThatIsNotOutlookIsRefusedWithABox)
{
    const CFakeObjectPtr other = m_Outlook.NewObject(L"Word");
    ASSERT_EQ(S_OK, m_Addin->OnConnection(other, ext_cm_Startup, nullptr, nullptr));
    ASSERT_EQ(1u, m_Boxes.Boxes().size());
    EXPECT_EQ("An error has occured (Ctrl-C to copy)\n\nCOM exception thrown (Context:Getting Outlook application) - "
              "Could not get Outlook application\n\nFunction: CAddin::OnConnection",
              m_Boxes.Boxes()[0].text);
    Disconnect();
}

TEST(AddinErrors, ThrowCOMErrorWithContextAlwaysRaises)
{
    struct Case
    {
        const char* name;
        const wchar_t* pending;
        std::string description;
    };
    const Case cases[] = {
        {"with error info", L"Advise refused", "Sink::Advise(x) - Advise refused"},
        {"without error info", nullptr, "Sink::Advise(x) - Error description was not available"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ::SetErrorInfo(0, nullptr);
        if (c.pending)
        {
            ICreateErrorInfo* create = nullptr;
            ASSERT_EQ(S_OK, ::CreateErrorInfo(&create));
            create->SetDescription(const_cast<LPOLESTR>(c.pending));
            IErrorInfo* info = nullptr;
            create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
            ::SetErrorInfo(0, info);
            info->Release();
            create->Release();
        }
        try
        {
            CAddin::ThrowCOMErrorWithContext(CONNECT_E_CANNOTCONNECT, "Sink::Advise(x)");
            ADD_FAILURE() << "nothing raised";
        }
        catch (const _com_error& e)
        {
            EXPECT_EQ(CONNECT_E_CANNOTCONNECT, e.Error());
            EXPECT_EQ(c.description, GetCOMErrorDescription(e));
        }
    }
}

TEST(AddinErrors, ConnectionCallsThatDoNothingSayNotImplemented)
{
    _IDTExtensibility2* addin = nullptr;
    ASSERT_EQ(S_OK, CreateAddinObject(IID__IDTExtensibility2, &addin));
    EXPECT_EQ(E_NOTIMPL, addin->OnAddInsUpdate(nullptr));
    EXPECT_EQ(E_NOTIMPL, addin->OnStartupComplete(nullptr));
    EXPECT_EQ(E_NOTIMPL, addin->OnBeginShutdown(nullptr));
    ISupportErrorInfo* errors = nullptr;
    ASSERT_EQ(S_OK, addin->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&errors)));
    EXPECT_EQ(S_OK, errors->InterfaceSupportsErrorInfo(IID_IAddin));
    EXPECT_EQ(S_FALSE, errors->InterfaceSupportsErrorInfo(IID__IDTExtensibility2));
    errors->Release();
    addin->Release();
}
} // namespace
