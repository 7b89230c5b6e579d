#include "gateway/ZentavoSMSGatewaySubmissionManager.h"

#include "core/Exceptions.h"
#include "gateway/OutlookEmailSMS.h"
#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"
#include "gateway/ZentavoSMSGatewaySMTPSubmitter.h"
#include "gateway/ZentavoSMSGatewayWebServiceSubmitter.h"

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

// A copy titled "SMS Message Sent" is made only for a message the gateway
// accepted: one for a refused message would tell the user it went out.
void CZentavoSMSGatewaySubmissionManager::StoreInSentItemsIfAccepted(
    IDispatchPtr& outlookApplication, const CZentavoSMSGatewaySubmission& submission,
    const CZentavoSMSGatewaySubmissionResults& results)
{
    if (!submission.m_StoreInSentItems || !results.m_Success)
        return;
    COutlookEmailSMS::StoreSubmissionInOutlookSentItem(outlookApplication, submission);
}
