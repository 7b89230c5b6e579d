// The base of the submitters: one per route to the gateway (e-mail through
// Outlook, bulk job, HTTPS). The submission manager creates the one the
// record's method selects, runs it once and destroys it.
#pragma once

#include "gateway/ZentavoSMSGatewaySubmission.h"
#include "platform/ComPtr.h"

#include <cstdint>
#include <string>

class CZentavoSMSGatewaySubmitter
{
public:
    // The configured auth mode (0 logged out ... 5 access and secret key)
    // and the credentials, copied.
    CZentavoSMSGatewaySubmitter(std::uint32_t authMode, const std::string& accessKey, const std::string& secretKey,
                                const std::string& masterKey)
        : m_AuthMode(authMode), m_AccessKey(accessKey), m_SecretKey(secretKey), m_MasterKey(masterKey)
    {
    }
    virtual ~CZentavoSMSGatewaySubmitter() = default;

    CZentavoSMSGatewaySubmitter(const CZentavoSMSGatewaySubmitter&) = delete;
    CZentavoSMSGatewaySubmitter& operator=(const CZentavoSMSGatewaySubmitter&) = delete;

    // Runs the submission on the calling thread, Outlook's user-interface
    // thread. outlookApplication is Outlook's Application object; routes
    // that do not use Outlook only hold the reference for the call. Gateway
    // refusals come back in the results; other failures are raised.
    virtual CZentavoSMSGatewaySubmissionResults MakeSubmission(IDispatchPtr outlookApplication,
                                                               const CZentavoSMSGatewaySubmission& submission) = 0;

protected:
    std::uint32_t m_AuthMode;
    std::string m_AccessKey;
    std::string m_SecretKey;
    std::string m_MasterKey;
};
