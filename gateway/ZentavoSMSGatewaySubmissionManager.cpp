#include "gateway/ZentavoSMSGatewaySubmissionManager.h"

#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "gateway/OutlookEmailSMS.h"
#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"
#include "gateway/ZentavoSMSGatewaySMTPSubmitter.h"
#include "gateway/ZentavoSMSGatewayWebServiceSubmitter.h"

#include <algorithm>

CZentavoSMSGatewaySubmissionManager::CZentavoSMSGatewaySubmissionManager(std::uint32_t authMode,
                                                                         const std::string& accessKey,
                                                                         const std::string& secretKey,
                                                                         const std::string& masterKey)
    : m_AuthMode(authMode), m_AccessKey(accessKey), m_SecretKey(secretKey), m_MasterKey(masterKey)
{
}

CZentavoSMSGatewaySubmissionResults CZentavoSMSGatewaySubmissionManager::MakeSubmission(
    IDispatchPtr outlookApplication, const CZentavoSMSGatewaySubmission& submission)
{
    const std::unique_ptr<CZentavoSMSGatewaySubmitter> submitter = CreateSubmitter(submission.m_Method);
    const CZentavoSMSGatewaySubmissionResults results = submitter->MakeSubmission(outlookApplication, submission);
    StoreInSentItemsIfAccepted(outlookApplication, submission, results);
    return results;
}

std::unique_ptr<CZentavoSMSGatewaySubmitter> CZentavoSMSGatewaySubmissionManager::CreateSubmitter(
    std::uint32_t method) const
{
    switch (method)
    {
    case smSMTP:
        return std::unique_ptr<CZentavoSMSGatewaySubmitter>(
            new CZentavoSMSGatewaySMTPSubmitter(m_AuthMode, m_AccessKey, m_SecretKey, m_MasterKey));
    case smWebService:
        return std::unique_ptr<CZentavoSMSGatewaySubmitter>(
            new CZentavoSMSGatewayWebServiceSubmitter(m_AuthMode, m_AccessKey, m_SecretKey, m_MasterKey));
    case smHTTPS:
        return std::unique_ptr<CZentavoSMSGatewaySubmitter>(
            new CZentavoSMSGatewayHTTPSSubmitter(m_AuthMode, m_AccessKey, m_SecretKey, m_MasterKey));
    default:
        throw CGeneralException("CZentavoSMSGatewaySubmissionManager::MakeSubmission - SubmissionMethod not support",
                                E_FAIL);
    }
}

namespace
{
// The recipients the gateway took, when its reply names each one: by
// position when there is one status a recipient, else by number. A reply
// without statuses (a job, an e-mail) took them all.
CSMSContactVector AcceptedRecipients(const CSMSContactVector& recipients, const std::vector<CSMSSendStatus>& statuses)
{
    if (statuses.empty())
        return recipients;
    CSMSContactVector accepted;
    for (size_t i = 0; i < recipients.size(); ++i)
    {
        const bool taken =
            statuses.size() == recipients.size()
                ? statuses[i].m_StatusCode == OK
                : std::any_of(statuses.begin(), statuses.end(), [&](const CSMSSendStatus& status) {
                      return status.m_StatusCode == OK && status.m_Number == recipients[i].m_Number;
                  });
        if (taken)
            accepted.push_back(recipients[i]);
    }
    return accepted;
}
} // namespace

// A copy titled "SMS Message Sent" is made only for a message the gateway
// accepted, and lists only the numbers it accepted: a copy that names a
// refused number would tell the user the message went there.
void CZentavoSMSGatewaySubmissionManager::StoreInSentItemsIfAccepted(
    IDispatchPtr& outlookApplication, const CZentavoSMSGatewaySubmission& submission,
    const CZentavoSMSGatewaySubmissionResults& results)
{
    if (!submission.m_StoreInSentItems || !results.m_Success)
        return;
    try
    {
        CZentavoSMSGatewaySubmission sent = submission;
        sent.m_Recipients = AcceptedRecipients(submission.m_Recipients, results.m_SendStatuses);
        COutlookEmailSMS::StoreSubmissionInOutlookSentItem(outlookApplication, sent);
    }
    catch (...)
    {
        ReportCurrentException("CZentavoSMSGatewaySubmissionManager::MakeSubmission (message sent; Sent Items copy "
                               "failed)");
    }
}
