// The Send SMS window's road from Send to a submission, the schedule and
// delivery-report dialogs of the advanced toolbar, and the Balance menu.
#include "ui/SendSMSDlg.h"

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/ErrorReports.h"
#include "core/StringUtils.h"
#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"
#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"
#include "gateway/ZentavoSMSGatewaySubmissionManager.h"
#include "platform/ModuleInstance.h"
#include "ui/DeliveryReportsDlg.h"
#include "ui/ScheduleSubmissionDlg.h"
#include "ui/SendWarningDlgs.h"

#include <algorithm>

namespace
{
using CPreferences = CConfigZentavoSMSOutlookAddin_UserPreferences;

// More recipients than this go as a bulk job.
constexpr size_t kMaxHTTPSRecipients = 100;

// The To field's entries that hold no number, as the user typed them.
std::string EntriesWithoutNumber(const CSMSContactVector& recipients, size_t& count)
{
    std::string names;
    count = 0;
    for (const CSMSContact& recipient : recipients)
        if (!CSMSContactUtils::HasNumber(recipient))
            names += std::string(count++ == 0 ? "" : ", ") + "\"" +
                     (recipient.m_Name.empty() ? "[" + recipient.m_Number + "]" : recipient.m_Name) + "\"";
    return names;
}

// The wait cursor while the gateway works; the previous one comes back
// however the submission ends.
class CWaitCursor
{
public:
    CWaitCursor() noexcept : m_Previous(::SetCursor(::LoadCursor(nullptr, IDC_WAIT)))
    {
    }
    ~CWaitCursor()
    {
        if (m_Previous)
            ::SetCursor(m_Previous);
    }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR m_Previous;
};

// Runs a warning over the active window. Its "Do not show" box switches
// the warning off, stored at once whichever button closed it; a failing
// save is shown and the road goes on. True for "Send Anyway".
template <typename Dialog>
bool RunSendWarning(Dialog& dialog, bool (CPreferences::*get)(), void (CPreferences::*set)(bool),
                    const char* saveFunction)
{
    const INT_PTR result = dialog.DoModal(::GetActiveWindow());
    const bool warn = !dialog.DoNotShow();
    CPreferences& preferences = Preferences();
    try
    {
        if (warn != (preferences.*get)())
        {
            (preferences.*set)(warn);
            preferences.Save();
        }
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox(saveFunction);
    }
    return result == IDC_WARNING_SENDANYWAY;
}
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
    CComposedMessage message;
    ReadComposedMessage(message);
    if (!CheckComposedMessage(message) || !ConfirmLimits(message) || !CheckAuthModeAllows())
        return;
    const CZentavoSMSGatewaySubmissionResults results = Submit(BuildSubmission(message));
    // The gateway took the message, or may have (its answer lost, which the
    // helper has told): nothing from here on may turn the send into a
    // failure, or the user sends again and pays twice.
    if (!results.m_Success && !results.m_OutcomeUnknown)
        return;
    if (results.m_Success)
        ReportRefusedRecipients(results);
    KeepSenderChoice(message.m_Replyable);
    CloseWindow();
}

void CSendSMSDlg::ReadComposedMessage(CComposedMessage& message)
{
    GetSMSContactList(message.m_Recipients);
    // Each phone is charged once however often, and in whatever form, the
    // To field names it.
    CSMSContactUtils::RemoveRepeatedPhones(message.m_Recipients);
    // Read as typed: the conversion to the ANSI code page is checked before
    // sending, not left to turn what it lacks into '?'.
    message.m_TypedText = GetControlTextW(IDC_SENDSMS_TEXT);
    message.m_Text = WideToAnsi(message.m_TypedText);
    if (m_UserContextMode)
        message.m_TypedContext = GetControlTextW(IDC_SENDSMS_CONTEXT);
    else
    {
        message.m_Replyable = ::SendDlgItemMessageA(m_hWnd, IDC_SENDSMS_REPLIES, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (!message.m_Replyable)
            message.m_TypedSender = GetControlTextW(m_FromControlId);
    }
    message.m_UserContext = WideToAnsi(message.m_TypedContext);
    message.m_SenderText = WideToAnsi(message.m_TypedSender);
}

bool CSendSMSDlg::CheckComposedMessage(const CComposedMessage& message)
{
    if (message.m_Recipients.empty())
        return Refuse("There must be at least one recipient in the To list.");
    if (message.m_Text.empty())
        return Refuse("Please enter message text.");
    size_t count = 0;
    const std::string numberless = EntriesWithoutNumber(message.m_Recipients, count);
    if (count == 1)
        return Refuse("The To field's entry " + numberless +
                      " has no number.\n\nPlease add its number or remove it. Nothing has been sent.");
    if (count > 1)
        return Refuse("These entries of the To field have no number: " + numberless +
                      ".\n\nPlease add their numbers or remove them. Nothing has been sent.");
    return CheckSendableAsTyped(message.m_TypedText, "message text") &&
           CheckSendableAsTyped(message.m_TypedContext, "user context") &&
           CheckSendableAsTyped(message.m_TypedSender, "sender id");
}

bool CSendSMSDlg::ConfirmLimits(CComposedMessage& message)
{
    CPreferences& preferences = Preferences();
    message.m_Parts = GetTextNumberOfParts(message.m_Text);
    message.m_Text = ReplaceAll(message.m_Text, "\r\n", "\r");
    const int maxParts = preferences.m_MaxMsgParts;
    if (preferences.GetWarnIfMsgBeingTruncated() && message.m_Parts > maxParts &&
        !ConfirmTruncation(message.m_Parts, maxParts))
        return false;
    return !preferences.GetCheckBalanceBeforeSending() ||
           ConfirmBalance(message.m_Recipients.size(), message.m_Parts, maxParts);
}

bool CSendSMSDlg::CheckAuthModeAllows()
{
    const int authMode = Plugin().m_Config.m_AuthMode;
    if (authMode == 2 || authMode == 4 || authMode == 5)
        return true;
    const char* const advice = "\n\nClick 'Options...' and on the Login Details tab click 'Advanced Options....'\n"
                               "Select Authentication Mode: 'Encrypted Password'";
    if (m_Schedule.wDay != 0)
        return Refuse(std::string("It is not possible to Schedule a message with the selected Authentication Mode") +
                      advice);
    if (m_DeliveryReportMode != drsAccountSetting)
        return Refuse(
            std::string("It is not possible to override Reporting settings with the selected Authentication Mode") +
            advice);
    return true;
}

CZentavoSMSGatewaySubmission CSendSMSDlg::BuildSubmission(const CComposedMessage& message)
{
    CZentavoSMSGatewaySubmission submission;
    submission.m_Action = saNewSendMessageSubmission;
    submission.m_Method = message.m_Recipients.size() > kMaxHTTPSRecipients ? smWebService : smHTTPS;
    submission.m_Recipients = message.m_Recipients;
    submission.m_SenderId = message.m_SenderText;
    submission.m_SenderType = message.m_Replyable    ? sstReplyable
                              : m_UseAccountSettings ? sstUseAccountSettings
                                                     : sstUserDefined;
    submission.m_MessageText = message.m_Text;
    submission.m_MaxConCat = static_cast<std::uint32_t>(Preferences().m_MaxMsgParts);
    submission.m_UserContext = message.m_UserContext;
    submission.m_ScheduledTime = m_Schedule;
    submission.m_DeliveryReportSetting = m_DeliveryReportMode;
    submission.m_DeliveryReportStatusMask = m_DeliveryReportStatusMask;
    submission.m_RoutingType = rrtMsgSource;
    submission.m_StoreInSentItems = Preferences().GetSaveSentMsgsToSentItemsFolder() ? 1 : 0;
    SetSubmissionReplyAndSourceIdentity(m_OutlookApplication, submission, message.m_UserContext);
    return submission;
}

CZentavoSMSGatewaySubmissionResults CSendSMSDlg::Submit(const CZentavoSMSGatewaySubmission& submission)
{
    CConfigZentavoSMSOutlookAddin_Config& config = Plugin().m_Config;
    CZentavoSMSGatewaySubmissionManager manager(static_cast<std::uint32_t>(config.m_AuthMode), config.GetAccessKey(),
                                                config.GetSecretKey(), config.GetMasterKey());
    const CWaitCursor wait;
    return CSMSGatewayHTTPInterfaceClientUIHelper().MakeSubmission(m_hWnd, "Send Message Failed!", manager,
                                                                  m_OutlookApplication, submission);
}

void CSendSMSDlg::KeepSenderChoice(bool replyable)
{
    // The sender field is hidden and unused in user-context mode: the stored
    // sender choice stays for the next window.
    if (m_UserContextMode)
        return;
    CPreferences& preferences = Preferences();
    const std::string sender = m_UseAccountSettings ? std::string() : GetControlText(m_FromControlId);
    preferences.SetDefaultSendersId(sender);
    preferences.SetDefaultSendersIdUseReplyable(replyable);
    preferences.SetDefaultSendersIdUseAccountSettings(m_UseAccountSettings);
    if (!replyable && !m_UseAccountSettings && !sender.empty())
        UpdateSelectableSendersIdList(sender);
    try
    {
        preferences.Save();
    }
    catch (...)
    {
        ReportCurrentException("CSendSMSDlg::Toolbar_SendMessage (message sent; sender settings not saved)");
    }
}

bool CSendSMSDlg::Refuse(const std::string& text)
{
    ShowMessageBox(m_hWnd, text, kAddinMessageBoxCaption, MB_ICONEXCLAMATION | MB_OK);
    return false;
}

bool CSendSMSDlg::CheckSendableAsTyped(const std::wstring& typed, const char* what)
{
    const std::string warning = UnsendableCharactersWarning(typed, what);
    return warning.empty() || Refuse(warning);
}

void CSendSMSDlg::ReportRefusedRecipients(const CZentavoSMSGatewaySubmissionResults& results)
{
    const std::string text = CSMSGatewayHTTPInterfaceClientUIHelper::RecipientOutcomesText(results);
    if (!text.empty())
        ShowMessageBox(m_hWnd, text, kAddinMessageBoxCaption, MB_ICONEXCLAMATION | MB_OK);
}

bool CSendSMSDlg::ConfirmTruncation(int parts, int maxParts)
{
    CMessageTooLongDlg dialog(parts, maxParts);
    return RunSendWarning(dialog, &CPreferences::GetWarnIfMsgBeingTruncated, &CPreferences::SetWarnIfMsgBeingTruncated,
                          "CSendSMSDlg::Toolbar_SendMessage (ZentavoSMSWarnIfMsgBeingTruncated - Save Config)");
}

bool CSendSMSDlg::ConfirmBalance(size_t recipients, int parts, int maxParts)
{
    const int required = static_cast<int>(recipients) * std::min(parts, maxParts);
    bool valid = false;
    const std::int32_t balance = Plugin().m_BalanceClient.GetLastBalance(valid);
    if (!valid || required <= balance)
        return true;
    CInsufficientBalanceDlg dialog(required, balance);
    const bool sendAnyway =
        RunSendWarning(dialog, &CPreferences::GetCheckBalanceBeforeSending, &CPreferences::SetCheckBalanceBeforeSending,
                       "CSendSMSDlg::Toolbar_SendMessage (ZentavoSMSCheckBalanceBeforeSending - Save Config)");
    // Credits bought meanwhile show, whatever the user chose.
    RefreshBalance();
    return sendAnyway;
}

// Cancel clears the schedule: the message then goes at once.
LRESULT CSendSMSDlg::Toolbar_ScheduleSubmission(UINT, WPARAM, LPARAM, bool&)
{
    CScheduleSubmissionDlg dialog;
    dialog.m_ScheduledTime = m_Schedule;
    dialog.DoModal(::GetActiveWindow());
    m_Schedule = dialog.m_ScheduledTime;
    m_AdvancedToolbar.SetScheduleButtonText(m_Schedule);
    return 0;
}

LRESULT CSendSMSDlg::Toolbar_DeliveryReports(UINT, WPARAM, LPARAM, bool&)
{
    CDeliveryReportsDlg dialog;
    dialog.SetSettings(m_DeliveryReportMode, m_DeliveryReportStatusMask);
    if (dialog.DoModal(::GetActiveWindow()) != IDOK)
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
