#include "ui/SendSMSSending.h"

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/ErrorReports.h"
#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"
#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"
#include "gateway/ZentavoSMSGatewaySubmissionManager.h"
#include "ui/SendSMSDlg.h"
#include "ui/SendWarningDlgs.h"

#include <algorithm>
#include <utility>

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
// save is shown and the road goes on. True for "Send Anyway"; a warning
// gone without an answer sends and stores nothing.
template <typename Dialog>
bool RunSendWarning(Dialog& dialog, bool (CPreferences::*get)(), void (CPreferences::*set)(bool),
                    const char* saveFunction)
{
    const CModalEnd end = ShowModal(dialog, ::GetActiveWindow(), IfOwnerGoes::kNoAnswer);
    if (!end.HasAnswer())
        return false;
    const INT_PTR result = end.Answer();
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

CSendSMSSending::CSendSMSSending(HWND owner, CSendSMSRequest request) : m_Owner(owner), m_Request(std::move(request))
{
}

bool CSendSMSSending::Run()
{
    if (!CheckRequest() || !ConfirmLimits() || !CheckAuthModeAllows())
        return false;
    const CZentavoSMSGatewaySubmissionResults results = Submit(BuildSubmission());
    // The gateway took the message, or may have (its answer lost, which the
    // helper has told): nothing from here on may turn the send into a
    // failure, or the user sends again and pays twice.
    if (!results.m_Success && !results.m_OutcomeUnknown)
        return false;
    if (results.m_Success)
        ReportRefusedRecipients(results);
    KeepSenderChoice();
    return true;
}

bool CSendSMSSending::CheckRequest() const
{
    if (m_Request.m_Recipients.empty())
        return Refuse("There must be at least one recipient in the To list.");
    if (m_Request.m_Text.empty())
        return Refuse("Please enter message text.");
    size_t count = 0;
    const std::string numberless = EntriesWithoutNumber(m_Request.m_Recipients, count);
    if (count == 1)
        return Refuse("The To field's entry " + numberless +
                      " has no number.\n\nPlease add its number or remove it. Nothing has been sent.");
    if (count > 1)
        return Refuse("These entries of the To field have no number: " + numberless +
                      ".\n\nPlease add their numbers or remove them. Nothing has been sent.");
    return CheckSendableAsTyped(m_Request.m_TypedText, "message text") &&
           CheckSendableAsTyped(m_Request.m_TypedContext, "user context") &&
           CheckSendableAsTyped(m_Request.m_TypedSender, "sender id");
}

bool CSendSMSSending::ConfirmLimits() const
{
    if (m_Request.m_WarnIfTruncated && m_Request.m_Parts > m_Request.m_MaxParts && !ConfirmTruncation())
        return false;
    return !m_Request.m_CheckBalance || ConfirmBalance();
}

bool CSendSMSSending::ConfirmTruncation() const
{
    CMessageTooLongDlg dialog(m_Request.m_Parts, m_Request.m_MaxParts);
    return RunSendWarning(dialog, &CPreferences::GetWarnIfMsgBeingTruncated, &CPreferences::SetWarnIfMsgBeingTruncated,
                          "CSendSMSDlg::Toolbar_SendMessage (ZentavoSMSWarnIfMsgBeingTruncated - Save Config)");
}

bool CSendSMSSending::ConfirmBalance() const
{
    const int required =
        static_cast<int>(m_Request.m_Recipients.size()) * std::min(m_Request.m_Parts, m_Request.m_MaxParts);
    bool valid = false;
    const std::int32_t balance = Plugin().m_BalanceClient.GetLastBalance(valid);
    if (!valid || required <= balance)
        return true;
    CInsufficientBalanceDlg dialog(required, balance);
    const bool sendAnyway =
        RunSendWarning(dialog, &CPreferences::GetCheckBalanceBeforeSending, &CPreferences::SetCheckBalanceBeforeSending,
                       "CSendSMSDlg::Toolbar_SendMessage (ZentavoSMSCheckBalanceBeforeSending - Save Config)");
    // Credits bought meanwhile show, whatever the user chose.
    CSendSMSDlg::RefreshBalance();
    return sendAnyway;
}

bool CSendSMSSending::CheckAuthModeAllows() const
{
    const int authMode = m_Request.m_AuthMode;
    if (authMode == 2 || authMode == 4 || authMode == 5)
        return true;
    const char* const advice = "\n\nClick 'Options...' and on the Login Details tab click 'Advanced Options....'\n"
                               "Select Authentication Mode: 'Encrypted Password'";
    if (m_Request.m_Schedule.wDay != 0)
        return Refuse(std::string("It is not possible to Schedule a message with the selected Authentication Mode") +
                      advice);
    if (m_Request.m_DeliveryReportMode != drsAccountSetting)
        return Refuse(
            std::string("It is not possible to override Reporting settings with the selected Authentication Mode") +
            advice);
    return true;
}

CZentavoSMSGatewaySubmission CSendSMSSending::BuildSubmission() const
{
    CZentavoSMSGatewaySubmission submission;
    submission.m_Action = saNewSendMessageSubmission;
    submission.m_Method = m_Request.m_Recipients.size() > kMaxHTTPSRecipients ? smWebService : smHTTPS;
    submission.m_Recipients = m_Request.m_Recipients;
    submission.m_SenderId = m_Request.m_SenderText;
    submission.m_SenderType = m_Request.m_Replyable            ? sstReplyable
                              : m_Request.m_UseAccountSettings ? sstUseAccountSettings
                                                               : sstUserDefined;
    submission.m_MessageText = m_Request.m_Text;
    submission.m_MaxConCat = static_cast<std::uint32_t>(m_Request.m_MaxParts);
    submission.m_UserContext = m_Request.m_UserContext;
    submission.m_ScheduledTime = m_Request.m_Schedule;
    submission.m_DeliveryReportSetting = m_Request.m_DeliveryReportMode;
    submission.m_DeliveryReportStatusMask = m_Request.m_DeliveryReportStatusMask;
    submission.m_RoutingType = rrtMsgSource;
    submission.m_StoreInSentItems = m_Request.m_StoreInSentItems ? 1 : 0;
    IDispatchPtr application = m_Request.m_OutlookApplication;
    SetSubmissionReplyAndSourceIdentity(application, submission, m_Request.m_UserContext);
    return submission;
}

CZentavoSMSGatewaySubmissionResults CSendSMSSending::Submit(const CZentavoSMSGatewaySubmission& submission) const
{
    CZentavoSMSGatewaySubmissionManager manager(static_cast<std::uint32_t>(m_Request.m_AuthMode),
                                                m_Request.m_AccessKey, m_Request.m_SecretKey, m_Request.m_MasterKey);
    const CWaitCursor wait;
    return CSMSGatewayHTTPInterfaceClientUIHelper().MakeSubmission(m_Owner, "Send Message Failed!", manager,
                                                                  m_Request.m_OutlookApplication, submission);
}

void CSendSMSSending::ReportRefusedRecipients(const CZentavoSMSGatewaySubmissionResults& results) const
{
    const std::string text = CSMSGatewayHTTPInterfaceClientUIHelper::RecipientOutcomesText(results);
    if (!text.empty())
        ShowMessageBox(m_Owner, text, kAddinMessageBoxCaption, MB_ICONEXCLAMATION | MB_OK);
}

void CSendSMSSending::KeepSenderChoice() const
{
    // The sender field is hidden and unused in user-context mode: the stored
    // sender choice stays for the next window.
    if (m_Request.m_UserContextMode)
        return;
    CPreferences& preferences = Preferences();
    const bool accountSettings = m_Request.m_UseAccountSettings;
    const std::string sender = accountSettings ? std::string() : m_Request.m_FromText;
    preferences.SetDefaultSendersId(sender);
    preferences.SetDefaultSendersIdUseReplyable(m_Request.m_Replyable);
    preferences.SetDefaultSendersIdUseAccountSettings(accountSettings);
    if (!m_Request.m_Replyable && !accountSettings && !sender.empty())
        CSendSMSDlg::UpdateSelectableSendersIdList(sender);
    try
    {
        preferences.Save();
    }
    catch (...)
    {
        ReportCurrentException("CSendSMSDlg::Toolbar_SendMessage (message sent; sender settings not saved)");
    }
}

bool CSendSMSSending::Refuse(const std::string& text) const
{
    ShowMessageBox(m_Owner, text, kAddinMessageBoxCaption, MB_ICONEXCLAMATION | MB_OK);
    return false;
}

bool CSendSMSSending::CheckSendableAsTyped(const std::wstring& typed, const char* what) const
{
    const std::string warning = UnsendableCharactersWarning(typed, what);
    return warning.empty() || Refuse(warning);
}
