// The bulk-job route of a submission: a job on the gateway's web service,
// which can later be queried, aborted and replaced. The Send SMS window takes
// it for more than 100 recipients, the SMS reminder for every scheduled
// message. New sends create a job, append the recipients in batches and set
// it ready; updates create the replacement and then abort the scheduled job;
// cancels abort it.
#pragma once

#include "gateway/ZentavoSMSGatewaySubmitter.h"

#include <cstdint>
#include <exception>
#include <string>

class CZentavoSMSBulkSMSWebServiceClient_gSoap;

// What the submission manager creates for method 2: runs the submission
// through CZentavoSMSGatewayWebServiceSubmitter_BulkWS with the same
// credentials.
class CZentavoSMSGatewayWebServiceSubmitter : public CZentavoSMSGatewaySubmitter
{
public:
    CZentavoSMSGatewayWebServiceSubmitter(std::uint32_t authMode, const std::string& accessKey,
                                          const std::string& secretKey, const std::string& masterKey);

    CZentavoSMSGatewaySubmissionResults MakeSubmission(IDispatchPtr outlookApplication,
                                                       const CZentavoSMSGatewaySubmission& submission) override;
};

class CZentavoSMSGatewayWebServiceSubmitter_BulkWS : public CZentavoSMSGatewaySubmitter
{
public:
    // Only the access key and the secret key are used: they authenticate
    // every service call.
    CZentavoSMSGatewayWebServiceSubmitter_BulkWS(std::uint32_t authMode, const std::string& accessKey,
                                                 const std::string& secretKey, const std::string& masterKey);

    // Actions 1 (new), 2 (update) and 3 (cancel); any other action does
    // nothing and reports no success with code 1. Every refusal of the
    // service raises CZentavoSMSGatewayException with its code, except the
    // ones that mean the job cannot be changed any more (m_JobNotChangeable:
    // sending has begun or ended, or a job to cancel is unknown to the
    // gateway) and recipients the gateway could not reach, as long as the job
    // keeps one it can (none kept raises NO_TO); those are in the results'
    // statuses. Failures of the call itself (HTTP, SOAP) pass through as the
    // client raises them.
    //
    // A job is kept, given up or counted as stopped on what the gateway says
    // of it, its status, never on which answer was lost: after a lost answer
    // the job's status is asked before anything is decided. A new job that
    // is not ready is aborted; one whose status cannot be told even then is
    // named with m_OutcomeUnknown, since it may send, and the job an update
    // was to replace still stands beside it (m_SubmissionReplaced clear).
    // An update's old job counts as stopped when the gateway says so (its
    // abort confirmed, or its status final); its replacement is given up only
    // when the gateway says the old job is still to go, and kept, with
    // m_ReplacedJobMaySend, when the gateway cannot say. The Outlook
    // application is not used.
    CZentavoSMSGatewaySubmissionResults MakeSubmission(IDispatchPtr outlookApplication,
                                                       const CZentavoSMSGatewaySubmission& submission) override;

    // Returns for code 1 (OK); otherwise raises CZentavoSMSGatewayException
    // "Error occured - " + context with the code and E_FAIL.
    static void CheckResultCode(std::uint32_t resultCode, const std::string& context);

private:
    // What a job is, as its status tells.
    enum class JobFate
    {
        NotReady,  // being made, never set ready: it will not send
        ToGo,      // pending or paused: it will send
        GoneOut,   // sending or sent: it will not send again
        Aborted,
        Unknown,   // the gateway did not tell
    };

    // Creates the job, appends the recipients and sets it ready.
    void SubmitNewJob(CZentavoSMSBulkSMSWebServiceClient_gSoap& client,
                      const CZentavoSMSGatewaySubmission& submission,
                      CZentavoSMSGatewaySubmissionResults& results) const;
    // Raises for a refused batch; the caller gives the job up.
    void AppendBatches(CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId,
                       const CSMSContactVector& recipients, CZentavoSMSGatewaySubmissionResults& results) const;
    void SetJobReady(CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId,
                     CZentavoSMSGatewaySubmissionResults& results) const;
    // The job's status; a failure to read it is reported to the event log
    // under the context and gives Unknown. Never throws.
    JobFate ReadJobFate(CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId,
                        const char* context) const;
    // Aborts a new job that is not known to be ready, ignoring the answer,
    // and reads what it is then.
    JobFate GiveUpJob(CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId) const;
    // Aborts a scheduled job and reads what it is then: Aborted also when
    // the gateway confirmed the abort but its status could not be read.
    // The abort's code, or its failure when the call itself failed, is
    // left for the caller.
    JobFate StopJob(CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId,
                    const char* statusContext, std::uint32_t& abortCode, std::exception_ptr& abortFailure) const;
    // The job to be replaced can still be aborted; a final one is marked
    // m_JobNotChangeable, and any other status is no success.
    bool IsReplaceable(CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId,
                       CZentavoSMSGatewaySubmissionResults& results) const;
    // Makes the replacement and sets it ready, and only then stops the old
    // job: an update refused or given up on the way leaves the old job to
    // send as before, and so does an old job the gateway says will still
    // send, whose replacement is given up again.
    void ReplaceJob(CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const CZentavoSMSGatewaySubmission& submission,
                    CZentavoSMSGatewaySubmissionResults& results) const;
    void CancelJob(CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId,
                   CZentavoSMSGatewaySubmissionResults& results) const;
    // For a job that is being given up: neither the answer nor a failure
    // of the call changes what the caller reports.
    void AbortJobIgnoringFailure(CZentavoSMSBulkSMSWebServiceClient_gSoap& client, const std::string& jobId) const;
};
