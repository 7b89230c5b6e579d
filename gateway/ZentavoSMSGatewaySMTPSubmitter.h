// Submission method 1: the message as an e-mail to the gateway's e-mail
// interface, sent through Outlook. Auth modes 2 and 4 attach an XML
// submission document; the others use the standard format.
#pragma once

#include "gateway/ZentavoSMSGatewaySubmitter.h"

#include <cstdint>
#include <string>

class CZentavoSMSGatewaySMTPSubmitter : public CZentavoSMSGatewaySubmitter
{
public:
    CZentavoSMSGatewaySMTPSubmitter(std::uint32_t authMode, const std::string& accessKey,
                                    const std::string& secretKey, const std::string& masterKey);
    ~CZentavoSMSGatewaySMTPSubmitter() override;

    // New messages only (action 1); other actions throw CGeneralException.
    // A sent e-mail reports success with result code 1; the gateway's answer
    // comes later, by e-mail, so there is no submission id.
    CZentavoSMSGatewaySubmissionResults MakeSubmission(IDispatchPtr outlookApplication,
                                                       const CZentavoSMSGatewaySubmission& submission) override;

    // Formats the e-mail for the auth mode and sends it; its attachment files
    // are gone afterwards, whatever happened.
    void SendSubmission(IDispatchPtr outlookApplication, const CSMSContactVector& recipients,
                        const std::string& senderId, std::uint32_t senderType, const std::string& messageText,
                        std::uint32_t maxConCat, const std::string& userContext, const SYSTEMTIME& schedule,
                        std::uint32_t deliveryReportSetting, std::uint32_t deliveryReportStatusMask);

    // Recipients an e-mail of the standard format addresses one by one.
    std::uint32_t m_MaxToRecipients;
};
