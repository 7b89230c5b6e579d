#include "gateway/ZentavoSMSGatewaySMTPSubmitter.h"

#include "core/Exceptions.h"
#include "gateway/OutlookEmailSender.h"
#include "gateway/TemporaryFiles.h"
#include "gateway/ZentavoSMSGatewaySMTPFormatter.h"

#include <memory>

CZentavoSMSGatewaySMTPSubmitter::CZentavoSMSGatewaySMTPSubmitter(std::uint32_t authMode,
                                                                 const std::string& accessKey,
                                                                 const std::string& secretKey,
                                                                 const std::string& masterKey)
    : CZentavoSMSGatewaySubmitter(authMode, accessKey, secretKey, masterKey), m_MaxToRecipients(5)
{
}

CZentavoSMSGatewaySMTPSubmitter::~CZentavoSMSGatewaySMTPSubmitter() = default;

CZentavoSMSGatewaySubmissionResults CZentavoSMSGatewaySMTPSubmitter::MakeSubmission(
    IDispatchPtr outlookApplication, const CZentavoSMSGatewaySubmission& submission)
{
    if (submission.m_Action != saNewSendMessageSubmission)
        throw CGeneralException("CZentavoSMSGatewaySMTPSubmitter::MakeSubmission - SubmissionActions not support",
                                E_FAIL);

    SendSubmission(outlookApplication, submission.m_Recipients, submission.m_SenderId, submission.m_SenderType,
                   submission.m_MessageText, submission.m_MaxConCat, submission.m_UserContext,
                   submission.m_ScheduledTime, submission.m_DeliveryReportSetting,
                   submission.m_DeliveryReportStatusMask);

    CZentavoSMSGatewaySubmissionResults results;
    results.m_Success = 1;
    results.m_ResultCode = OK;
    results.m_HasSubmissionId = 0;
    return results;
}

void CZentavoSMSGatewaySMTPSubmitter::SendSubmission(IDispatchPtr outlookApplication,
                                                     const CSMSContactVector& recipients,
                                                     const std::string& senderId, std::uint32_t senderType,
                                                     const std::string& messageText, std::uint32_t maxConCat,
                                                     const std::string& userContext, const SYSTEMTIME& schedule,
                                                     std::uint32_t deliveryReportSetting,
                                                     std::uint32_t deliveryReportStatusMask)
{
    std::unique_ptr<CZentavoSMSGatewaySMTPFormatter_Base> formatter;
    if (m_AuthMode == 2 || m_AuthMode == 4)
    {
        formatter.reset(new CZentavoSMSGatewaySMTPFormatter_XMLSubmission());
        formatter->m_MaxToRecipients = 0;
    }
    else
    {
        formatter.reset(new CZentavoSMSGatewaySMTPFormatter_StandardMode());
        formatter->m_MaxToRecipients = m_MaxToRecipients;
    }
    formatter->m_AuthMode = m_AuthMode;
    formatter->m_AccessKey = m_AccessKey;
    formatter->m_SecretKey = m_SecretKey;
    formatter->m_MasterKey = m_MasterKey;

    CEmailMessage message;
    CTemporaryFiles files;
    formatter->Format(message, recipients, senderId, senderType, messageText, maxConCat, userContext, schedule,
                      deliveryReportSetting, deliveryReportStatusMask);
    for (const CEmailAttachment& attachment : message.m_Attachments)
        files.Add(attachment.m_FilePath);

    COutlookEmailSender sender;
    sender.SendEmail(outlookApplication, message, false, true);
}
