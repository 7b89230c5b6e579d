// The add-in object's life inside Outlook as Outlook and its user drive it:
// connections undone and repeated while an explorer, an appointment and the
// Send SMS window are open, and the last release arriving inside one of the
// add-in's own callbacks.
#include "addin/Module.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "tests/support/AddinObject.h"
#include "tests/support/AddinUnderTest.h"
#include "tests/support/CallByName.h"
#include "tests/support/RegistryFixture.h"
#include "tests/support/SMSReminderItem.h"
#include "platform/Dispatch.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace
{
const DISPID kNewInspector = 0xF001;
const DISPID kItemWrite = 0xF002;
const DISPID kClick = 1;

class AddinLifetime : public RegistryFixture
{
protected:
    void SetUp() override
    {
        RegistryFixture::SetUp();
        m_LiveConnectionsAtStart = CFakeObject::LiveConnections();
        m_LocksAtStart = GetComModule().GetLockCount();
    }
    void TearDown() override
    {
        EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections()) << "a sink is still connected";
        EXPECT_EQ(m_LocksAtStart, GetComModule().GetLockCount()) << "an add-in object or window is still alive";
        RegistryFixture::TearDown();
    }

    static _IDTExtensibility2* NewAddin()
    {
        _IDTExtensibility2* addin = nullptr;
        EXPECT_EQ(S_OK, CreateAddinObject(IID__IDTExtensibility2, &addin));
        return addin;
    }
    static HRESULT Connect(_IDTExtensibility2* addin, CFakeOutlook& outlook)
    {
        return addin->OnConnection(outlook.Application(), ext_cm_Startup, nullptr, nullptr);
    }
    // A ribbon callback by name, as Office makes it.
    static void Call(_IDTExtensibility2* addin, const wchar_t* name, std::vector<_variant_t> arguments)
    {
        IDispatchPtr dispatch;
        ASSERT_EQ(S_OK, addin->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)));
        CallByName(dispatch, name, std::move(arguments));
    }

    // An appointment open in a new inspector of the connected add-in, with a
    // schedule the reminder refuses: its save shows a box and is cancelled.
    static CFakeObjectPtr OpenWithRefusedSchedule(_IDTExtensibility2* addin, CFakeOutlook& outlook,
                                                  CFakeObjectPtr* opened = nullptr)
    {
        const CFakeObjectPtr ribbon = outlook.NewObject(L"AppointmentRibbon");
        ribbon->AddInterface(IID_IRibbonUI);
        ribbon->SetMethod(L"InvalidateControl", [](const CFakeObject::Arguments&) { return _variant_t(); });
        Call(addin, L"AppointmentItem_RibbonLoaded", {Object(ribbon)});
        const CFakeObjectPtr item =
            outlook.NewAppointmentItem(L"Review", SMSReminderItem::kStart, SMSReminderItem::kEnd);
        item->SetProperty(L"Parent", static_cast<IDispatch*>(outlook.DefaultFolder(9)));
        const CFakeObjectPtr inspector = outlook.NewInspector(item);
        outlook.Inspectors()->Fire(DIID_InspectorsEvents, kNewInspector, {Object(inspector)});
        if (opened)
            *opened = inspector;
        Call(addin, L"Ribbon_OnChange",
             {Object(NewRibbonControl(outlook, SMSReminderItem::kSchedule, inspector)), _variant_t(L"whenever")});
        return item;
    }
    static VARIANT_BOOL Save(const CFakeObjectPtr& item)
    {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        item->Fire(DIID_ItemEvents_10, kItemWrite, {CancelReference(cancel)});
        return cancel;
    }

    // The add-in's bars among the explorer's command bars.
    static std::vector<CFakeObjectPtr> AddinBars(const CFakeObjectPtr& explorer)
    {
        std::vector<CFakeObjectPtr> found;
        const CFakeCollectionPtr bars = FakeCollectionOf(explorer->Value(L"CommandBars"));
        for (size_t i = 0; i < bars->Size(); ++i)
        {
            const CFakeObjectPtr bar = FakeObjectOf(bars->At(i));
            if (Dispatch::ToText(bar->Value(L"Name")) == L"ZentavoSMS")
                found.push_back(bar);
        }
        return found;
    }
    static void Click(const CFakeObjectPtr& button)
    {
        VARIANT_BOOL cancelDefault = VARIANT_FALSE;
        button->Fire(DIID__CommandBarButtonEvents, kClick, {Object(button), CancelReference(cancelDefault)});
    }

    long m_LiveConnectionsAtStart = 0;
    LONG m_LocksAtStart = 0;
};

// After the user unticks the add-in, nothing of it listens to an appointment
// that was open: its save gets no box and is not cancelled, and a new
// connection of the same object finds no old sink on it.
TEST_F(AddinLifetime, AnAppointmentOpenAtDisconnectionIsLetGo)
{
    CMessageBoxCapture boxes;
    CFakeOutlook outlook;
    _IDTExtensibility2* addin = NewAddin();
    ASSERT_EQ(S_OK, Connect(addin, outlook));
    const CFakeObjectPtr item = OpenWithRefusedSchedule(addin, outlook);
    ASSERT_EQ(1u, item->Connections(DIID_ItemEvents_10));

    struct Step
    {
        const char* name;
        std::function<void()> before;
        size_t boxes;
        VARIANT_BOOL cancel;
    };
    const Step steps[] = {
        {"connected", [] {}, 1, VARIANT_TRUE},
        {"after ext_dm_UserClosed",
         [&] {
             ASSERT_EQ(S_OK, addin->OnDisconnection(ext_dm_UserClosed, nullptr));
             EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections());
         },
         0, VARIANT_FALSE},
    };
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.name);
        step.before();
        const size_t shown = boxes.Boxes().size();
        EXPECT_EQ(step.cancel, Save(item));
        EXPECT_EQ(step.boxes, boxes.Boxes().size() - shown);
    }

    ASSERT_EQ(S_OK, Connect(addin, outlook));
    EXPECT_EQ(0u, item->Connections(DIID_ItemEvents_10));
    EXPECT_EQ(S_OK, addin->OnDisconnection(ext_dm_HostShutdown, nullptr));
    addin->Release();
    EXPECT_EQ(1u, boxes.Boxes().size());
}

// The user unticks the add-in while one of its boxes is up inside an event
// (an appointment's save, a click on the bar's Reply Via SMS) and closes the
// Send SMS window, which held the add-in, before answering: that release
// is the last but the event's own. The object lives, and the module stays
// loaded, until the event returns; then it goes.
TEST_F(AddinLifetime, TheLastReleaseInsideAnEventComesAfterItReturns)
{
    struct Case
    {
        const char* name;
        std::function<void(_IDTExtensibility2* addin, CFakeOutlook& outlook)> raise;
    };
    const Case cases[] = {
        {"appointment saved", [](_IDTExtensibility2* addin, CFakeOutlook& outlook) {
             Save(OpenWithRefusedSchedule(addin, outlook));
         }},
        {"bar's Reply Via SMS clicked", [](_IDTExtensibility2*, CFakeOutlook& outlook) {
             Click(FakeElementOf(AddinBars(outlook.ActiveExplorer()).at(0), L"Controls", 1));
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CFakeOutlook outlook;
        _IDTExtensibility2* addin = NewAddin();
        ASSERT_EQ(S_OK, Connect(addin, outlook));
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_Config.m_AuthMode = 5;
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_Config.SetSecretKey("secret");
        Click(FakeElementOf(AddinBars(outlook.ActiveExplorer()).at(0), L"Controls", 0));
        ASSERT_EQ(1u, ThreadWindowsWithControl(IDC_SENDSMS_TEXT).size()) << "no Send SMS window";

        // Made after the window opened: it answers the box alone.
        CWindowDriver driver;
        LONG locksInEvent = 0;
        HRESULT unloadInEvent = S_OK;
        driver.Expect().Caption("ZentavoSMS Outlook Add-in").Run([&](HWND box) {
            EXPECT_EQ(S_OK, addin->OnDisconnection(ext_dm_UserClosed, nullptr));
            addin->Release();  // Outlook's
            addin = nullptr;
            CloseSendSMSWindows();
            locksInEvent = GetComModule().GetLockCount();
            unloadInEvent = CanUnloadModuleNow();
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        c.raise(addin, outlook);
        EXPECT_EQ(nullptr, addin) << "no box was shown";
        EXPECT_EQ(m_LocksAtStart + 1, locksInEvent) << "the add-in object went inside its own event";
        EXPECT_EQ(S_FALSE, unloadInEvent);
        EXPECT_EQ(m_LocksAtStart, GetComModule().GetLockCount()) << "the add-in object outlived its event";
        EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections());
        EXPECT_EQ(1u, driver.Seen().size());
        EXPECT_EQ("", driver.Problems());
    }
}

// A second connection without a disconnection is refused (E_UNEXPECTED) and
// changes nothing, whichever Outlook it names; the disconnection then
// undoes the first one alone, without a box, and after the last release a
// click on any button the add-in ever put up reaches nothing.
TEST_F(AddinLifetime, ASecondConnectionIsRefusedAndChangesNothing)
{
    CMessageBoxCapture boxes;
    CFakeOutlook outlook;
    CFakeOutlook other;
    _IDTExtensibility2* addin = NewAddin();
    ASSERT_EQ(S_OK, Connect(addin, outlook));
    const size_t calls = outlook.Log().Calls().size();
    const long connections = CFakeObject::LiveConnections();
    EXPECT_EQ(E_UNEXPECTED, Connect(addin, outlook));
    EXPECT_EQ(E_UNEXPECTED, Connect(addin, other));
    EXPECT_EQ(calls, outlook.Log().Calls().size());
    EXPECT_TRUE(other.Log().Calls().empty());
    EXPECT_EQ(connections, CFakeObject::LiveConnections());

    std::vector<CFakeObjectPtr> buttons;
    for (const CFakeObjectPtr& explorer : {outlook.ActiveExplorer(), other.ActiveExplorer()})
        for (const CFakeObjectPtr& bar : AddinBars(explorer))
            for (size_t i = 0; i < 2; ++i)
                buttons.push_back(FakeElementOf(bar, L"Controls", i));
    EXPECT_EQ(2u, buttons.size()) << "one bar";
    ASSERT_EQ(S_OK, addin->OnDisconnection(ext_dm_HostShutdown, nullptr));
    addin->Release();
    EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections());
    for (const CFakeObjectPtr& button : buttons)
        Click(button);
    EXPECT_TRUE(CloseSendSMSWindows().empty());
    EXPECT_TRUE(BoxTexts(boxes).empty()) << BoxTexts(boxes).front();
}

// The user unticks the add-in while a Send SMS window still holds the
// add-in object, ticks it again (Outlook makes a new object and connects
// it to the same Application), then closes the window: the old object's
// last release leaves the new connection's boxes their owners.
TEST_F(AddinLifetime, AnOldObjectReleasedAfterTheNextConnectedLeavesItsBoxesTheirOwners)
{
    CMessageBoxCapture boxes;
    CFakeOutlook outlook;
    _IDTExtensibility2* old = NewAddin();
    ASSERT_EQ(S_OK, Connect(old, outlook));
    ASSERT_EQ(S_OK, old->OnDisconnection(ext_dm_UserClosed, nullptr));
    _IDTExtensibility2* addin = NewAddin();
    ASSERT_EQ(S_OK, Connect(addin, outlook));
    old->Release();  // the window's, the last

    CFakeObjectPtr inspector;
    const CFakeObjectPtr item = OpenWithRefusedSchedule(addin, outlook, std::addressof(inspector));
    EXPECT_EQ(VARIANT_TRUE, Save(item));
    const std::vector<CapturedMessageBox> shown = boxes.Boxes();
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ(0u, shown[0].text.find("There were errors found on the SMS Reminder ribbon")) << shown[0].text;
    EXPECT_EQ(inspector->Window(), shown[0].owner);
    ASSERT_EQ(S_OK, addin->OnDisconnection(ext_dm_HostShutdown, nullptr));
    addin->Release();
}

// Every disconnection deletes the bar its connection added, and the next
// connection adds one again: the user unticking and ticking the add-in sees
// one bar, never a dead one beside it.
TEST_F(AddinLifetime, EachDisconnectionDeletesItsBarAndTheNextConnectionAddsOne)
{
    for (const ext_DisconnectMode mode : {ext_dm_UserClosed, ext_dm_HostShutdown})
    {
        SCOPED_TRACE(mode == ext_dm_UserClosed ? "user closed" : "host shutdown");
        CMessageBoxCapture boxes;
        CFakeOutlook outlook;
        _IDTExtensibility2* addin = NewAddin();
        for (int connection = 0; connection < 2; ++connection)
        {
            ASSERT_EQ(S_OK, Connect(addin, outlook));
            EXPECT_EQ(1u, AddinBars(outlook.ActiveExplorer()).size());
            ASSERT_EQ(S_OK, addin->OnDisconnection(mode, nullptr));
            EXPECT_TRUE(AddinBars(outlook.ActiveExplorer()).empty());
        }
        addin->Release();
        EXPECT_TRUE(BoxTexts(boxes).empty()) << BoxTexts(boxes).front();
    }
}
// A set-up step of the connection fails, and while its error box is up the
// user unticks the add-in in COM Add-ins: Outlook calls OnDisconnection from
// the box's message loop, and may release the add-in there as well. The
// connection stops where it is: no sink is advised after the disconnection,
// the object lives until the connection returns, and a later connection
// watches each folder once. The box belongs to the active explorer's window.
TEST_F(AddinLifetime, ADisconnectionInsideTheConnectionsErrorBoxStopsTheConnection)
{
    struct Case
    {
        const char* name;
        std::function<void(CFakeOutlook&)> breakIt;
        const char* failure;
    };
    bool locked = false;  // the settings key, once
    const Case cases[] = {
        {"command bars", [](CFakeOutlook& o) { o.ActiveExplorer()->Fail(L"CommandBars", E_ACCESSDENIED); },
         "Context:Getting Command Bars"},
        {"configuration",
         [this, &locked](CFakeOutlook&) {
             if (locked)
                 return;
             locked = true;
             WriteRaw(kSettings, "ZentavoSMSUIOptionsButton", "Enabled");
             LockKey(kSettings, false);
         },
         "Could not open SOFTWARE\\ZentavoSoftware\\ZentavoSMSOutlookPlugin key"},
    };
    for (const Case& c : cases)
        for (const bool released : {false, true})
        {
            SCOPED_TRACE(testing::Message() << c.name << (released ? ", released" : ""));
            CMessageBoxCapture boxes;
            CFakeOutlook outlook;
            c.breakIt(outlook);
            _IDTExtensibility2* addin = NewAddin();
            bool disconnected = false;
            boxes.WhileUp([&](const CapturedMessageBox&) {
                if (disconnected)
                    return;
                disconnected = true;
                EXPECT_EQ(S_OK, addin->OnDisconnection(ext_dm_UserClosed, nullptr));
                if (released)
                    addin->Release();  // Outlook's
            });
            EXPECT_EQ(S_OK, Connect(addin, outlook));
            boxes.WhileUp(nullptr);
            ASSERT_TRUE(disconnected) << "no box";
            // The disconnection may show boxes of its own (preferences that
            // a locked key refuses) inside the first.
            const std::vector<CapturedMessageBox> shown = boxes.Boxes();
            ASSERT_FALSE(shown.empty());
            EXPECT_NE(std::string::npos, shown[0].text.find(c.failure)) << shown[0].text;
            for (const CapturedMessageBox& box : shown)
                EXPECT_EQ(outlook.ActiveExplorer()->Window(), box.owner) << box.text;
            EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections()) << "advised after the disconnection";
            if (released)
            {
                EXPECT_EQ(m_LocksAtStart, GetComModule().GetLockCount()) << "the add-in outlived its connection";
                continue;
            }
            // Connected again: one folder sink and one items sink each.
            ASSERT_EQ(S_OK, Connect(addin, outlook));
            for (const long folder : {9L, 3L})
            {
                const CFakeObjectPtr watched = outlook.DefaultFolder(folder);
                EXPECT_EQ(1u, watched->Connections(DIID_MAPIFolderEvents_12)) << folder;
                EXPECT_EQ(1u, FakeObjectOf(watched->Value(L"Items"))->Connections(DIID_ItemsEvents)) << folder;
            }
            EXPECT_EQ(S_OK, addin->OnDisconnection(ext_dm_HostShutdown, nullptr));
            addin->Release();
            EXPECT_EQ(m_LiveConnectionsAtStart, CFakeObject::LiveConnections());
        }
}
} // namespace
