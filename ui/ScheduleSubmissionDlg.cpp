#include "ui/ScheduleSubmissionDlg.h"

#include "platform/ActivationContext.h"
#include "platform/OleDateTime.h"

#include <commctrl.h>

#include <algorithm>

namespace
{
SYSTEMTIME DateOnly(WORD year, WORD month, WORD day)
{
    SYSTEMTIME date = {};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    return date;
}
} // namespace

// The calendar and picker classes of the module's common controls, which a
// host process need not have registered.
CScheduleSubmissionDlg::CScheduleSubmissionDlg()
{
    const CModuleActivationScope activation(GetThisModuleInstance());
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&classes);
}

CMessageTable<CScheduleSubmissionDlg> CScheduleSubmissionDlg::GetMessageTable()
{
    using Entry = CMessageEntry<CScheduleSubmissionDlg>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CScheduleSubmissionDlg::OnInitDialog, "CScheduleSubmissionDlg::OnInitDialog"),
        Entry::Command(IDOK, &CScheduleSubmissionDlg::OnOK, "CScheduleSubmissionDlg::OnOK"),
        Entry::Command(IDCANCEL, &CScheduleSubmissionDlg::OnCancel, "CScheduleSubmissionDlg::OnCancel"),
    };
    return entries;
}

void CScheduleSubmissionDlg::GetSelectableRange(const SYSTEMTIME& today, SYSTEMTIME range[2])
{
    range[0] = DateOnly(today.wYear, today.wMonth, today.wDay);
    const WORD nextYear = static_cast<WORD>(today.wYear + 1);
    const bool noSuchDay = today.wMonth == 2 && today.wDay == 29 && !COleDateTime::IsLeapYear(nextYear);
    range[1] = DateOnly(nextYear, today.wMonth, noSuchDay ? 28 : today.wDay);
}

LRESULT CScheduleSubmissionDlg::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    FitCalendar();
    const HWND calendar = GetDlgItem(IDC_SCHEDULE_CALENDAR);
    const HWND picker = GetDlgItem(IDC_SCHEDULE_TIME);
    ::SendMessageA(picker, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>("HH:mm"));

    // The user's own today: the schedule is local time, and so is "later
    // today" in the evening west of UTC.
    SYSTEMTIME today;
    ::GetLocalTime(&today);
    SYSTEMTIME range[2];
    GetSelectableRange(today, range);
    ::SendMessageA(calendar, MCM_SETRANGE, GDTR_MIN | GDTR_MAX, reinterpret_cast<LPARAM>(range));

    if (m_ScheduledTime.wDay != 0)
    {
        ::SendMessageA(calendar, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&m_ScheduledTime));
        ::SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&m_ScheduledTime));
    }
    return TRUE;
}

void CScheduleSubmissionDlg::FitCalendar()
{
    const HWND calendar = GetDlgItem(IDC_SCHEDULE_CALENDAR);
    RECT needed = {};
    if (!::SendMessageA(calendar, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&needed)))
        return;
    RECT shown = {};
    ::GetWindowRect(calendar, &shown);
    const int extraWidth = std::max(0L, (needed.right - needed.left) - (shown.right - shown.left));
    const int extraHeight = std::max(0L, (needed.bottom - needed.top) - (shown.bottom - shown.top));
    if (extraWidth == 0 && extraHeight == 0)
        return;

    const UINT resizeOnly = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    ::SetWindowPos(calendar, nullptr, 0, 0, shown.right - shown.left + extraWidth,
                   shown.bottom - shown.top + extraHeight, resizeOnly);
    RECT frame = {};
    ::GetWindowRect(m_hWnd, &frame);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, frame.right - frame.left + extraWidth, frame.bottom - frame.top + extraHeight,
                   resizeOnly);
    for (int id : {IDC_SCHEDULE_TIME_LABEL, IDC_SCHEDULE_TIME, IDOK, IDCANCEL})
    {
        const HWND control = GetDlgItem(id);
        RECT place = {};
        ::GetWindowRect(control, &place);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&place), 2);
        ::SetWindowPos(control, nullptr, place.left + extraWidth / 2, place.top + extraHeight, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
}

LRESULT CScheduleSubmissionDlg::OnOK(UINT, WPARAM, LPARAM, bool&)
{
    m_ScheduledTime = {};
    ::SendDlgItemMessageA(m_hWnd, IDC_SCHEDULE_TIME, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&m_ScheduledTime));
    SYSTEMTIME date = {};
    ::SendDlgItemMessageA(m_hWnd, IDC_SCHEDULE_CALENDAR, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&date));
    m_ScheduledTime.wYear = date.wYear;
    m_ScheduledTime.wMonth = date.wMonth;
    m_ScheduledTime.wDay = date.wDay;
    m_ScheduledTime.wDayOfWeek = date.wDayOfWeek;
    m_ScheduledTime.wSecond = 0;
    m_ScheduledTime.wMilliseconds = 0;
    EndDialog(IDOK);
    return 0;
}

LRESULT CScheduleSubmissionDlg::OnCancel(UINT, WPARAM, LPARAM, bool&)
{
    m_ScheduledTime.wDay = 0;
    EndDialog(IDCANCEL);
    return 0;
}
