// Runs one submission with the account's credentials: creates the submitter
// of the record's method, runs it on the calling thread (Outlook's
// user-interface thread) and returns its outcome. Built on the stack for one
// submission; the user interface calls it through
// CSMSGatewayHTTPInterfaceClientUIHelper::MakeSubmission.
#pragma once

#include "gateway/ZentavoSMSGatewaySubmission.h"
#include "gateway/ZentavoSMSGatewaySubmitter.h"
#include "platform/ComPtr.h"

#include <cstdint>
#include <memory>
#include <string>

class CZentavoSMSGatewaySubmissionManager
{
public:
    CZentavoSMSGatewaySubmissionManager(std::uint32_t authMode, const std::string& accessKey,
                                        const std::string& secretKey, const std::string& masterKey);

    // An unknown method raises before anything is sent. Recipients without
    // a number (CSMSContactUtils::HasNumber) are never sent to: their
    // statuses read NO_TO, and a send to none else fails with NO_TO. What
    // the submitter raises passes to the caller unchanged. A Sent Items
    // copy that fails after the gateway accepted the message is reported to
    // the event log, never raised: the message went.
    CZentavoSMSGatewaySubmissionResults MakeSubmission(IDispatchPtr outlookApplication,
                                                       const CZentavoSMSGatewaySubmission& submission);

    std::uint32_t m_AuthMode;
    std::string m_AccessKey;
    std::string m_SecretKey;
    std::string m_MasterKey;

private:
    std::unique_ptr<CZentavoSMSGatewaySubmitter> CreateSubmitter(std::uint32_t method) const;
    static void StoreInSentItemsIfAccepted(IDispatchPtr& outlookApplication,
                                           const CZentavoSMSGatewaySubmission& submission,
                                           const CZentavoSMSGatewaySubmissionResults& results);
};
