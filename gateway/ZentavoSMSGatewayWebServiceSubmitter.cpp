// The SOAP runtime's header needs winsock2.h before windows.h: the client's
// header comes first.
#include "bulkjob/ZentavoSMSBulkSMSWebServiceClient_gSoap.h"

#include "gateway/ZentavoSMSGatewayWebServiceSubmitter.h"

#include "contacts/SMSContact.h"
#include "core/Exceptions.h"
#include "gateway/SMSGatewayResultCode.h"

#include <algorithm>

namespace
{
// Every job gets this name, the Send SMS window's large sends too.
const char* const kJobName = "SMS Appointment Reminder";
const char* const kAppId = "ZentavSMSOutlookAddin";
const char* const kAppVersion = "5.0.1";
const std::size_t kRecipientsPerBatch = 1000;

// Bulk-job statuses as GetBulkJobStatus reports them.
const std::uint32_t kJobInitialising = 1;
const std::uint32_t kJobPending = 2;
const std::uint32_t kJobProcessing = 3;
const std::uint32_t kJobCompleted = 4;
const std::uint32_t kJobAborted = 5;
const std::uint32_t kJobPaused = 6;

const char* const kUpdateStatusContext =
    "CZentavoSMSGatewayWebServiceSubmitter_BulkWS::MakeSubmission - saUpdateSendMessageSubmission - "
    "GetBulkJobStatus";
const char* const kUpdateAbortContext =
    "CZentavoSMSGatewayWebServiceSubmitter_BulkWS::MakeSubmission - saUpdateSendMessageSubmission - AbortBulkJob";
const char* const kCancelAbortContext =
    "CZentavoSMSGatewayWebServiceSubmitter_BulkWS::MakeSubmission - saCancelSendMessageSubmission - AbortBulkJob";
const char* const kCancelStatusContext =
    "CZentavoSMSGatewayWebServiceSubmitter_BulkWS::MakeSubmission - saCancelSendMessageSubmission - "
    "GetBulkJobStatus";
const char* const kCreateContext =
    "CZentavoSMSGatewayWebServiceSubmitter_BulkWS::MakeSubmission - CreateNew - CreateSMSTextBulkJob";
const char* const kAppendContext =
    "CZentavoSMSGatewayWebServiceSubmitter_BulkWS::MakeSubmission - CreateNew - AppendRecipients";
const char* const kReadyContext =
    "CZentavoSMSGatewayWebServiceSubmitter_BulkWS::MakeSubmission - CreateNew - SetBulkJobReady";
const char* const kCreateStatusContext =
    "CZentavoSMSGatewayWebServiceSubmitter_BulkWS::MakeSubmission - CreateNew - GetBulkJobStatus";

// Only a job that has not started sending can still be aborted.
bool IsChangeable(std::uint32_t status)
{
    return status == kJobInitialising || status == kJobPending || status == kJobPaused;
}

// Sending has begun or is over: the job will not change again.
bool IsFinal(std::uint32_t status)
{
    return status == kJobProcessing || status == kJobCompleted || status == kJobAborted;
}

// A batch answer that lets the job go on: all numbers taken, or some
// refused as unreachable while the others were taken.
bool IsBatchAccepted(std::uint32_t code)
{
    return code == OK || code == INVALID_NUMBER;
}

// Narrow to wide in the system's ANSI code page.
std::wstring ToWide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        throw CGeneralException("CZentavoSMSGatewayWebServiceSubmitter_BulkWS::MakeSubmission - "
                                "MultiByteToWideChar Failed",
                                HResultFromLastError());
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}
} // namespace

CZentavoSMSGatewayWebServiceSubmitter::CZentavoSMSGatewayWebServiceSubmitter(std::uint32_t authMode,
                                                                             const std::string& accessKey,
                                                                             const std::string& secretKey,
                                                                             const std::string& masterKey)
    : CZentavoSMSGatewaySubmitter(authMode, accessKey, secretKey, masterKey)
{
}

CZentavoSMSGatewaySubmissionResults CZentavoSMSGatewayWebServiceSubmitter::MakeSubmission(
    IDispatchPtr outlookApplication, const CZentavoSMSGatewaySubmission& submission)
{
    CZentavoSMSGatewayWebServiceSubmitter_BulkWS submitter(m_AuthMode, m_AccessKey, m_SecretKey, m_MasterKey);
    return submitter.MakeSubmission(outlookApplication, submission);
}

CZentavoSMSGatewayWebServiceSubmitter_BulkWS::CZentavoSMSGatewayWebServiceSubmitter_BulkWS(
    std::uint32_t authMode, const std::string& accessKey, const std::string& secretKey,
    const std::string& masterKey)
    : CZentavoSMSGatewaySubmitter(authMode, accessKey, secretKey, masterKey)
{
}

CZentavoSMSGatewaySubmissionResults CZentavoSMSGatewayWebServiceSubmitter_BulkWS::MakeSubmission(
    IDispatchPtr /*outlookApplication*/, const CZentavoSMSGatewaySubmission& submission)
{
    CZentavoSMSGatewaySubmissionResults results;
    // A fresh SOAP client per submission: nothing but the job on the gateway
    // outlives the call.
    CZentavoSMSBulkSMSWebServiceClient_gSoap client;
    client.SetClientDetails(kAppId, kAppVersion, std::string());
    results.m_ResultCode = OK;

    switch (submission.m_Action)
    {
    case saNewSendMessageSubmission:
        SubmitNewJob(client, submission, results);
        break;
    case saUpdateSendMessageSubmission:
        if (AbortJobForUpdate(client, submission.m_SubmissionId, results))
        {
            results.m_SubmissionReplaced = 1;
            SubmitNewJob(client, submission, results);
        }
        break;
    case saCancelSendMessageSubmission:
        CancelJob(client, submission.m_SubmissionId, results);
        break;
    default:
        break;
    }
    return results;
}

void CZentavoSMSGatewayWebServiceSubmitter_BulkWS::CheckResultCode(std::uint32_t resultCode,
                                                                   const std::string& context)
{
    if (resultCode == OK)
        return;
    throw CZentavoSMSGatewayException("Error occured - " + context, resultCode, E_FAIL);
}

void CZentavoSMSGatewayWebServiceSubmitter_BulkWS::SubmitNewJob(CZentavoSMSBulkSMSWebServiceClient_gSoap& client,
                                                                const CZentavoSMSGatewaySubmission& submission,
                                                                CZentavoSMSGatewaySubmissionResults& results) const
{
    std::string jobId;
    CheckResultCode(client.CreateSMSTextBulkJob(m_AccessKey, m_SecretKey, kJobName, submission, &jobId),
                    kCreateContext);

    const CSMSContactVector& recipients = submission.m_Recipients;
    bool wholeBatchTaken = false;
    for (std::size_t first = 0; first < recipients.size(); first += kRecipientsPerBatch)
    {
        const std::size_t last = std::min(first + kRecipientsPerBatch, recipients.size());
        const std::wstring numbers = ToWide(CSMSContactUtils::GenerateNumberCSVListRange(
            recipients, recipients.begin() + first, recipients.begin() + last));
        const std::uint32_t code =
            static_cast<std::uint32_t>(client.AppendRecipients(m_AccessKey, m_SecretKey, jobId, &numbers));
        wholeBatchTaken = wholeBatchTaken || code == OK;
        // A later batch without a usable number leaves the job as the earlier
        // batches made it.
        if (IsBatchAccepted(code) || (code == NO_TO && first != 0))
            continue;
        // A job without recipients, or one that would go out to only part
        // of them, is given up rather than sent.
        AbortJobIgnoringFailure(client, jobId);
        CheckResultCode(code, kAppendContext);
    }
    // Every batch refused some numbers: only the job itself knows whether
    // it kept any. One that would reach no one fails, as a send whose every
    // recipient is refused does, instead of waiting at the gateway as sent.
    if (!recipients.empty() && !wholeBatchTaken && !HoldsRecipients(client, jobId))
    {
        AbortJobIgnoringFailure(client, jobId);
        CheckResultCode(NO_TO, kAppendContext);
    }

    CheckResultCode(client.SetBulkJobReady(m_AccessKey, m_SecretKey, jobId), kReadyContext);
    results.m_ResultCode = OK;
    results.m_Success = 1;
    results.m_SubmissionId = jobId;
    results.m_HasSubmissionId = 1;
}

bool CZentavoSMSGatewayWebServiceSubmitter_BulkWS::AbortJobForUpdate(CZentavoSMSBulkSMSWebServiceClient_gSoap& client,
                                                                     const std::string& jobId,
                                                                     CZentavoSMSGatewaySubmissionResults& results) const
{
    BulkJobStatusDetails details;
    CheckResultCode(client.GetBulkJobStatus(m_AccessKey, m_SecretKey, jobId, details), kUpdateStatusContext);
    if (IsFinal(details.Status))
    {
        results.m_JobNotChangeable = 1;
        return false;
    }
    // Unknown, or no status at all, says nothing of the job, which may still
    // send: replacing it could send twice, so the update fails.
    if (!IsChangeable(details.Status))
        return false;
    results.m_ResultCode = client.AbortBulkJob(m_AccessKey, m_SecretKey, jobId);
    CheckResultCode(results.m_ResultCode, kUpdateAbortContext);
    CheckResultCode(client.GetBulkJobStatus(m_AccessKey, m_SecretKey, jobId, details), kUpdateStatusContext);
    return details.Status == kJobAborted;
}

void CZentavoSMSGatewayWebServiceSubmitter_BulkWS::CancelJob(CZentavoSMSBulkSMSWebServiceClient_gSoap& client,
                                                             const std::string& jobId,
                                                             CZentavoSMSGatewaySubmissionResults& results) const
{
    // A job the gateway does not know cannot send, and one that has started
    // or ended cannot be stopped: either way there is nothing left to cancel.
    // Any other refusal leaves the job as it may be, still due to send.
    BulkJobStatusDetails details;
    const std::uint32_t code =
        static_cast<std::uint32_t>(client.GetBulkJobStatus(m_AccessKey, m_SecretKey, jobId, details));
    if (code == MSGID_INVALID || (code == OK && IsFinal(details.Status)))
    {
        results.m_JobNotChangeable = 1;
        return;
    }
    CheckResultCode(code, kCancelStatusContext);
    if (!IsChangeable(details.Status))
        return;
    results.m_ResultCode = client.AbortBulkJob(m_AccessKey, m_SecretKey, jobId);
    CheckResultCode(results.m_ResultCode, kCancelAbortContext);
    CheckResultCode(client.GetBulkJobStatus(m_AccessKey, m_SecretKey, jobId, details), kCancelStatusContext);
    if (details.Status == kJobAborted)
    {
        results.m_Success = 1;
        results.m_SubmissionId = jobId;
        results.m_HasSubmissionId = 1;
    }
}

bool CZentavoSMSGatewayWebServiceSubmitter_BulkWS::HoldsRecipients(CZentavoSMSBulkSMSWebServiceClient_gSoap& client,
                                                                   const std::string& jobId) const
{
    BulkJobStatusDetails details;
    CheckResultCode(client.GetBulkJobStatus(m_AccessKey, m_SecretKey, jobId, details), kCreateStatusContext);
    return details.TotalRecipients > 0;
}

void CZentavoSMSGatewayWebServiceSubmitter_BulkWS::AbortJobIgnoringFailure(
    CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId) const
{
    try
    {
        client.AbortBulkJob(m_AccessKey, m_SecretKey, jobId);
    }
    catch (...)
    {
    }
}
