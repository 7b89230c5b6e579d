// "Schedule Delivery": a date on a month calendar and a time on a picker.
// The caller sets m_ScheduledTime before DoModal and reads it after: OK
// (1) gives the chosen date and time to the minute, Cancel (2, also Escape
// and the close box) a day of 0, that is no schedule.
#pragma once

#include "resources/resource.h"
#include "ui/ZentavoAxDialogImpl.h"

class CScheduleSubmissionDlg : public CZentavoAxDialogImpl<CScheduleSubmissionDlg>
{
public:
    enum
    {
        IDD = IDD_SCHEDULESUBMISSION
    };

    CScheduleSubmissionDlg();

    static CMessageTable<CScheduleSubmissionDlg> GetMessageTable();

    // The dates that can be chosen, from the given day (the local date) to
    // the same month and day a year later; from 29 February, to 28 February,
    // since the next year has no 29th. Times are midnight.
    static void GetSelectableRange(const SYSTEMTIME& today, SYSTEMTIME range[2]);

    SYSTEMTIME m_ScheduledTime = {};

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnOK(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnCancel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    // Grows the calendar to the size its font needs and makes room for it.
    void FitCalendar();
};
