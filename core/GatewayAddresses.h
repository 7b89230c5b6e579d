// Where the gateway lives: each address the add-in talks to is one constant
// here, and each can be replaced through an environment variable (read once
// per process) to point the add-in at a staging or test gateway.
//
//   ZENTAVOSMS_GATEWAY_PRIMARY_URL   primary HTTPS base address
//   ZENTAVOSMS_GATEWAY_BACKUP_URL    backup HTTPS base address
//   ZENTAVOSMS_GATEWAY_BULKJOB_URL   base address of the bulk-job web service
//   ZENTAVOSMS_GATEWAY_MAIL_DOMAIN   domain of the e-mail interface
//
// Base addresses are a scheme and a host (and optionally a port), with no
// trailing "/".
#pragma once

#include "core/Win32Utils.h"

#include <string>

// The gateway's mail domain, the part after "@" of every address of the
// e-mail interface; ZENTAVOSMS_GATEWAY_MAIL_DOMAIN replaces it.
namespace GatewayAddresses
{
constexpr const char kMailDomain[] = "sms.zentavosms.com";
constexpr const char kMailDomainVariable[] = "ZENTAVOSMS_GATEWAY_MAIL_DOMAIN";
} // namespace GatewayAddresses

namespace GatewayAddresses
{
constexpr const char kPrimaryHost[] = "api1.zentavosms.com";
constexpr const char kBackupHost[] = "api2.zentavosms.com";
// The gateway's web host: the bulk-job web service lives there.
constexpr const char kWebHost[] = "www.zentavosms.com";

constexpr const char kPrimaryURLVariable[] = "ZENTAVOSMS_GATEWAY_PRIMARY_URL";
constexpr const char kBackupURLVariable[] = "ZENTAVOSMS_GATEWAY_BACKUP_URL";
constexpr const char kBulkJobURLVariable[] = "ZENTAVOSMS_GATEWAY_BULKJOB_URL";

// The bulk-job service below its base address; requests are posted to it,
// query included.
constexpr const char kBulkJobServicePath[] = "/api/webservices/bulkjob.asmx?wsdl";
} // namespace GatewayAddresses

namespace GatewayAddresses
{
// The override in the variable, without trailing "/", else "https://" and
// the host.
inline std::string ReadAddress(const char* variable, const char* host)
{
    std::string address = CWin32Utils::GetEnvironmentVariable(variable);
    if (address.empty())
        return std::string("https://") + host;
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address;
}
} // namespace GatewayAddresses

// Defined here rather than in the gateway library: the bulk-job client uses
// the service address, and the gateway library links the bulk-job library,
// not the other way round. Each address is read once per process.

// The mail domain, or the override.
inline const std::string& GetGatewayMailDomain()
{
    static const std::string domain = [] {
        const std::string value = CWin32Utils::GetEnvironmentVariable(GatewayAddresses::kMailDomainVariable);
        return value.empty() ? std::string(GatewayAddresses::kMailDomain) : value;
    }();
    return domain;
}

// "https://" and the primary host, or the override.
inline const std::string& GetGatewayPrimaryURL()
{
    static const std::string address =
        GatewayAddresses::ReadAddress(GatewayAddresses::kPrimaryURLVariable, GatewayAddresses::kPrimaryHost);
    return address;
}

// "https://" and the backup host, or the override.
inline const std::string& GetGatewayBackupURL()
{
    static const std::string address =
        GatewayAddresses::ReadAddress(GatewayAddresses::kBackupURLVariable, GatewayAddresses::kBackupHost);
    return address;
}

// "https://" and the web host, or the override, then the bulk-job service's
// path and query.
inline const std::string& GetBulkJobServiceURL()
{
    static const std::string address =
        GatewayAddresses::ReadAddress(GatewayAddresses::kBulkJobURLVariable, GatewayAddresses::kWebHost) +
        GatewayAddresses::kBulkJobServicePath;
    return address;
}
