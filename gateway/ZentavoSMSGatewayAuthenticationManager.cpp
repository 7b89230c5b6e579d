#include "gateway/ZentavoSMSGatewayAuthenticationManager.h"

#include "core/Exceptions.h"
#include "core/StringUtils.h"
#include "gateway/SMSGatewayHTTPInterfaceClient.h"
#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"

#include <vector>

namespace
{
using CServiceConnectionException = CSMSGatewayHTTPInterfaceClientUIHelper::CServiceConnectionException;

const std::uint32_t kAccessKeyAuthMode = 5;
const int kLastAuthFactorNameSuffix = 100;

// Runs one gateway request. A failure on the way to the gateway (the
// request options hold its Win32 error) becomes a CServiceConnectionException
// naming the operation; a reply of no known form stays a result.
template <typename Request>
void RunWithConnectionFailureRule(const char* operation, CSMSGatewayRequestOptions& options, Request request)
{
    CServiceConnectionException failure;
    failure.m_RetryAllowed = 1;
    failure.m_Text = operation;
    try
    {
        request();
    }
    catch (const CGeneralException& e)
    {
        if (!options.m_HTTPOptions.m_Win32ErrorKnown)
            throw;
        failure.m_Exception = e;
        throw failure;
    }
    if (options.m_HTTPOptions.m_Win32ErrorKnown)
        throw failure;
}

// A gateway that ends its lines with CR LF leaves the CR on the key.
std::string WithoutTrailingCarriageReturn(std::string key)
{
    if (!key.empty() && key.back() == '\r')
        key.pop_back();
    return key;
}

CZentavoSMSGatewayLoginDetails LoggedOutDetails()
{
    return CZentavoSMSGatewayLoginDetails();
}
} // namespace

void CZentavoSMSGatewayAuthenticationManager::InitialiseRequestOptions(CSMSGatewayRequestOptions& options)
{
    options = CSMSGatewayRequestOptions();
    options.m_AllowFailover = 0;
    options.m_HTTPOptions.m_TimeoutMs = 20000;
}

std::string CZentavoSMSGatewayAuthenticationManager::GetAuthFactorBaseName()
{
    // NetBIOS names fit 16 characters; a longer name is used in full.
    std::vector<char> name(16);
    DWORD size = static_cast<DWORD>(name.size());
    if (!::GetComputerNameA(name.data(), &size))
    {
        if (::GetLastError() != ERROR_BUFFER_OVERFLOW || size <= name.size())
            size = 0;
        else
        {
            name.resize(size);
            if (!::GetComputerNameA(name.data(), &size))
                size = 0;
        }
    }
    return "ZentavoSMS Outlook Addin (" + std::string(name.data(), size) + ")";
}

SMSGatewayResultCode CZentavoSMSGatewayAuthenticationManager::CreateAuthFactor(const std::string& username,
                                                                                const std::string& password,
                                                                                CZentavoSMSGatewayAccessKeys& keys)
{
    keys = CZentavoSMSGatewayAccessKeys();
    const std::string baseName = GetAuthFactorBaseName();
    CSMSGatewayHTTPInterfaceClient client;
    InitialiseSMSGatewayHTTPInterfaceClient(client);
    for (int n = 0;; ++n)
    {
        if (n > kLastAuthFactorNameSuffix)
            throw CGeneralException(
                "ZentavoSMSGatewayAuthenticationManager::CreateAuthFactor - Failed to generate unique name", E_FAIL);
        const std::string name = n == 0 ? baseName : baseName + " (" + std::to_string(n) + ")";
        CSMSGatewayRequestOptions options;
        InitialiseRequestOptions(options);
        SMSGatewayResultCode status = UNKNOWN;
        std::string accessKey;
        std::string secretKey;
        RunWithConnectionFailureRule("CreateAuthFactor", options, [&] {
            client.CreateAuthFactor(&options, username, password, kZentavoSMSOutlookAddinInterfaceId,
                                    kAccessKeyAuthMode, name, 0, status, accessKey, secretKey);
        });
        if (status == DUPLICATE_NAME)
            continue;
        if (status != OK)
            return status;
        accessKey = WithoutTrailingCarriageReturn(accessKey);
        secretKey = WithoutTrailingCarriageReturn(secretKey);
        // A pair with a missing half could never be used: the reply was not
        // what the gateway sends for a new factor.
        if (accessKey.empty() || secretKey.empty())
            return CONNECTION_ERROR;
        keys.m_AccessKey = accessKey;
        keys.m_SecretKey = secretKey;
        return OK;
    }
}

SMSGatewayResultCode CZentavoSMSGatewayAuthenticationManager::DeleteAuthFactor(const CZentavoSMSGatewayAccessKeys& keys)
{
    CSMSGatewayHTTPInterfaceClient client;
    InitialiseSMSGatewayHTTPInterfaceClient(client);
    CSMSGatewayRequestOptions options;
    InitialiseRequestOptions(options);
    SMSGatewayResultCode status = UNKNOWN;
    RunWithConnectionFailureRule("DeleteAuthFactor", options, [&] {
        client.DeleteAuthFactor(&options, kAccessKeyAuthMode, keys.m_AccessKey, keys.m_SecretKey, status);
    });
    return status;
}

bool CZentavoSMSGatewayAuthenticationManager::TestAuthentication(const CZentavoSMSGatewayAccessKeys& keys)
{
    CSMSGatewayHTTPInterfaceClient client;
    InitialiseSMSGatewayHTTPInterfaceClient(client);
    CSMSGatewayRequestOptions options;
    InitialiseRequestOptions(options);
    SMSGatewayResultCode status = UNKNOWN;
    RunWithConnectionFailureRule("TestAuthentication", options, [&] {
        client.GetBalance(&options, keys.m_AccessKey, keys.m_SecretKey, status);
    });
    if (status == OK)
        return true;
    if (status == LOGIN_INVALID)
        return false;
    throw CGeneralException(
        "ZentavoSMSGatewayAuthenticationManager::TestAuthentication - Unable to check CheckLoginDetails (" +
            std::to_string(static_cast<std::uint32_t>(status)) + ")",
        E_FAIL);
}

bool CZentavoSMSGatewayAuthenticationManager::TestStoredLoginDetails(CConfigZentavoSMSOutlookAddin_Config& config)
{
    CZentavoSMSGatewayLoginDetails details;
    ReadLoginDetails(config, details);
    return TestAuthentication(details.m_AccessKeys);
}

void CZentavoSMSGatewayAuthenticationManager::Authentication(std::string username, const std::string& password,
                                                             CZentavoSMSGatewayAuthenticationResult& result)
{
    result = CZentavoSMSGatewayAuthenticationResult();
    CZentavoSMSGatewayLoginDetails details;
    GetLoginDetails(details);
    const bool stillValid = details.m_LoggedIn && TestAuthentication(details.m_AccessKeys);

    std::string storedUsername = details.m_Username;
    ToLower(storedUsername);
    ToLower(username);
    if (storedUsername == username && stillValid)
    {
        result.m_ResultCode = OK;
        return;
    }

    bool oldFactorDeleted = false;
    if (details.m_LoggedIn)
    {
        const SMSGatewayResultCode deleted = DeleteAuthFactor(details.m_AccessKeys);
        if (deleted != OK && stillValid)
            throw CGeneralException("ZentavoSMSGatewayAuthenticationManager::Authentication - Could not delete old "
                                    "AuthFactor (which is known to be valid)",
                                    E_FAIL);
        oldFactorDeleted = deleted == OK;
    }

    // Once the old factor is gone the stored pair is worthless: a login
    // that then fails leaves the account logged out, not a dead pair.
    CConfigZentavoSMSOutlookAddin_Config& config = m_Config;
    try
    {
        result.m_ResultCode = CreateAuthFactor(username, password, result.m_AccessKeys);
    }
    catch (...)
    {
        if (oldFactorDeleted)
        {
            StoreLoginDetails(config, LoggedOutDetails());
            config.Save();
        }
        throw;
    }

    if (result.m_ResultCode == OK)
    {
        CZentavoSMSGatewayLoginDetails newDetails;
        newDetails.m_LoggedIn = 1;
        newDetails.m_Username = username;
        newDetails.m_AccessKeys = result.m_AccessKeys;
        StoreLoginDetails(config, newDetails);
        config.Save();
    }
    else if (oldFactorDeleted)
    {
        StoreLoginDetails(config, LoggedOutDetails());
        config.Save();
    }
}

void CZentavoSMSGatewayAuthenticationManager::Logout()
{
    CZentavoSMSGatewayLoginDetails details;
    GetLoginDetails(details);
    if (details.m_LoggedIn)
    {
        // LOGIN_INVALID: the gateway no longer knows the pair, which is as
        // good as deleted.
        const SMSGatewayResultCode code = DeleteAuthFactor(details.m_AccessKeys);
        if (code != OK && code != LOGIN_INVALID)
            throw CGeneralException(
                "CZentavoSMSGatewayAuthenticationManager::Logout - Call to DeleteAuthFactor failed (ResultCode=" +
                    std::to_string(static_cast<std::uint32_t>(code)) + ")",
                E_FAIL);
    }
    CConfigZentavoSMSOutlookAddin_Config& config = m_Config;
    StoreLoginDetails(config, LoggedOutDetails());
    config.Save();
}

void CZentavoSMSGatewayAuthenticationManager::GetLoginDetails(CZentavoSMSGatewayLoginDetails& details)
{
    ReadLoginDetails(m_Config, details);
}

void CZentavoSMSGatewayAuthenticationManager::ReadLoginDetails(CConfigZentavoSMSOutlookAddin_Config& config,
                                                               CZentavoSMSGatewayLoginDetails& details)
{
    details = CZentavoSMSGatewayLoginDetails();
    details.m_Username = config.GetUsername();
    details.m_AccessKeys.m_AccessKey = config.GetAccessKey();
    details.m_AccessKeys.m_SecretKey = config.GetSecretKey();
    details.m_LoggedIn =
        !details.m_AccessKeys.m_SecretKey.empty() && config.m_AuthMode == static_cast<int>(kAccessKeyAuthMode);
}

void CZentavoSMSGatewayAuthenticationManager::StoreLoginDetails(CConfigZentavoSMSOutlookAddin_Config& config,
                                                                const CZentavoSMSGatewayLoginDetails& details)
{
    config.SetPassword(std::string());
    if (details.m_LoggedIn)
    {
        config.SetUsername(details.m_Username);
        config.m_AuthMode = static_cast<int>(kAccessKeyAuthMode);
        config.SetAccessKey(details.m_AccessKeys.m_AccessKey);
        config.SetSecretKey(details.m_AccessKeys.m_SecretKey);
    }
    else
    {
        config.SetUsername(std::string());
        config.m_AuthMode = 0;
        config.SetAccessKey(std::string());
        config.SetSecretKey(std::string());
    }
}
