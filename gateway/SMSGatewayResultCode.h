// The result of every gateway operation and the text forms of the two
// delivery-report settings that requests carry.
#pragma once

#include <cstdint>
#include <string>

// 1 is the only success. The names of 2 to 27 (other than 10 and 13) are the
// texts the gateway sends after "ERR:"; 10 and 13 are set by the client, and
// 100 lives only inside the transport between a "DELAY:" answer and its retry.
enum SMSGatewayResultCode : std::uint32_t
{
    UNKNOWN = 0,
    OK = 1,
    NO_USERNAME = 2,
    NO_PASSWORD = 3,
    NO_TO = 4,
    NO_TEXT = 5,
    LOGIN_INVALID = 6,
    INSUFFICIENT_CREDIT = 7,
    GATEWAY_ERROR = 8,
    INTERNAL_ERROR = 9,
    CONNECTION_ERROR = 10,
    INVALID_NUMBER = 11,
    INVALID_REQUEST = 12,
    DELAY_REPEATED = 13,
    MSGID_INVALID = 14,
    PARAMETER_MISSING = 15,
    PARAMETER_INVALID = 16,
    ACCOUNT_EXISTS = 17,
    TOO_MANY_NUMBERS = 18,
    NO_MSGID = 19,
    DAILY_ALLOWANCE_EXCEEDED = 20,
    MONTHLY_ALLOWANCE_EXCEEDED = 21,
    AUTH_PARAMETER_MISSING = 22,
    AUTH_PARAMETER_INVALID = 23,
    CONNECTION_NOT_SECURE = 24,
    MFA_REQUIRED = 25,
    DUPLICATE_NAME = 26,
    UPGRADE_CLIENTAPP = 27,
    DELAY_REQUESTED = 100,
};

// The code's name as written above ("OK", "LOGIN_INVALID", ...); empty for a
// number that has none.
std::string GetSMSGatewayResultCodeName(std::uint32_t code);

// Delivery-report setting of a send (an unsigned 32-bit field).
enum DeliveryReportSetting : std::uint32_t
{
    drsNoReports = 1,        // "None" is sent
    drsReportStatuses = 2,   // the statuses of the mask, with a routing type
    drsAccountSetting = 3,   // nothing is sent: the account's own setting applies
};

// Bits of the delivery-report status mask; other bits are ignored.
enum DeliveryReportStatusFlags : std::uint32_t
{
    drsfMessageSent = 1,
    drsfDeliverySuccess = 2,
    drsfDeliveryFailure = 4,
    drsfMessageExpired = 8,
};

// How replies to a message are routed.
enum ReplyRoutingType : std::uint32_t
{
    rrtUnknown = 0,
    rrtDefault = 1,
    rrtMsgSource = 2,
};

// The set names joined by "|" in bit order, or "None" when no known bit is set.
void GetStatusFlagsText(std::uint32_t mask, std::string& text);
// "Unknown", "Default", "MsgSource"; empty for any other value.
void GetRoutingTypeText(std::uint32_t routingType, std::string& text);
