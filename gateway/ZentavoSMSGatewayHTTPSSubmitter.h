// The HTTPS route of a submission: one send request on the gateway's HTTPS
// interface for all recipients, after an optional balance request, on the
// primary server only. The Send SMS window chooses it for up to 100
// recipients.
#pragma once

#include "gateway/ZentavoSMSGatewaySubmitter.h"

#include <cstdint>
#include <string>

class CZentavoSMSGatewayHTTPSSubmitter : public CZentavoSMSGatewaySubmitter
{
public:
    CZentavoSMSGatewayHTTPSSubmitter(std::uint32_t authMode, const std::string& accessKey,
                                     const std::string& secretKey, const std::string& masterKey);

    // New sends only. Gateway refusals and connection failures come back as
    // the result code; a request refused before it reached the gateway
    // (CSMSGatewayService::WasRefusedBeforeGateway) as CONNECTION_ERROR with
    // m_RefusalHTTPStatus. A send in which every recipient was refused
    // fails with the first recipient's code. A reply read line by line gives one
    // status per recipient. When the send may have reached the gateway but
    // its answer was lost, cut off or not read (CSMSGatewayService::
    // MayHaveBeenCarriedOut), the recipients it did not answer for in a line
    // read whole are UNKNOWN and m_OutcomeUnknown is set (with m_Success
    // clear when it answered for none). The send waits 60000 ms for its answer, or the
    // milliseconds that ZENTAVOSMS_GATEWAY_SEND_TIMEOUT_MS holds when it
    // is set (a staging gateway). The Outlook application is not used.
    CZentavoSMSGatewaySubmissionResults MakeSubmission(IDispatchPtr outlookApplication,
                                                       const CZentavoSMSGatewaySubmission& submission) override;
};

// Fills the submission's message-source end point from Outlook's current
// user, and its reply-to end point too when userContext is empty. Nothing
// changes when no address of the user can be read.
void SetSubmissionReplyAndSourceIdentity(IDispatchPtr& outlookApplication, CZentavoSMSGatewaySubmission& submission,
                                         const std::string& userContext);
