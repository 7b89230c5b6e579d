#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"

#include "contacts/MicrosoftOutlookObjectModelUtils.h"
#include "contacts/SMSContact.h"
#include "core/Exceptions.h"
#include "core/Win32Utils.h"
#include "gateway/SMSGatewayHTTPInterfaceClient.h"
#include "gateway/SMSGatewayService.h"

#include <algorithm>
#include <vector>

namespace
{
const DWORD kBalanceTimeoutMs = 20000;
const DWORD kSendTimeoutMs = 60000;
// A staging or test gateway may need another wait for a send's answer.
const char kSendTimeoutVariable[] = "ZENTAVOSMS_GATEWAY_SEND_TIMEOUT_MS";

// The variable's positive number of milliseconds, read at each send, or the
// product's own time-out.
DWORD SendTimeoutMs()
{
    const long long milliseconds =
        CSMSGatewayService::ParseInteger(CWin32Utils::GetEnvironmentVariable(kSendTimeoutVariable));
    return milliseconds > 0 && milliseconds <= kSendTimeoutMs * 10 ? static_cast<DWORD>(milliseconds)
                                                                  : kSendTimeoutMs;
}

// The gateway's from type and sender text for the submission's sender.
void ChooseSender(const CZentavoSMSGatewaySubmission& submission, std::uint32_t& fromType, std::string& from)
{
    from.clear();
    if (!submission.m_UserContext.empty())
        fromType = 0;
    else if (submission.m_SenderType == sstReplyable)
        fromType = 2;
    else if (submission.m_SenderType == sstUseAccountSettings)
        fromType = 0;
    else if (submission.m_SenderType == sstUserDefined)
    {
        fromType = 1;
        from = submission.m_SenderId;
    }
    else
    {
        fromType = 0;
        from = submission.m_SenderId;
    }
}

// One status per recipient, in the record's order: by position when the
// reply has a record for each, else by number. A recipient the reply does
// not name (it was cut off before its line) is UNKNOWN, as is one whose
// line could not be read: it may have been sent to.
std::vector<CSMSSendStatus> StatusesPerRecipient(const CSMSContactVector& recipients,
                                                 const std::vector<CSMSSendStatus>& records)
{
    std::vector<CSMSSendStatus> statuses;
    for (size_t i = 0; i < recipients.size(); ++i)
    {
        CSMSSendStatus status;
        if (records.size() == recipients.size())
            status = records[i];
        else
        {
            const auto named = std::find_if(records.begin(), records.end(), [&](const CSMSSendStatus& record) {
                return record.m_Number == recipients[i].m_Number;
            });
            if (named != records.end())
                status = *named;
        }
        status.m_Number = recipients[i].m_Number;
        statuses.push_back(status);
    }
    return statuses;
}

// A request refused before the gateway: a connection failure whose HTTP
// status the results carry.
void RecordRefusal(SMSGatewayResultCode status, const CSMSGatewayRequestOptions& options,
                   CZentavoSMSGatewaySubmissionResults& results)
{
    if (!CSMSGatewayService::WasRefusedBeforeGateway(status, options.m_HTTPOptions))
        return;
    results.m_ResultCode = CONNECTION_ERROR;
    results.m_RefusalHTTPStatus = options.m_HTTPOptions.m_HTTPStatus;
}

bool HasStatus(const std::vector<CSMSSendStatus>& statuses, SMSGatewayResultCode code)
{
    return std::any_of(statuses.begin(), statuses.end(),
                       [code](const CSMSSendStatus& status) { return status.m_StatusCode == code; });
}
} // namespace

CZentavoSMSGatewayHTTPSSubmitter::CZentavoSMSGatewayHTTPSSubmitter(std::uint32_t authMode,
                                                                   const std::string& accessKey,
                                                                   const std::string& secretKey,
                                                                   const std::string& masterKey)
    : CZentavoSMSGatewaySubmitter(authMode, accessKey, secretKey, masterKey)
{
}

CZentavoSMSGatewaySubmissionResults CZentavoSMSGatewayHTTPSSubmitter::MakeSubmission(
    IDispatchPtr /*outlookApplication*/, const CZentavoSMSGatewaySubmission& submission)
{
    if (submission.m_Action != saNewSendMessageSubmission)
        throw CGeneralException(
            "CZentavoSMSGatewaySubmissionResults CZentavoSMSGatewayHTTPSSubmitter - SubmissionActions not support",
            E_FAIL);

    CSMSGatewayHTTPInterfaceClient client;
    InitialiseSMSGatewayHTTPInterfaceClient(client);
    // Outlook's thread waits for these requests: the primary server only,
    // with time-outs the user can sit through.
    CSMSGatewayRequestOptions options;
    options.m_AllowFailover = 0;

    CZentavoSMSGatewaySubmissionResults results;
    SMSGatewayResultCode status = OK;
    if (submission.m_CheckBalance)
    {
        // Only the answer matters: it proves the keys still work.
        options.m_HTTPOptions.m_TimeoutMs = kBalanceTimeoutMs;
        client.GetBalance(&options, m_AccessKey, m_SecretKey, status);
    }
    results.m_ResultCode = status;
    if (status != OK)
    {
        RecordRefusal(status, options, results);
        return results;
    }

    CSMSGatewaySendOptions sendOptions;
    sendOptions.m_ReplyTo = submission.m_ReplyTo;
    sendOptions.m_MessageSource = submission.m_MessageSource;
    sendOptions.m_StartTime = submission.m_ScheduledTime;
    sendOptions.m_DeliveryReportSetting = submission.m_DeliveryReportSetting;
    sendOptions.m_DeliveryReportStatusMask = submission.m_DeliveryReportStatusMask;
    sendOptions.m_RoutingType = submission.m_RoutingType;
    std::string from;
    ChooseSender(submission, sendOptions.m_FromType, from);

    options.m_HTTPOptions.m_TimeoutMs = SendTimeoutMs();
    std::vector<CSMSSendStatus> statuses;
    BYTE isJob = 0;
    std::string jobId;
    client.SendMessage(&options, sendOptions, m_AccessKey, m_SecretKey,
                       CSMSContactUtils::GenerateNumberCSVList(submission.m_Recipients), from,
                       submission.m_MessageText, std::string(), submission.m_UserContext, 1, submission.m_MaxConCat,
                       status, statuses, isJob, jobId);
    results.m_ResultCode = status;
    if (status != OK)
    {
        // The request may have gone out and only its answer was lost or could
        // not be read: what the gateway did is not known, which is no failure
        // to send again after.
        if (CSMSGatewayService::MayHaveBeenCarriedOut(status, options.m_HTTPOptions))
        {
            results.m_OutcomeUnknown = 1;
            results.m_SendStatuses = StatusesPerRecipient(submission.m_Recipients, {});
        }
        else
            RecordRefusal(status, options, results);
        return results;
    }

    results.m_JobIdReply = isJob;
    results.m_SubmissionId = jobId;
    if (!isJob)
        results.m_SendStatuses = StatusesPerRecipient(submission.m_Recipients, statuses);
    results.m_OutcomeUnknown = HasStatus(results.m_SendStatuses, UNKNOWN) ? 1 : 0;
    // A send that reached nobody must not look like a success to the user.
    if (!results.m_SendStatuses.empty() && !HasStatus(results.m_SendStatuses, OK) && !results.m_OutcomeUnknown)
        results.m_ResultCode = results.m_SendStatuses.front().m_StatusCode;
    else
        results.m_Success = 1;
    return results;
}

void SetSubmissionReplyAndSourceIdentity(IDispatchPtr& outlookApplication, CZentavoSMSGatewaySubmission& submission,
                                         const std::string& userContext)
{
    std::wstring name;
    std::wstring address;
    CMicrosoftOutlookObjectModelUtils::GetCurrentUserDetails(outlookApplication, name, address);
    if (address.empty())
        return;
    submission.m_MessageSource.m_Id = address;
    submission.m_MessageSource.m_Name = name;
    submission.m_MessageSource.m_InterfaceId = kZentavoSMSOutlookAddinInterfaceId;
    if (userContext.empty())
        submission.m_ReplyTo = submission.m_MessageSource;
}
