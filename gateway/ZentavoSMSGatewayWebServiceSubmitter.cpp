// The SOAP runtime's header needs winsock2.h before windows.h: the client's
// header comes first.
#include "bulkjob/ZentavoSMSBulkSMSWebServiceClient_gSoap.h"

#include "gateway/ZentavoSMSGatewayWebServiceSubmitter.h"

#include "contacts/SMSContact.h"
#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "gateway/SMSGatewayResultCode.h"

#include <algorithm>
#include <exception>
#include <vector>

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

// A batch answer that lets the job go on: all numbers taken, some refused
// as unreachable while the others were taken, or (after the first batch)
// none usable, which leaves the job as the earlier batches made it.
bool IsBatchAccepted(std::uint32_t code, std::size_t first)
{
    return code == OK || code == INVALID_NUMBER || (code == NO_TO && first != 0);
}

// One status per recipient from the batches' answers and the number of
// recipients the job holds: a batch taken whole is sent, one without a
// usable number is not. Of the batches refused in part the job's count
// tells only how many numbers were refused: when that is all or none of
// them each is known, otherwise they cannot be told apart.
void RecordRefusals(const CSMSContactVector& recipients, const std::vector<std::uint32_t>& batchCodes,
                    std::int32_t held, CZentavoSMSGatewaySubmissionResults& results)
{
    const auto batchOf = [](std::size_t recipient) { return recipient / kRecipientsPerBatch; };
    std::size_t taken = 0;
    std::size_t partial = 0;
    for (std::size_t i = 0; i < recipients.size(); ++i)
    {
        const std::uint32_t code = batchCodes[batchOf(i)];
        taken += code == OK ? 1 : 0;
        partial += code == INVALID_NUMBER ? 1 : 0;
    }
    const std::size_t heldCount = held > 0 ? static_cast<std::size_t>(held) : 0;
    const std::size_t keptOfPartial = heldCount > taken ? std::min(heldCount - taken, partial) : 0;
    const std::size_t refusedOfPartial = partial - keptOfPartial;
    SMSGatewayResultCode partialStatus = UNKNOWN;
    if (refusedOfPartial == partial)
        partialStatus = INVALID_NUMBER;
    else if (refusedOfPartial == 0)
        partialStatus = OK;
    else
        results.m_UnnamedRefusals = static_cast<std::uint32_t>(refusedOfPartial);

    results.m_SendStatuses.clear();
    for (std::size_t i = 0; i < recipients.size(); ++i)
    {
        const std::uint32_t code = batchCodes[batchOf(i)];
        CSMSSendStatus status;
        status.m_Number = recipients[i].m_Number;
        status.m_StatusCode = code == OK ? OK : code == INVALID_NUMBER ? partialStatus : INVALID_NUMBER;
        results.m_SendStatuses.push_back(status);
    }
}

// The failure of a call whose outcome the job's status then told, or could
// not: written to the event log, as nothing else shows it.
void ReportLostAnswer(const std::exception_ptr& lost, const char* context)
{
    try
    {
        std::rethrow_exception(lost);
    }
    catch (...)
    {
        ReportCurrentException(std::string(context) + " (answer lost)");
    }
}

// A job that may send, though the gateway did not say that it will.
void MarkOutcomeUnknown(const std::string& jobId, CZentavoSMSGatewaySubmissionResults& results)
{
    results.m_ResultCode = CONNECTION_ERROR;
    results.m_OutcomeUnknown = 1;
    results.m_SubmissionId = jobId;
    results.m_HasSubmissionId = 1;
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
        if (IsReplaceable(client, submission.m_SubmissionId, results))
            ReplaceJob(client, submission, results);
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
    // A job whose making fails is given up: none is left behind, and one
    // that would go out to only part of its recipients is not sent.
    try
    {
        AppendBatches(client, jobId, submission.m_Recipients, results);
    }
    catch (...)
    {
        AbortJobIgnoringFailure(client, jobId);
        throw;
    }
    SetJobReady(client, jobId, results);
}

void CZentavoSMSGatewayWebServiceSubmitter_BulkWS::AppendBatches(CZentavoSMSBulkSMSWebServiceClient_gSoap& client,
                                                                 const std::string& jobId,
                                                                 const CSMSContactVector& recipients,
                                                                 CZentavoSMSGatewaySubmissionResults& results) const
{
    std::vector<std::uint32_t> batchCodes;
    for (std::size_t first = 0; first < recipients.size(); first += kRecipientsPerBatch)
    {
        const std::size_t last = std::min(first + kRecipientsPerBatch, recipients.size());
        const std::wstring numbers = ToWide(CSMSContactUtils::GenerateNumberCSVListRange(
            recipients, recipients.begin() + first, recipients.begin() + last));
        const std::uint32_t code =
            static_cast<std::uint32_t>(client.AppendRecipients(m_AccessKey, m_SecretKey, jobId, &numbers));
        if (!IsBatchAccepted(code, first))
            CheckResultCode(code, kAppendContext);
        batchCodes.push_back(code);
    }
    if (std::none_of(batchCodes.begin(), batchCodes.end(), [](std::uint32_t code) { return code != OK; }))
        return;
    BulkJobStatusDetails details;
    if (std::any_of(batchCodes.begin(), batchCodes.end(), [](std::uint32_t code) { return code == INVALID_NUMBER; }))
    {
        // Only the job itself knows how many numbers it kept. One that would
        // reach no one fails, as a send whose every recipient is refused
        // does, instead of waiting at the gateway as sent.
        CheckResultCode(client.GetBulkJobStatus(m_AccessKey, m_SecretKey, jobId, details), kCreateStatusContext);
        if (details.TotalRecipients <= 0)
            CheckResultCode(NO_TO, kAppendContext);
    }
    RecordRefusals(recipients, batchCodes, details.TotalRecipients, results);
}

void CZentavoSMSGatewayWebServiceSubmitter_BulkWS::SetJobReady(CZentavoSMSBulkSMSWebServiceClient_gSoap& client,
                                                               const std::string& jobId,
                                                               CZentavoSMSGatewaySubmissionResults& results) const
{
    std::exception_ptr lost;
    std::exception_ptr refused;  // before the gateway: the job was not set ready
    std::uint32_t code = OK;
    try
    {
        code = static_cast<std::uint32_t>(client.SetBulkJobReady(m_AccessKey, m_SecretKey, jobId));
    }
    catch (const CHTTPRefusalException&)
    {
        refused = std::current_exception();
    }
    catch (...)
    {
        lost = std::current_exception();
    }
    if (lost || refused || code != OK)
    {
        // A refused job is not ready, nor is one whose request a proxy or
        // firewall refused on its way. An answer lost after the request may
        // have reached the gateway leaves that to the job's status: a job
        // set ready stays; one that is not, or that cannot be told, is given
        // up, and what it is afterwards decides the outcome. When that
        // cannot be read, a refusal stands as the gateway's word.
        JobFate fate = lost ? ReadJobFate(client, jobId, kCreateStatusContext) : JobFate::NotReady;
        if (fate != JobFate::ToGo && fate != JobFate::GoneOut)
            fate = GiveUpJob(client, jobId);
        if (fate == JobFate::NotReady || fate == JobFate::Aborted || (fate == JobFate::Unknown && !lost))
        {
            if (lost || refused)
                std::rethrow_exception(lost ? lost : refused);
            CheckResultCode(code, kReadyContext);
        }
        if (lost)
            ReportLostAnswer(lost, kReadyContext);
        if (fate == JobFate::Unknown)
        {
            MarkOutcomeUnknown(jobId, results);
            return;
        }
    }
    results.m_ResultCode = OK;
    results.m_Success = 1;
    results.m_SubmissionId = jobId;
    results.m_HasSubmissionId = 1;
}

CZentavoSMSGatewayWebServiceSubmitter_BulkWS::JobFate CZentavoSMSGatewayWebServiceSubmitter_BulkWS::ReadJobFate(
    CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId, const char* context) const
{
    try
    {
        BulkJobStatusDetails details;
        CheckResultCode(client.GetBulkJobStatus(m_AccessKey, m_SecretKey, jobId, details), context);
        switch (details.Status)
        {
        case kJobInitialising:
            return JobFate::NotReady;
        case kJobPending:
        case kJobPaused:
            return JobFate::ToGo;
        case kJobProcessing:
        case kJobCompleted:
            return JobFate::GoneOut;
        case kJobAborted:
            return JobFate::Aborted;
        default:
            return JobFate::Unknown;
        }
    }
    catch (...)
    {
        ReportCurrentException(std::string(context) + " (status not read)");
        return JobFate::Unknown;
    }
}

CZentavoSMSGatewayWebServiceSubmitter_BulkWS::JobFate CZentavoSMSGatewayWebServiceSubmitter_BulkWS::GiveUpJob(
    CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId) const
{
    AbortJobIgnoringFailure(client, jobId);
    return ReadJobFate(client, jobId, kCreateStatusContext);
}

CZentavoSMSGatewayWebServiceSubmitter_BulkWS::JobFate CZentavoSMSGatewayWebServiceSubmitter_BulkWS::StopJob(
    CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId, const char* statusContext,
    std::uint32_t& abortCode, std::exception_ptr& abortFailure) const
{
    abortCode = OK;
    try
    {
        abortCode = static_cast<std::uint32_t>(client.AbortBulkJob(m_AccessKey, m_SecretKey, jobId));
    }
    catch (...)
    {
        abortFailure = std::current_exception();
    }
    const JobFate fate = ReadJobFate(client, jobId, statusContext);
    if (fate == JobFate::Unknown && !abortFailure && abortCode == OK)
        return JobFate::Aborted;
    return fate;
}

bool CZentavoSMSGatewayWebServiceSubmitter_BulkWS::IsReplaceable(CZentavoSMSBulkSMSWebServiceClient_gSoap& client,
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
    return IsChangeable(details.Status);
}

void CZentavoSMSGatewayWebServiceSubmitter_BulkWS::ReplaceJob(CZentavoSMSBulkSMSWebServiceClient_gSoap& client,
                                                              const CZentavoSMSGatewaySubmission& submission,
                                                              CZentavoSMSGatewaySubmissionResults& results) const
{
    // A refusal leaves the old job as it was.
    SubmitNewJob(client, submission, results);
    // Not known to be ready: the caller holds both jobs, either may send.
    if (!results.m_Success)
        return;
    std::uint32_t code = OK;
    std::exception_ptr failure;
    const JobFate old = StopJob(client, submission.m_SubmissionId, kUpdateStatusContext, code, failure);
    if (old == JobFate::Aborted || old == JobFate::GoneOut || old == JobFate::Unknown)
    {
        // The replacement is the job now. One whose old job the gateway
        // cannot say has stopped leaves that job to the caller.
        results.m_SubmissionReplaced = 1;
        if (old != JobFate::Unknown)
            return;
        results.m_ReplacedJobMaySend = 1;
        if (failure)
            ReportLostAnswer(failure, kUpdateAbortContext);
        else
            ReportError(EVENTLOG_ERROR_TYPE, kUpdateAbortContext,
                        "AbortBulkJob answered " + std::to_string(code) + " for " + submission.m_SubmissionId);
        return;
    }
    // The gateway says the old job will still send: its replacement is given
    // up, so that one job stays, the one the caller names.
    const std::string replacement = results.m_SubmissionId;
    const JobFate fate = GiveUpJob(client, replacement);
    results = CZentavoSMSGatewaySubmissionResults();
    results.m_ResultCode = OK;
    if (fate == JobFate::NotReady || fate == JobFate::Aborted)
    {
        if (failure)
            std::rethrow_exception(failure);
        CheckResultCode(code, kUpdateAbortContext);
        return;
    }
    if (failure)
        ReportLostAnswer(failure, kUpdateAbortContext);
    MarkOutcomeUnknown(replacement, results);
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
    std::exception_ptr failure;
    switch (StopJob(client, jobId, kCancelStatusContext, results.m_ResultCode, failure))
    {
    case JobFate::Aborted:
        results.m_ResultCode = OK;
        results.m_Success = 1;
        results.m_SubmissionId = jobId;
        results.m_HasSubmissionId = 1;
        return;
    case JobFate::GoneOut:
        // It began sending meanwhile: nothing is left to cancel.
        results.m_ResultCode = OK;
        results.m_JobNotChangeable = 1;
        return;
    default:
        // Still to go, or not known: the cancel failed.
        if (failure)
            std::rethrow_exception(failure);
        CheckResultCode(results.m_ResultCode, kCancelAbortContext);
        return;
    }
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
