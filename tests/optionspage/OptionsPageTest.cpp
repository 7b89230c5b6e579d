// A container of the options pages as Outlook's Options dialog is one: the
// add-in is connected to the test Outlook first, as Outlook loads it before
// its Options dialog opens; then the page is created from the registered
// DLL by the ProgID the add-in adds when Outlook asks (OptionsPagesAdd), and
// sited in a client site that is also an in-place site over a window of ours
// and, unless a case says otherwise, Outlook's PropertyPageSite, which
// counts the page's status changes. The DLL's own boxes are answered by the
// window driver.
#include "core/GatewayAddresses.h"
#include "core/ScopedHandle.h"
#include "platform/ComPtr.h"
#include "platform/OfficeIds.h"
#include "resources/ZentavoSMSOutlookAddin_h.h"
#include "resources/resource.h"
#include "tests/support/AddinDll.h"
#include "tests/support/FakeOutlook.h"
#include "tests/support/GatewaySimulator.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestMessageWindow.h"
#include "tests/support/TestPageSite.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowDriver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <olectl.h>

#include <cstring>
#include <memory>
#include <string>

_COM_SMARTPTR_TYPEDEF(PropertyPage, IID_PropertyPage);
_COM_SMARTPTR_TYPEDEF(IOleObject, IID_IOleObject);
_COM_SMARTPTR_TYPEDEF(IOleInPlaceObject, IID_IOleInPlaceObject);
_COM_SMARTPTR_TYPEDEF(IOleControl, IID_IOleControl);
_COM_SMARTPTR_TYPEDEF(IOleInPlaceActiveObject, IID_IOleInPlaceActiveObject);
_COM_SMARTPTR_TYPEDEF(IQuickActivate, IID_IQuickActivate);

namespace
{
constexpr char kSettingsKey[] = "SOFTWARE\\ZentavoSoftware\\ZentavoSMSOutlookPlugin";
constexpr DISPID kOptionsPagesAdd = 0xF005;

using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();

class OptionsPage : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_FALSE(AddinDllPath().empty()) << "ZENTAVO_ADDIN_DLL is not set";
        // The DLL reads the gateway's addresses once, after it loads.
        const CGatewaySimulator primary = CGatewaySimulator::Primary();
        const CGatewaySimulator backup = CGatewaySimulator::Backup();
        ::SetEnvironmentVariableA(GatewayAddresses::kPrimaryURLVariable, primary.HttpsServer().c_str());
        ::SetEnvironmentVariableA(GatewayAddresses::kBackupURLVariable, backup.HttpsServer().c_str());
        ASSERT_EQ(0u, RunRegsvr32(L""));
        ASSERT_EQ(S_OK, ::OleInitialize(nullptr));
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
        CWindowDriver driver;
        s_Outlook.reset(new CFakeOutlook);
        CLSID classId = {};
        ASSERT_EQ(S_OK, ::CLSIDFromProgID(L"ZentavoSMSOutlookAddin.Addin", &classId));
        ASSERT_EQ(S_OK, ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID__IDTExtensibility2,
                                           reinterpret_cast<void**>(&s_Addin)));
        ASSERT_EQ(S_OK, s_Addin->OnConnection(s_Outlook->Application(), ext_cm_Startup, nullptr, nullptr));
        ASSERT_EQ("", driver.Problems());
    }
    static void TearDownTestSuite()
    {
        if (s_Addin)
        {
            s_Addin->OnDisconnection(ext_dm_HostShutdown, nullptr);
            s_Addin->Release();
            s_Addin = nullptr;
        }
        s_Outlook.reset();
        // Every page and window of the suite has gone with the add-in.
        const CanUnloadFn canUnload = CanUnloadNow();
        EXPECT_TRUE(canUnload && canUnload() == S_OK);
        ::OleUninitialize();
        RunRegsvr32(L"/u");
    }

    void TearDown() override
    {
        if (m_Page)
            Close();
        EXPECT_EQ("", m_Driver.Problems());
    }

    // What the add-in adds when Outlook's Options dialog asks for its pages:
    // the ProgID of the page Outlook then creates.
    static std::wstring OfferedPage()
    {
        const CFakeCollectionPtr pages = s_Outlook->NewCollection(L"PropertyPages");
        pages->AddInterface(IID_PropertyPages);
        std::wstring progId;
        pages->SetMethod(L"Add", [&progId](const CFakeObject::Arguments& arguments) {
            progId = static_cast<const wchar_t*>(_bstr_t(arguments.at(0)));
            return _variant_t();
        });
        s_Outlook->Application()->Fire(DIID_ApplicationEvents, kOptionsPagesAdd,
                                       {_variant_t(static_cast<IDispatch*>(pages))});
        return progId;
    }

    // Creates the page by ProgID, sites it and activates it in the window.
    void Open(const wchar_t* progId, HRESULT statusResult = S_OK, LONG verb = OLEIVERB_UIACTIVATE)
    {
        m_Site.reset(new CTestPageSite(m_Container.get(), statusResult));
        CLSID classId = {};
        ASSERT_EQ(S_OK, ::CLSIDFromProgID(progId, &classId));
        ASSERT_EQ(S_OK, ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                           reinterpret_cast<void**>(&m_Page)));
        ASSERT_EQ(S_OK, m_Page->SetClientSite(m_Site.get()));
        Page()->get_Dirty(&m_DirtyAfterSite);
        ASSERT_EQ(S_OK, m_Page->DoVerb(verb, nullptr, m_Site.get(), 0, m_Container.get(), &m_Place));
    }

    // Deactivates and releases the page as the Options dialog does.
    void Close()
    {
        m_Page->Close(OLECLOSE_NOSAVE);
        m_Page->SetClientSite(nullptr);
        m_Page = nullptr;
    }

    PropertyPagePtr Page() const { return PropertyPagePtr(m_Page); }

    VARIANT_BOOL Dirty() const
    {
        VARIANT_BOOL dirty = 123;
        EXPECT_EQ(S_OK, Page()->get_Dirty(&dirty));
        return dirty;
    }

    HWND PageWindow() const
    {
        HWND window = nullptr;
        IOleInPlaceObjectPtr inPlace(m_Page);
        return inPlace && SUCCEEDED(inPlace->GetWindow(&window)) ? window : nullptr;
    }

    HWND SetupCtrl() const { return ::GetWindow(PageWindow(), GW_CHILD); }

    static CanUnloadFn CanUnloadNow()
    {
        const HMODULE module = ::GetModuleHandleW(AddinDllPath().c_str());
        return module ? reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")))
                      : nullptr;
    }

    static std::unique_ptr<CFakeOutlook> s_Outlook;
    static _IDTExtensibility2* s_Addin;

    CWindowDriver m_Driver;
    CTestPageContainer m_Container;
    std::unique_ptr<CTestPageSite> m_Site;
    IOleObjectPtr m_Page;
    VARIANT_BOOL m_DirtyAfterSite = 123;
    RECT m_Place = {0, 0, 520, 420};
};

std::unique_ptr<CFakeOutlook> OptionsPage::s_Outlook;
_IDTExtensibility2* OptionsPage::s_Addin = nullptr;

std::string StoredUsername()
{
    char name[64] = {};
    DWORD size = sizeof(name) - 1;
    ::RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, "ZentavoSMSUsername", RRF_RT_REG_SZ, nullptr, name, &size);
    return name;
}

// Clean after the site and the fill of the fields, dirty from the first
// edit of either field on; Outlook hears of each edit when the site is its.
// Outlook's Options dialog deactivates a page when the user moves to another
// tab and activates it again on the way back: the fields are filled anew,
// which is no edit.
TEST_F(OptionsPage, EditsMakeThePageDirtyAndTellTheSite)
{
    struct Case
    {
        const char* name;
        HRESULT statusResult;
        int changesPerEdit;
        bool activatedAgain;
    };
    const Case cases[] = {
        {"Outlook's site", S_OK, 1, false},
        {"a site without PropertyPageSite", kNoStatusChange, 0, false},
        {"a site whose OnStatusChange fails", E_FAIL, 1, false},
        {"the page activated again", S_OK, 1, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Open(OfferedPage().c_str(), c.statusResult);
        if (c.activatedAgain)
        {
            EXPECT_EQ(S_OK, IOleInPlaceObjectPtr(m_Page)->InPlaceDeactivate());
            ASSERT_EQ(S_OK, m_Page->DoVerb(OLEIVERB_UIACTIVATE, nullptr, m_Site.get(), 0, m_Container.get(), &m_Place));
            ASSERT_NE(nullptr, PageWindow());
        }
        EXPECT_EQ(VARIANT_FALSE, m_DirtyAfterSite);
        EXPECT_EQ(VARIANT_FALSE, Dirty());
        EXPECT_EQ(0, m_Site->m_StatusChanges);

        ::SetDlgItemTextA(SetupCtrl(), IDC_SETUP_USERNAME, "u");
        EXPECT_EQ(VARIANT_TRUE, Dirty());
        EXPECT_EQ(c.changesPerEdit, m_Site->m_StatusChanges);
        ::SetDlgItemTextA(SetupCtrl(), IDC_SETUP_PASSWORD, "p");
        EXPECT_EQ(2 * c.changesPerEdit, m_Site->m_StatusChanges);

        // Nothing to apply: the login stores itself.
        EXPECT_EQ(E_FAIL, Page()->Apply());
        EXPECT_EQ(VARIANT_TRUE, Dirty());
        Close();
        EXPECT_EQ(1u, m_Site->m_References);
    }
}

// Both pages' PropertyPage answers; the control information is filled (the
// container reads what it gets): no accelerators. The Lite page shows its
// label.
TEST_F(OptionsPage, PropertyPageAndControlAnswersOfBothPages)
{
    struct Case
    {
        const wchar_t* progId;
        LONG verb;
        HRESULT dirty;
        HRESULT apply;
        const char* label; // the Lite page's
    };
    for (const Case& c : {Case{L"OutlookAddin.PropPage", OLEIVERB_UIACTIVATE, S_OK, E_FAIL, nullptr},
                          Case{L"OutlookAddin.LitePage", OLEIVERB_INPLACEACTIVATE, E_NOTIMPL, E_NOTIMPL,
                               "Outlook Addin LitePage"}})
    {
        SCOPED_TRACE(testing::Message() << c.progId);
        Open(c.progId, S_OK, c.verb);
        const PropertyPagePtr page = Page();
        BSTR helpFile = nullptr;
        long helpContext = 0;
        EXPECT_EQ(E_NOTIMPL, page->GetPageInfo(&helpFile, &helpContext));
        EXPECT_EQ(E_POINTER, page->GetPageInfo(nullptr, &helpContext));
        EXPECT_EQ(E_POINTER, page->GetPageInfo(&helpFile, nullptr));
        VARIANT_BOOL dirty = VARIANT_FALSE;
        EXPECT_EQ(c.dirty, page->get_Dirty(&dirty));
        EXPECT_EQ(E_POINTER, page->get_Dirty(nullptr));
        EXPECT_EQ(c.apply, page->Apply());

        CONTROLINFO info;
        std::memset(&info, 0xCD, sizeof(info));
        EXPECT_EQ(S_OK, IOleControlPtr(m_Page)->GetControlInfo(&info));
        EXPECT_EQ(sizeof(CONTROLINFO), info.cb);
        EXPECT_EQ(nullptr, info.hAccel);
        EXPECT_EQ(0, info.cAccel);
        EXPECT_EQ(0u, info.dwFlags);

        if (c.label)
        {
            char label[64] = {};
            ::GetWindowTextA(::GetDlgItem(PageWindow(), IDC_LITEPAGE_LABEL), label, sizeof(label));
            EXPECT_STREQ(c.label, label);
        }
        Close();
    }
}

// The page is a child of the site's window with the set-up control on it,
// the registered misc status is the object's, and the page leaves nothing
// behind: no window and no reference to the site; the module's lock goes
// with the add-in's at the suite's end.
TEST_F(OptionsPage, PageShowsInTheSiteWindowAndLeavesNothing)
{
    const std::wstring offered = OfferedPage();
    EXPECT_EQ(L"OutlookAddin.PropPage", offered);
    Open(offered.c_str());
    const HWND page = PageWindow();
    ASSERT_NE(nullptr, page);
    EXPECT_EQ(m_Container.get(), ::GetParent(page));
    EXPECT_TRUE(::IsWindowVisible(page));
    EXPECT_EQ(1, m_Site->m_InPlaceActivations);
    const HWND setup = SetupCtrl();
    RECT placed = {};
    ::GetWindowRect(setup, &placed);
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(55, placed.left);
    EXPECT_EQ(30, placed.top);
    const HWND focus = ::GetFocus();
    EXPECT_TRUE(focus == page || ::IsChild(page, focus));
    DWORD status = 0;
    EXPECT_EQ(S_OK, m_Page->GetMiscStatus(DVASPECT_CONTENT, &status));
    EXPECT_EQ(131473u, status);
    PumpThreadMessages(300);
    const std::string screenshot = ProgramBesideTest("OptionsPage.png");
    SaveWindowScreenshot(m_Container.get(), std::wstring(screenshot.begin(), screenshot.end()));

    EXPECT_EQ(S_OK, IOleInPlaceObjectPtr(m_Page)->InPlaceDeactivate());
    EXPECT_FALSE(::IsWindow(page));
    EXPECT_FALSE(::IsWindow(setup));
    EXPECT_EQ(0, m_Site->m_InPlaceActivations);
    Close();
    EXPECT_EQ(1u, m_Site->m_References);
}

// A container that lets the page go while it is still active: the page
// takes its windows with it.
TEST_F(OptionsPage, ReleasedWhileActiveThePageTakesItsWindows)
{
    Open(L"OutlookAddin.PropPage");
    const HWND page = PageWindow();
    const HWND setup = SetupCtrl();
    ASSERT_TRUE(::IsWindow(setup));
    m_Page = nullptr;
    EXPECT_FALSE(::IsWindow(page));
    EXPECT_FALSE(::IsWindow(setup));
    PumpThreadMessages(300);
}

// The login from inside the page stores the account at the gateway and
// leaves the page open.
TEST_F(OptionsPage, LoginFromThePage)
{
    const CGatewaySimulator primary = CGatewaySimulator::Primary();
    primary.Reset();
    CGatewaySimulator::Backup().Reset();
    Open(OfferedPage().c_str());
    m_Driver.Expect().Caption("ZentavoSMS Outlook Add-in").Text("Login Successfull").Press(IDOK);
    const HWND setup = SetupCtrl();
    ::SetDlgItemTextA(setup, IDC_SETUP_USERNAME, GatewaySimulatorSeed::kUsername);
    ::SetDlgItemTextA(setup, IDC_SETUP_PASSWORD, GatewaySimulatorSeed::kPassword);
    ::SendMessageA(setup, WM_COMMAND, MAKEWPARAM(IDC_SETUP_LOGIN, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(setup, IDC_SETUP_LOGIN)));
    EXPECT_EQ(1u, primary.Requests("createauthfactor.aspx").size());
    EXPECT_EQ(GatewaySimulatorSeed::kUsername, StoredUsername());
    EXPECT_TRUE(::IsWindow(setup));
}

// The page's keys go through its dialog handling, Enter and Escape and
// other windows' keys stay the container's.
TEST_F(OptionsPage, KeysGoThroughThePageDialog)
{
    Open(L"OutlookAddin.PropPage");
    const HWND username = ::GetDlgItem(SetupCtrl(), IDC_SETUP_USERNAME);
    const HWND password = ::GetDlgItem(SetupCtrl(), IDC_SETUP_PASSWORD);
    struct Case
    {
        const char* name;
        HWND target;
        UINT message;
        WPARAM key;
        HRESULT result;
        HWND focusAfter;
    };
    const Case cases[] = {
        {"Tab in the user name", username, WM_KEYDOWN, VK_TAB, S_OK, password},
        {"Enter", password, WM_KEYDOWN, VK_RETURN, S_FALSE, password},
        {"Escape", password, WM_KEYDOWN, VK_ESCAPE, S_FALSE, password},
        {"a key of the container", m_Container.get(), WM_KEYDOWN, VK_TAB, S_FALSE, password},
        {"not a key", password, WM_MOUSEMOVE, 0, S_FALSE, password},
    };
    ::SetFocus(username);
    const IOleInPlaceActiveObjectPtr active(m_Page);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        MSG message = {c.target, c.message, c.key, 0, ::GetTickCount(), {0, 0}};
        EXPECT_EQ(c.result, active->TranslateAccelerator(&message));
        EXPECT_EQ(c.focusAfter, ::GetFocus());
    }
}

// The container's quick way: the site and the view's sink in one call, the
// registered misc status back.
TEST_F(OptionsPage, QuickActivateSitesThePage)
{
    m_Site.reset(new CTestPageSite(m_Container.get(), S_OK));
    CLSID classId = {};
    ASSERT_EQ(S_OK, ::CLSIDFromProgID(L"OutlookAddin.PropPage", &classId));
    ASSERT_EQ(S_OK, ::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                       reinterpret_cast<void**>(&m_Page)));
    QACONTAINER container = {};
    container.cbSize = sizeof(container);
    container.pClientSite = m_Site.get();
    QACONTROL control = {};
    control.cbSize = sizeof(control);
    EXPECT_EQ(S_OK, IQuickActivatePtr(m_Page)->QuickActivate(&container, &control));
    EXPECT_EQ(131473u, control.dwMiscStatus);
    IOleClientSite* site = nullptr;
    EXPECT_EQ(S_OK, m_Page->GetClientSite(&site));
    EXPECT_EQ(static_cast<IOleClientSite*>(m_Site.get()), site);
    site->Release();
    EXPECT_EQ(VARIANT_FALSE, Dirty());
}

} // namespace
