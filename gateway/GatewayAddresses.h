// Where the gateway lives: each address the add-in talks to is one constant
// here, and each can be replaced through an environment variable (read once
// per process) to point the add-in at a staging or test gateway.
//
//   ZENTAVOSMS_GATEWAY_PRIMARY_URL   primary HTTPS base address
//   ZENTAVOSMS_GATEWAY_BACKUP_URL    backup HTTPS base address
//
// Base addresses are a scheme and a host (and optionally a port), with no
// trailing "/".
#pragma once

#include <string>

namespace GatewayAddresses
{
constexpr const char kPrimaryHost[] = "api1.zentavosms.com";
constexpr const char kBackupHost[] = "api2.zentavosms.com";

constexpr const char kPrimaryURLVariable[] = "ZENTAVOSMS_GATEWAY_PRIMARY_URL";
constexpr const char kBackupURLVariable[] = "ZENTAVOSMS_GATEWAY_BACKUP_URL";
} // namespace GatewayAddresses

// "https://" and the primary host, or the override.
const std::string& GetGatewayPrimaryURL();
// "https://" and the backup host, or the override.
const std::string& GetGatewayBackupURL();
