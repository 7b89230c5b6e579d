// Login and logout of the gateway account. Logging in creates an
// authentication factor, a named access key and secret key pair that the
// gateway issues for the user name and password; the pair, never the
// password, is stored in the add-in's configuration (auth mode 5) and sent
// with every later request. Logging out deletes the factor again.
//
// No state of its own: callers build one on the stack for one operation,
// handing it the configuration it reads and saves (the plug-in core's).
// Everything runs on the calling thread, Outlook's user-interface thread,
// and each request blocks it for up to 20000 ms. When the gateway cannot be
// reached, CSMSGatewayHTTPInterfaceClientUIHelper::CServiceConnectionException
// is raised and the configuration stays as it was.
#pragma once

#include "core/ConfigZentavoSMSOutlookAddin.h"
#include "gateway/SMSGatewayResultCode.h"
#include "gateway/SMSGatewayService.h"

#include <windows.h>

#include <cstdint>
#include <string>

struct CZentavoSMSGatewayAccessKeys
{
    std::string m_AccessKey;  // the factor's public key
    std::string m_SecretKey;
};

struct CZentavoSMSGatewayLoginDetails
{
    BYTE m_LoggedIn = 0;
    std::string m_Username;
    CZentavoSMSGatewayAccessKeys m_AccessKeys;
};

struct CZentavoSMSGatewayAuthenticationResult
{
    std::uint32_t m_ResultCode = 0;  // SMSGatewayResultCode
    CZentavoSMSGatewayAccessKeys m_AccessKeys;  // the new pair, when one was created
};

class CZentavoSMSGatewayAuthenticationManager
{
public:
    // The configuration must outlive the manager.
    explicit CZentavoSMSGatewayAuthenticationManager(CConfigZentavoSMSOutlookAddin_Config& config)
        : m_Config(config)
    {
    }

    // Logs in with the user name (compared, sent and stored lower-cased). A
    // stored login of the same user whose pair still works is kept (code 1,
    // nothing changes); otherwise the stored factor is deleted and a new one
    // is created and saved. Any code but 1 leaves no new login stored.
    void Authentication(std::string username, const std::string& password,
                        CZentavoSMSGatewayAuthenticationResult& result);
    // Deletes the stored factor at the gateway (1 and 6 count as done) and
    // saves the logged-out state; any other code raises and keeps the login.
    void Logout();

    // From the manager's configuration.
    void GetLoginDetails(CZentavoSMSGatewayLoginDetails& details);
    static void ReadLoginDetails(CConfigZentavoSMSOutlookAddin_Config& config,
                                 CZentavoSMSGatewayLoginDetails& details);
    // Clears the password and stores the state; does not save.
    static void StoreLoginDetails(CConfigZentavoSMSOutlookAddin_Config& config,
                                  const CZentavoSMSGatewayLoginDetails& details);

    SMSGatewayResultCode CreateAuthFactor(const std::string& username, const std::string& password,
                                          CZentavoSMSGatewayAccessKeys& keys);
    SMSGatewayResultCode DeleteAuthFactor(const CZentavoSMSGatewayAccessKeys& keys);
    // True when the gateway accepts the pair, false when it refuses it as
    // invalid; any other answer raises.
    bool TestAuthentication(const CZentavoSMSGatewayAccessKeys& keys);
    bool TestStoredLoginDetails(CConfigZentavoSMSOutlookAddin_Config& config);

    // Primary server only, 20000 ms.
    static void InitialiseRequestOptions(CSMSGatewayRequestOptions& options);
    // "ZentavoSMS Outlook Addin (<computer name>)".
    static std::string GetAuthFactorBaseName();

private:
    CConfigZentavoSMSOutlookAddin_Config& m_Config;
};
