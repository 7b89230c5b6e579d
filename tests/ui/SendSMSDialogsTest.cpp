// The Send SMS window's schedule and delivery-report dialogs, its Balance
// menu and where that menu opens, and screenshots of the four dialogs on
// the way to a send.
#include "tests/ui/SendSMSWindowFixture.h"

#include "core/Win32Utils.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestPaths.h"
#include "tests/support/WindowDriver.h"
#include "ui/DeliveryReportsDlg.h"
#include "ui/ScheduleSubmissionDlg.h"
#include "ui/SendWarningDlgs.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace
{
SYSTEMTIME Date(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0)
{
    SYSTEMTIME date = {};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    date.wHour = hour;
    date.wMinute = minute;
    return date;
}

std::string Text(const SYSTEMTIME& date)
{
    return std::to_string(date.wYear) + "-" + std::to_string(date.wMonth) + "-" + std::to_string(date.wDay) + " " +
           std::to_string(date.wHour) + ":" + std::to_string(date.wMinute) + ":" + std::to_string(date.wSecond);
}

// The date's day alone, as Text shows it.
std::string Day(const SYSTEMTIME& date)
{
    return Text(Date(date.wYear, date.wMonth, date.wDay));
}

// Today (the local date) and some days on, as the calendar counts them.
SYSTEMTIME DaysFromToday(int days)
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    FILETIME file;
    ::SystemTimeToFileTime(&now, &file);
    ULARGE_INTEGER value{{file.dwLowDateTime, file.dwHighDateTime}};
    value.QuadPart += static_cast<ULONGLONG>(days) * 864000000000ULL;
    file = {value.LowPart, value.HighPart};
    SYSTEMTIME later;
    ::FileTimeToSystemTime(&file, &later);
    return later;
}

void Command(HWND window, int id)
{
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}
} // namespace

TEST(ScheduleSubmissionRange, FromTheGivenDayToTheSameDayAYearOn)
{
    const struct
    {
        SYSTEMTIME today;
        SYSTEMTIME upper;
    } cases[] = {
        {Date(2026, 3, 15, 17, 45), Date(2027, 3, 15)},
        {Date(2026, 12, 31), Date(2027, 12, 31)},
        {Date(2028, 2, 28), Date(2029, 2, 28)},
        // The next year has no 29 February.
        {Date(2028, 2, 29), Date(2029, 2, 28)},
        {Date(2000, 2, 29), Date(2001, 2, 28)},
        {Date(2027, 2, 28), Date(2028, 2, 28)},
    };
    for (const auto& c : cases)
    {
        SYSTEMTIME range[2];
        CScheduleSubmissionDlg::GetSelectableRange(c.today, range);
        EXPECT_EQ(Day(c.today), Text(range[0])) << Text(c.today);
        EXPECT_EQ(Text(c.upper), Text(range[1])) << Text(c.today);
    }
}

TEST_F(SendSMSWindow, ScheduleOkCancelAndReopen)
{
    Open({{"ZentavoSMSAuthMode", "5"}});
    const SYSTEMTIME day = DaysFromToday(3);
    SYSTEMTIME chosen = day;
    chosen.wHour = 14;
    chosen.wMinute = 30;
    chosen.wSecond = 12;
    SYSTEMTIME shownDate = {};
    SYSTEMTIME shownTime = {};
    SYSTEMTIME range[2] = {};
    {
        CWindowDriver driver;
        driver.Expect().Caption("Schedule Delivery").Run([&](HWND dialog) {
            ::SendDlgItemMessageA(dialog, IDC_SCHEDULE_CALENDAR, MCM_GETRANGE, 0, reinterpret_cast<LPARAM>(range));
            ::SendDlgItemMessageA(dialog, IDC_SCHEDULE_CALENDAR, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&chosen));
            ::SendDlgItemMessageA(dialog, IDC_SCHEDULE_TIME, DTM_SETSYSTEMTIME, GDT_VALID,
                                  reinterpret_cast<LPARAM>(&chosen));
            ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        driver.Expect().Caption("Schedule Delivery").Run([&](HWND dialog) {
            ::SendDlgItemMessageA(dialog, IDC_SCHEDULE_CALENDAR, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&shownDate));
            ::SendDlgItemMessageA(dialog, IDC_SCHEDULE_TIME, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shownTime));
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        Command(m_Window, ID_SENDSMS_SCHEDULE);
        const SYSTEMTIME schedule = m_pDlg->GetSchedule();
        EXPECT_EQ(Text(Date(day.wYear, day.wMonth, day.wDay, 14, 30)), Text(schedule));
        EXPECT_EQ(0, schedule.wMilliseconds);
        EXPECT_EQ(0u, m_pDlg->AdvancedToolbar().GetButtonText(ID_SENDSMS_SCHEDULE).find("Schedule Delivery: "));

        Command(m_Window, ID_SENDSMS_SCHEDULE);
        EXPECT_EQ("", driver.Problems());
    }
    SYSTEMTIME bounds[2];
    CScheduleSubmissionDlg::GetSelectableRange(DaysFromToday(0), bounds);
    EXPECT_EQ(Text(bounds[0]), Day(range[0]));
    EXPECT_EQ(Text(bounds[1]), Day(range[1]));
    EXPECT_EQ(Day(day), Day(shownDate));
    EXPECT_EQ("14:30", std::to_string(shownTime.wHour) + ":" + std::to_string(shownTime.wMinute));
    // Cancel cleared the schedule.
    EXPECT_EQ(0, m_pDlg->GetSchedule().wDay);
    EXPECT_EQ("Schedule Delivery", m_pDlg->AdvancedToolbar().GetButtonText(ID_SENDSMS_SCHEDULE));
}

// The calendar starts at the user's own date, not UTC's. CTest runs this
// also under zones far either side of UTC (ZENTAVO_TEST_ZONE), where the two
// dates differ for much of each day.
TEST_F(SendSMSWindow, ScheduleCalendarStartsAtTheLocalDate)
{
    const std::string zone = CWin32Utils::GetEnvironmentVariable("ZENTAVO_TEST_ZONE");
    if (!zone.empty())
    {
        const std::map<std::string, LONGLONG> offsetMinutes = {{"Pacific/Kiritimati", 14 * 60},
                                                               {"Pacific/Pago_Pago", -11 * 60}};
        const auto expected = offsetMinutes.find(zone);
        ASSERT_NE(offsetMinutes.end(), expected) << zone;
        SYSTEMTIME utc;
        SYSTEMTIME local;
        ::GetSystemTime(&utc);
        ::GetLocalTime(&local);
        FILETIME utcFile;
        FILETIME localFile;
        ::SystemTimeToFileTime(&utc, &utcFile);
        ::SystemTimeToFileTime(&local, &localFile);
        const auto minutes = [](const FILETIME& file) {
            return static_cast<LONGLONG>(ULARGE_INTEGER{{file.dwLowDateTime, file.dwHighDateTime}}.QuadPart /
                                         600000000ULL);
        };
        // The zone is in force for this process, or the test proves nothing.
        ASSERT_NEAR(static_cast<double>(expected->second),
                    static_cast<double>(minutes(localFile) - minutes(utcFile)), 1.0);
    }
    Open({{"ZentavoSMSAuthMode", "5"}});
    SYSTEMTIME range[2] = {};
    SYSTEMTIME today = {};
    {
        CWindowDriver driver;
        driver.Expect().Caption("Schedule Delivery").Run([&](HWND dialog) {
            ::GetLocalTime(&today);
            ::SendDlgItemMessageA(dialog, IDC_SCHEDULE_CALENDAR, MCM_GETRANGE, 0, reinterpret_cast<LPARAM>(range));
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        Command(m_Window, ID_SENDSMS_SCHEDULE);
        EXPECT_EQ("", driver.Problems());
    }
    EXPECT_EQ(Day(today), Day(range[0])) << zone;
}

// The dialog's boxes are live only for "generate"; OK sets the window's
// mode and mask, stored as the defaults (for the next window too) only when
// asked; Cancel changes nothing.
TEST_F(SendSMSWindow, DeliveryReportsDialog)
{
    const struct
    {
        const char* what;
        Settings settings;
        std::vector<int> clicks;
        int button;
        bool reportBoxesEnabledAtStart;
        DWORD mode;
        DWORD mask;
    } cases[] = {
        {"account settings, OK unchanged", {}, {}, IDOK, false, 3, 15},
        {"no reports with all boxes", {{"DefaultDeliveryReportSetting", "2"}}, {IDC_REPORTS_NONE}, IDOK, true, 1, 15},
        {"generate two", {{"DefaultDeliveryReportStatusFilter", "0"}},
         {IDC_REPORTS_GENERATE, IDC_REPORTS_SENT, IDC_REPORTS_EXPIRED}, IDOK, false, 2, 9},
        {"cancel changes nothing, even as default", {}, {IDC_REPORTS_NONE, IDC_REPORTS_MAKEDEFAULT}, IDCANCEL, false,
         3, 15},
        {"made the default", {}, {IDC_REPORTS_GENERATE, IDC_REPORTS_FAILED, IDC_REPORTS_MAKEDEFAULT}, IDOK, false, 2,
         11},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        Open(c.settings);
        bool enabledAtStart = false;
        bool enabledAfterClicks = false;
        {
            CWindowDriver driver;
            driver.Expect().Caption("Delivery Reports").Run([&](HWND dialog) {
                enabledAtStart = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_REPORTS_SENT)) != FALSE;
                for (int id : c.clicks)
                    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
                enabledAfterClicks = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_REPORTS_SENT)) != FALSE;
                ::PostMessageA(dialog, WM_COMMAND, c.button, 0);
            });
            Command(m_Window, ID_SENDSMS_DELIVERY_REPORTS);
            EXPECT_EQ("", driver.Problems());
        }
        EXPECT_EQ(c.reportBoxesEnabledAtStart, enabledAtStart);
        EXPECT_EQ(c.mode == 2, enabledAfterClicks);
        EXPECT_EQ(c.mode, m_pDlg->GetDeliveryReportMode());
        EXPECT_EQ(c.mask, m_pDlg->GetDeliveryReportStatusMask());
        const bool madeDefault =
            c.button == IDOK && std::count(c.clicks.begin(), c.clicks.end(), IDC_REPORTS_MAKEDEFAULT) != 0;
        Settings stored;
        for (const char* name : {"DefaultDeliveryReportSetting", "DefaultDeliveryReportStatusFilter"})
            if (const std::optional<std::string> value = ReadText(kSettings, name))
                stored.emplace_back(name, *value);
        const Settings asDefaults = {{"DefaultDeliveryReportSetting", std::to_string(c.mode)},
                                     {"DefaultDeliveryReportStatusFilter", std::to_string(c.mask)}};
        EXPECT_EQ(madeDefault ? asDefaults : c.settings, stored);
        if (madeDefault)
        {
            // The next window starts with them.
            Close();
            Plugin().m_UserPreferences.Load();
            OpenWindow();
            EXPECT_EQ(c.mode, m_pDlg->GetDeliveryReportMode());
            EXPECT_EQ(c.mask, m_pDlg->GetDeliveryReportStatusMask());
        }
        Close();
    }
}

TEST(DeliveryReportsSettings, ModesAndMasksRoundTrip)
{
    const struct
    {
        DWORD mode;
        DWORD mask;
        DWORD modeBack;
        DWORD maskBack;
    } cases[] = {{1, 0, 1, 0}, {2, 5, 2, 5}, {3, 15, 3, 15}, {7, 0xF3, 0, 3}};
    // An unknown mode ticks no choice and reads back as 0; unknown bits go.
    for (const auto& c : cases)
    {
        CDeliveryReportsDlg dialog;
        dialog.SetSettings(c.mode, c.mask);
        DWORD mode = 99;
        DWORD mask = 99;
        bool makeDefault = true;
        dialog.GetSettings(mode, mask, makeDefault);
        EXPECT_EQ(c.modeBack, mode) << c.mode;
        EXPECT_EQ(c.maskBack, mask) << c.mode;
        EXPECT_FALSE(makeDefault);
    }
}

namespace
{
// The Balance menu as it pops up: each item's text and whether it is grey.
// The window's own menu loop is ended as soon as the menu is read.
struct CMenuReader
{
    static thread_local CMenuReader* s_pReader;
    std::vector<std::pair<std::string, bool>> items;
    CScopedHook hook;

    CMenuReader()
    {
        s_pReader = this;
        hook.reset(::SetWindowsHookExA(WH_CALLWNDPROC, &Proc, nullptr, ::GetCurrentThreadId()));
    }
    ~CMenuReader() { s_pReader = nullptr; }

    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && message->message == WM_INITMENUPOPUP && s_pReader)
        {
            const HMENU menu = reinterpret_cast<HMENU>(message->wParam);
            for (int i = 0; i < ::GetMenuItemCount(menu); ++i)
            {
                char text[64] = {};
                ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
                const bool grey = (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED) != 0;
                s_pReader->items.emplace_back(text, grey);
            }
            ::PostMessageA(message->hwnd, WM_CANCELMODE, 0, 0);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
};
thread_local CMenuReader* CMenuReader::s_pReader = nullptr;
} // namespace

TEST_F(SendSMSWindow, BalanceMenuFollowsTheBuyCreditsPolicy)
{
    using Items = std::vector<std::pair<std::string, bool>>;
    const struct
    {
        const char* policy;
        Items items;
    } cases[] = {
        {"Enabled", {{"Refresh Balance", false}, {"Buy Credits", false}}},
        {"disabled", {{"Refresh Balance", false}, {"Buy Credits", false}}},
        {"Disabled", {{"Refresh Balance", false}, {"Buy Credits", true}}},
        {"Hidden", {{"Refresh Balance", false}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.policy);
        Open({{"ZentavoSMSUIBuyCreditsButton", c.policy}});
        const HWND toolbar = m_pDlg->MainToolbar().GetWindow();
        CMenuReader reader;
        ClickToolbarButton(toolbar, ID_SENDSMS_BALANCE);
        EXPECT_EQ(c.items, reader.items);

        // Another button's drop-down opens nothing.
        reader.items.clear();
        NMTOOLBARA notification = {};
        notification.hdr = {toolbar, IDC_SENDSMS_MAIN_TOOLBAR, static_cast<UINT>(TBN_DROPDOWN)};
        notification.iItem = ID_SENDSMS_SEND;
        const LRESULT answer = ::SendMessageA(m_Window, WM_NOTIFY, IDC_SENDSMS_MAIN_TOOLBAR,
                                              reinterpret_cast<LPARAM>(&notification));
        EXPECT_EQ(TBDDRET_DEFAULT, answer);
        EXPECT_TRUE(reader.items.empty());
        Close();
    }
}

TEST(SendSMSMenuPoint, OffScreenPointsMoveIntoTheNearestWorkArea)
{
    const POINT origin = {0, 0};
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(::GetMonitorInfoA(::MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &monitor));
    const RECT work = monitor.rcWork;
    const RECT screen = monitor.rcMonitor;
    const int y = (work.top + work.bottom) / 2;
    EXPECT_EQ(work.left + 10, CSendSMSDlg::ClampToNearestWorkArea(work.left + 10, y));
    EXPECT_EQ(work.left, CSendSMSDlg::ClampToNearestWorkArea(screen.left - 5000, y));
    EXPECT_EQ(work.right, CSendSMSDlg::ClampToNearestWorkArea(screen.right + 5000, y));
    // Below the screen: x stays when it lies within the work area's extent.
    EXPECT_EQ(work.left + 20, CSendSMSDlg::ClampToNearestWorkArea(work.left + 20, screen.bottom + 5000));
}

TEST_F(SendSMSWindow, ScreenshotsOfTheSendDialogs)
{
    Open();
    auto shoot = [](const std::string& name) {
        return [name](HWND dialog) {
            SendSMSWindow::Pump(200);
            const std::string path = ProgramBesideTest(name);
            SaveWindowScreenshot(dialog, std::wstring(path.begin(), path.end()));
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        };
    };
    CWindowDriver driver;
    driver.Expect().Run(shoot("MessageTooLongDlg.png"));
    driver.Expect().Run(shoot("InsufficientBalanceDlg.png"));
    driver.Expect().Run(shoot("ScheduleSubmissionDlg.png"));
    driver.Expect().Run(shoot("DeliveryReportsDlg.png"));
    CMessageTooLongDlg(3, 2).DoModal(m_Window);
    CInsufficientBalanceDlg(-12, 40).DoModal(m_Window);
    Command(m_Window, ID_SENDSMS_SCHEDULE);
    Command(m_Window, ID_SENDSMS_DELIVERY_REPORTS);
    EXPECT_EQ("", driver.Problems());
}
