// The Send SMS window's toolbars: the strip for the screen's DPI, the
// advanced row, greying by authentication mode, the schedule label, the
// band background by Outlook version, and the balance button.
#include "tests/ui/SendSMSWindowFixture.h"

#include "addin/OutlookVersionCapabilites.h"
#include "ui/DPIScaler.h"

namespace
{
int ButtonImage(const CZentavoToolbar& toolbar, UINT command)
{
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_IMAGE;
    ::SendMessageA(toolbar.GetWindow(), TB_GETBUTTONINFOA, command, reinterpret_cast<LPARAM>(&info));
    return info.iImage;
}

// A mouse click in the middle of the button, as the toolbar receives it.
void Click(const CZentavoToolbar& toolbar, UINT command)
{
    SendSMSWindow::ClickToolbarButton(toolbar.GetWindow(), command);
}

bool Hidden(const CZentavoToolbar& toolbar, UINT command)
{
    return (toolbar.GetButtonState(command) & TBSTATE_HIDDEN) != 0;
}

// Restores the plug-in core's version record at the end of a test.
class CScopedCapabilities
{
public:
    explicit CScopedCapabilities(COutlookVersionCapabilites* capabilities)
        : m_Saved(CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.GetOutlookVersionCapabilites())
    {
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.SetOutlookVersionCapabilites(capabilities);
    }
    ~CScopedCapabilities() { CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.SetOutlookVersionCapabilites(m_Saved); }

private:
    COutlookVersionCapabilites* m_Saved;
};
} // namespace

TEST(SendSMSToolbars, StripFollowsTheDPI)
{
    struct Case
    {
        UINT dpi;
        UINT bitmap;
        int size;
    };
    const Case cases[] = {
        {96, IDB_SENDSMS_TOOLBAR_19, 19}, {110, IDB_SENDSMS_TOOLBAR_19, 19}, {120, IDB_SENDSMS_TOOLBAR_28, 28},
        {144, IDB_SENDSMS_TOOLBAR_28, 28}, {168, IDB_SENDSMS_TOOLBAR_28, 28}, {180, IDB_SENDSMS_TOOLBAR_38, 38}, {192, IDB_SENDSMS_TOOLBAR_38, 38},
    };
    const CScopedWindow parent(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr,
                                                 nullptr, nullptr));
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.dpi);
        CDPIScaler scaler;
        scaler.m_DPIX = scaler.m_DPIY = c.dpi;
        CZentavoToolbars host;
        CSendSMSDlg_MainToolbar main(host);
        main.SetDPIScaler(&scaler);
        main.Create(parent.get(), IDC_SENDSMS_MAIN_TOOLBAR);
        EXPECT_EQ(c.bitmap, main.GetBitmapId());
        EXPECT_EQ(c.size, main.GetImageWidth());
        EXPECT_EQ(static_cast<UINT>(IDC_SENDSMS_MAIN_TOOLBAR), static_cast<UINT>(::GetDlgCtrlID(main.GetWindow())));
        ::DestroyWindow(main.GetWindow());
    }
    CZentavoToolbars host;
    CSendSMSDlg_AdvancedToolbar advanced(host);
    advanced.Create(parent.get(), IDC_SENDSMS_ADVANCED_TOOLBAR);
    EXPECT_EQ(static_cast<UINT>(IDB_SENDSMS_TOOLBAR_19), advanced.GetBitmapId());
    EXPECT_EQ(static_cast<UINT>(IDC_SENDSMS_ADVANCED_TOOLBAR),
              static_cast<UINT>(::GetDlgCtrlID(advanced.GetWindow())));
}

TEST_F(SendSMSWindow, AdvancedRowOpensHiddenAndTogglesWithItsImage)
{
    Open();
    CZentavoToolbars& host = m_pDlg->Toolbars();
    const HWND rebar = host.GetRebarWindow();
    ASSERT_NE(nullptr, rebar);
    EXPECT_EQ(rebar, Item(IDC_SENDSMS_TOOLBAR_HOST));
    EXPECT_EQ(2, ::SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
    EXPECT_EQ(static_cast<UINT>(RBBS_BREAK | RBBS_HIDDEN),
              host.GetBandStyle(IDC_SENDSMS_ADVANCED_TOOLBAR) & (RBBS_BREAK | RBBS_HIDDEN));
    EXPECT_EQ(5, ButtonImage(m_pDlg->MainToolbar(), ID_SENDSMS_ADVANCED));
    const int closedHeight = m_pDlg->Toolbars().GetRebarWindow() ? CWindow(rebar).GetClientRect().bottom : 0;

    const int shownImage[] = {6, 5};
    const bool hiddenAfter[] = {false, true};
    for (int click = 0; click < 2; ++click)
    {
        SCOPED_TRACE(click);
        Click(m_pDlg->MainToolbar(), ID_SENDSMS_ADVANCED);
        EXPECT_EQ(hiddenAfter[click], (host.GetBandStyle(IDC_SENDSMS_ADVANCED_TOOLBAR) & RBBS_HIDDEN) != 0);
        EXPECT_EQ(shownImage[click], ButtonImage(m_pDlg->MainToolbar(), ID_SENDSMS_ADVANCED));
        const int height = CWindow(rebar).GetClientRect().bottom;
        if (hiddenAfter[click])
            EXPECT_EQ(closedHeight, height);
        else
            EXPECT_GT(height, closedHeight);
        // The controls keep below the rebar as its height changes.
        RECT from = {};
        ::GetWindowRect(Item(IDC_SENDSMS_FROM_LABEL), &from);
        ::MapWindowPoints(nullptr, m_Window, reinterpret_cast<POINT*>(&from), 2);
        EXPECT_GE(from.top, height);
    }
}

TEST_F(SendSMSWindow, ScheduleAndReportsAreGreyedWithoutAccountReports)
{
    struct Case
    {
        const char* mode;
        bool enabled;
    };
    const Case cases[] = {{"0", false}, {"1", false}, {"2", true}, {"3", false},
                          {"4", true},  {"5", true},  {"6", false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mode);
        Open({{"ZentavoSMSAuthMode", c.mode}});
        const CSendSMSDlg_AdvancedToolbar& advanced = m_pDlg->AdvancedToolbar();
        EXPECT_EQ(c.enabled ? TBSTATE_ENABLED : 0, advanced.GetButtonState(ID_SENDSMS_SCHEDULE));
        EXPECT_EQ(c.enabled ? TBSTATE_ENABLED : 0, advanced.GetButtonState(ID_SENDSMS_DELIVERY_REPORTS));
        Close();
    }
}

TEST_F(SendSMSWindow, ScheduleLabelNamesTheDayMonthAndTime)
{
    if (PRIMARYLANGID(LANGIDFROMLCID(::GetUserDefaultLCID())) != LANG_ENGLISH)
        GTEST_SKIP() << "the month abbreviation is checked in English only";
    Open();
    CSendSMSDlg_AdvancedToolbar& advanced = m_pDlg->AdvancedToolbar();
    EXPECT_EQ("Schedule Delivery", advanced.GetButtonText(ID_SENDSMS_SCHEDULE));
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 3;
    time.wDay = 5;
    time.wHour = 9;
    time.wMinute = 7;
    advanced.SetScheduleButtonText(time);
    EXPECT_EQ("Schedule Delivery: 5 Mar 09:07", advanced.GetButtonText(ID_SENDSMS_SCHEDULE));
    time.wDay = 0;
    advanced.SetScheduleButtonText(time);
    EXPECT_EQ("Schedule Delivery", advanced.GetButtonText(ID_SENDSMS_SCHEDULE));
}

TEST_F(SendSMSWindow, BandBackgroundOnlyForTheClassicLook)
{
    struct Case
    {
        const char* what;
        bool record;
        int majorVersion;
        UINT bitmap;
    };
    const Case cases[] = {
        {"no version record yet", false, 0, 0},
        {"Outlook 14", true, 14, IDB_TOOLBAR_BACKGROUND},
        {"Outlook 15", true, 15, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        COutlookVersionCapabilites capabilities;
        capabilities.m_nMajorVersion = c.majorVersion;
        capabilities.m_bClassicLook1 = capabilities.m_bClassicLook2 = c.majorVersion < 15;
        const CScopedCapabilities scoped(c.record ? &capabilities : nullptr);
        Open();
        EXPECT_EQ(c.bitmap, m_pDlg->Toolbars().GetBackgroundBitmapId());
        REBARBANDINFOA band = {};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_BACKGROUND;
        ::SendMessageA(m_pDlg->Toolbars().GetRebarWindow(), RB_GETBANDINFOA, 0, reinterpret_cast<LPARAM>(&band));
        EXPECT_EQ(c.bitmap != 0, band.hbmBack != nullptr);
        if (c.bitmap)
            SaveScreenshot("SendSMSDlg_Outlook14.png");
        Close();
    }
}

TEST_F(SendSMSWindow, BalanceButtonShowsByPreferenceModeAndPolicy)
{
    struct Case
    {
        const char* what;
        Settings settings;
        std::int32_t balance;
        bool valid;
        std::string label;
    };
    const Case cases[] = {
        {"shown", {}, 250, true, "Available Balance: 250"},
        {"negative", {}, -12, true, "Available Balance: -12"},
        {"not valid yet", {}, 250, false, "Available Balance: "},
        {"preference off", {{"ZentavoSMSShowCurrentBalance", "0"}}, 250, true, ""},
        {"mode 1", {{"ZentavoSMSAuthMode", "1"}}, 7, true, "Available Balance: 7"},
        {"mode 5", {{"ZentavoSMSAuthMode", "5"}}, 7, true, "Available Balance: 7"},
        {"mode 3", {{"ZentavoSMSAuthMode", "3"}}, 7, true, ""},
        {"mode 4", {{"ZentavoSMSAuthMode", "4"}}, 7, true, ""},
        {"policy hidden", {{"ZentavoSMSUIAvailableBalanceButton", "Hidden"}}, 7, true, ""},
        {"policy disabled", {{"ZentavoSMSUIAvailableBalanceButton", "Disabled"}}, 7, true, "Available Balance: 7"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        Open(c.settings);
        m_pDlg->ShowBalance(c.balance, c.valid);
        const CSendSMSDlg_MainToolbar& main = m_pDlg->MainToolbar();
        EXPECT_EQ(c.label, main.GetButtonText(ID_SENDSMS_BALANCE));
        EXPECT_EQ(c.label.empty(), Hidden(main, ID_SENDSMS_BALANCE));
        EXPECT_EQ(c.label.empty(), Hidden(main, ID_SENDSMS_BALANCE_SEPARATOR));
        Close();
    }
}
