// The Send SMS window's Send, which reads the request the send acts on, the
// schedule and delivery-report dialogs of the advanced toolbar, and the
// Balance menu.
#include "ui/SendSMSDlg.h"

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/StringUtils.h"
#include "platform/ModuleInstance.h"
#include "ui/DeliveryReportsDlg.h"
#include "ui/ScheduleSubmissionDlg.h"
#include "ui/SendSMSSending.h"

#include <algorithm>

namespace
{
using CPreferences = CConfigZentavoSMSOutlookAddin_UserPreferences;
} // namespace

LRESULT CSendSMSDlg::Toolbar_SendMessage(UINT, WPARAM, LPARAM, bool&)
{
    // A press that arrives while this window's own send still runs (through
    // a warning dialog's, a box's or a wait's message loop) does nothing.
    if (m_Sending)
        return 0;
    m_Sending = true;
    struct CSendingFlag
    {
        bool& sending;
        ~CSendingFlag() { sending = false; }
    } const flag{m_Sending};
    SendMessageText();
    return 0;
}

void CSendSMSDlg::SendMessageText()
{
    if (!Plugin().CheckConfiguration())
        return;
    // The window may be destroyed under one of the send's boxes; the send
    // still ends as it would, on what was read here.
    if (CSendSMSSending(m_hWnd, ReadSendRequest()).Run() && ::IsWindow(m_hWnd))
        CloseWindow();
}

CSendSMSRequest CSendSMSDlg::ReadSendRequest()
{
    CSendSMSRequest request;
    // Read as typed: the conversion to the ANSI code page is checked before
    // sending, not left to turn what it lacks into '?'.
    request.m_TypedText = GetControlTextW(IDC_SENDSMS_TEXT);
    const std::string text = WideToAnsi(request.m_TypedText);
    request.m_Parts = GetTextNumberOfParts(text);
    request.m_Text = ReplaceAll(text, "\r\n", "\r");
    request.m_UserContextMode = m_UserContextMode;
    if (m_UserContextMode)
        request.m_TypedContext = GetControlTextW(IDC_SENDSMS_CONTEXT);
    else
    {
        request.m_Replyable = ::SendDlgItemMessageA(m_hWnd, IDC_SENDSMS_REPLIES, BM_GETCHECK, 0, 0) == BST_CHECKED;
        request.m_FromText = GetControlText(m_FromControlId);
        if (!request.m_Replyable)
            request.m_TypedSender = GetControlTextW(m_FromControlId);
    }
    request.m_UserContext = WideToAnsi(request.m_TypedContext);
    request.m_SenderText = WideToAnsi(request.m_TypedSender);
    request.m_UseAccountSettings = m_UseAccountSettings;
    request.m_Schedule = m_Schedule;
    request.m_DeliveryReportMode = m_DeliveryReportMode;
    request.m_DeliveryReportStatusMask = m_DeliveryReportStatusMask;

    CPreferences& preferences = Preferences();
    request.m_MaxParts = preferences.m_MaxMsgParts;
    request.m_WarnIfTruncated = preferences.GetWarnIfMsgBeingTruncated();
    request.m_CheckBalance = preferences.GetCheckBalanceBeforeSending();
    request.m_StoreInSentItems = preferences.GetSaveSentMsgsToSentItemsFolder();
    CConfigZentavoSMSOutlookAddin_Config& config = Plugin().m_Config;
    request.m_AuthMode = config.m_AuthMode;
    request.m_AccessKey = config.GetAccessKey();
    request.m_SecretKey = config.GetSecretKey();
    request.m_MasterKey = config.GetMasterKey();
    request.m_OutlookApplication = m_OutlookApplication;

    // Last: a To field that cannot be read whole is told in a box.
    GetSMSContactList(request.m_Recipients);
    // Each phone is charged once however often, and in whatever form, the
    // To field names it.
    CSMSContactUtils::RemoveRepeatedPhones(request.m_Recipients);
    return request;
}

// Cancel clears the schedule: the message then goes at once.
LRESULT CSendSMSDlg::Toolbar_ScheduleSubmission(UINT, WPARAM, LPARAM, bool&)
{
    CScheduleSubmissionDlg dialog;
    dialog.m_ScheduledTime = m_Schedule;
    if (!ShowModal(dialog, ::GetActiveWindow(), IfOwnerGoes::kNoAnswer).HasAnswer())
        return 0;
    m_Schedule = dialog.m_ScheduledTime;
    m_AdvancedToolbar.SetScheduleButtonText(m_Schedule);
    return 0;
}

LRESULT CSendSMSDlg::Toolbar_DeliveryReports(UINT, WPARAM, LPARAM, bool&)
{
    CDeliveryReportsDlg dialog;
    dialog.SetSettings(m_DeliveryReportMode, m_DeliveryReportStatusMask);
    if (!ShowModal(dialog, ::GetActiveWindow(), IfOwnerGoes::kNoAnswer).Is(IDOK))
        return 0;
    bool makeDefault = false;
    dialog.GetSettings(m_DeliveryReportMode, m_DeliveryReportStatusMask, makeDefault);
    if (makeDefault)
    {
        CPreferences& preferences = Preferences();
        preferences.m_DefaultDeliveryReportSetting = m_DeliveryReportMode;
        preferences.m_DefaultDeliveryReportStatusFilter = m_DeliveryReportStatusMask;
        preferences.Save();
    }
    return 0;
}

// The Balance menu under the balance button; the chosen item comes back as
// a command of the window.
LRESULT CSendSMSDlg::Toolbar_Notify_DropDown(UINT, WPARAM, LPARAM lParam, bool&)
{
    const auto* info = reinterpret_cast<const NMTOOLBARA*>(lParam);
    if (info->iItem != ID_SENDSMS_BALANCE)
        return TBDDRET_DEFAULT;
    const CScopedMenu menu(::LoadMenuA(GetThisModuleInstance(), MAKEINTRESOURCEA(IDR_BALANCE_MENU)));
    if (!menu)
        return TBDDRET_DEFAULT;
    const std::string policy = Plugin().m_Config.GetUIBuyCreditsButton();
    if (policy == UIPolicyDisabled)
        ::EnableMenuItem(menu.get(), ID_BALANCE_BUYCREDITS, MF_BYCOMMAND | MF_GRAYED);
    else if (policy == UIPolicyHidden)
        ::RemoveMenu(menu.get(), ID_BALANCE_BUYCREDITS, MF_BYCOMMAND);

    RECT button = {};
    ::SendMessageA(info->hdr.hwndFrom, TB_GETRECT, ID_SENDSMS_BALANCE, reinterpret_cast<LPARAM>(&button));
    RECT toolbar = {};
    ::GetWindowRect(info->hdr.hwndFrom, &toolbar);
    const int y = toolbar.top + button.bottom;
    const int x = ClampToNearestWorkArea(toolbar.left + button.left, y);
    ::TrackPopupMenu(::GetSubMenu(menu.get(), 0), 0, x, y, 0, m_hWnd, nullptr);
    return TBDDRET_DEFAULT;
}

int CSendSMSDlg::ClampToNearestWorkArea(int x, int y)
{
    const POINT point = {x, y};
    if (::MonitorFromPoint(point, MONITOR_DEFAULTTONULL))
        return x;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoA(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &monitor))
        return x;
    return std::clamp(x, static_cast<int>(monitor.rcWork.left), static_cast<int>(monitor.rcWork.right));
}

LRESULT CSendSMSDlg::OnRefreshBalance(UINT, WPARAM, LPARAM, bool&)
{
    RefreshBalance();
    return 0;
}

LRESULT CSendSMSDlg::OnBuyCredits(UINT, WPARAM, LPARAM, bool&)
{
    Plugin().ShowBuySMSCreditsPage();
    return 0;
}
