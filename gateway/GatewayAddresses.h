// Where the gateway lives: each address the add-in talks to is one constant
// here, and each can be replaced through an environment variable (read once
// per process) to point the add-in at a staging or test gateway.
//
//   ZENTAVOSMS_GATEWAY_PRIMARY_URL   primary HTTPS base address
//   ZENTAVOSMS_GATEWAY_BACKUP_URL    backup HTTPS base address
//   ZENTAVOSMS_GATEWAY_BULKJOB_URL   base address of the bulk-job web service
//
// Base addresses are a scheme and a host (and optionally a port), with no
// trailing "/".
#pragma once

#include <string>

// The gateway's mail domain, the part after "@" of every address of the
// e-mail interface; ZENTAVOSMS_GATEWAY_MAIL_DOMAIN replaces it.
namespace GatewayAddresses
{
constexpr const char kMailDomain[] = "sms.zentavosms.com";
constexpr const char kMailDomainVariable[] = "ZENTAVOSMS_GATEWAY_MAIL_DOMAIN";
} // namespace GatewayAddresses
const std::string& GetGatewayMailDomain();

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

// "https://" and the primary host, or the override.
const std::string& GetGatewayPrimaryURL();
// "https://" and the backup host, or the override.
const std::string& GetGatewayBackupURL();
// "https://" and the web host, or the override, then the bulk-job service's
// path and query.
const std::string& GetBulkJobServiceURL();
