#include "gateway/SMSGatewayResultCode.h"

namespace
{
const char* const kCodeNames[] = {
    "UNKNOWN",
    "OK",
    "NO_USERNAME",
    "NO_PASSWORD",
    "NO_TO",
    "NO_TEXT",
    "LOGIN_INVALID",
    "INSUFFICIENT_CREDIT",
    "GATEWAY_ERROR",
    "INTERNAL_ERROR",
    "CONNECTION_ERROR",
    "INVALID_NUMBER",
    "INVALID_REQUEST",
    "DELAY_REPEATED",
    "MSGID_INVALID",
    "PARAMETER_MISSING",
    "PARAMETER_INVALID",
    "ACCOUNT_EXISTS",
    "TOO_MANY_NUMBERS",
    "NO_MSGID",
    "DAILY_ALLOWANCE_EXCEEDED",
    "MONTHLY_ALLOWANCE_EXCEEDED",
    "AUTH_PARAMETER_MISSING",
    "AUTH_PARAMETER_INVALID",
    "CONNECTION_NOT_SECURE",
    "MFA_REQUIRED",
    "DUPLICATE_NAME",
    "UPGRADE_CLIENTAPP",
};
static_assert(sizeof(kCodeNames) / sizeof(kCodeNames[0]) == UPGRADE_CLIENTAPP + 1, "one name per code");

const char* const kStatusFlagNames[] = {"MessageSent", "DeliverySuccess", "DeliveryFailure", "MessageExpired"};
} // namespace

std::string GetSMSGatewayResultCodeName(std::uint32_t code)
{
    if (code < sizeof(kCodeNames) / sizeof(kCodeNames[0]))
        return kCodeNames[code];
    if (code == DELAY_REQUESTED)
        return "DELAY_REQUESTED";
    return std::string();
}

void GetStatusFlagsText(std::uint32_t mask, std::string& text)
{
    text.clear();
    for (unsigned bit = 0; bit < 4; ++bit)
    {
        if ((mask & (1u << bit)) == 0)
            continue;
        if (!text.empty())
            text += '|';
        text += kStatusFlagNames[bit];
    }
    if (text.empty())
        text = "None";
}

void GetRoutingTypeText(std::uint32_t routingType, std::string& text)
{
    switch (routingType)
    {
    case rrtUnknown:
        text = "Unknown";
        break;
    case rrtDefault:
        text = "Default";
        break;
    case rrtMsgSource:
        text = "MsgSource";
        break;
    default:
        text.clear();
        break;
    }
}
