#include "gateway/SMSGatewayProxy.h"

#include "core/DateTimeUtils.h"
#include "core/StringUtils.h"

#include <limits>

namespace
{
const char kSendPage[] = "api/https/sendmsg.aspx";
const char kSendExpected[] = "ID:";
const std::string::size_type kMaxTextChars = 1600;
const std::string::size_type kMaxHexChars = 2800;
const std::string::size_type kMaxUserDataHeaderChars = 140;
const std::string::size_type kMaxUserDataChars = 1400;
const std::string::size_type kMaxWAPPushChars = 300;
// Length of "PUBLICFIELD:" and of "SECRETFIELD:".
const std::string::size_type kAuthFieldPrefixLength = 12;

std::string Number(std::uint32_t value)
{
    return std::to_string(value);
}

std::vector<std::string> Split(const std::string& text, const char* delimiters)
{
    std::vector<std::string> pieces;
    SplitString(text, delimiters, pieces);
    return pieces;
}

void AppendEndPoint(std::string& form, const CSMSGatewayEndPoint& endPoint, const char* interfaceField,
                    const char* idField, const char* nameField)
{
    if (endPoint.m_InterfaceId == 0)
        return;
    form += interfaceField + Number(endPoint.m_InterfaceId);
    if (!endPoint.m_Id.empty())
        form += idField + URLEncodeW(endPoint.m_Id);
    if (!endPoint.m_Name.empty())
        form += nameField + URLEncodeW(endPoint.m_Name);
}
} // namespace

CSMSGatewayProxy::CSMSGatewayProxy()
{
    SetClientId("ZentavoSMS", "5.0.1", std::string(), std::string());
}

CSMSGatewayProxy::~CSMSGatewayProxy() = default;

void CSMSGatewayProxy::SetServers(const std::string& primaryServer, const std::string& backupServer,
                                  const std::string& proxyServer, const std::string& proxyUsername,
                                  const std::string& proxyPassword)
{
    m_Service.SetServers(primaryServer, backupServer, proxyServer, proxyUsername, proxyPassword);
}

void CSMSGatewayProxy::SetInterface(std::uint32_t interfaceId)
{
    m_InterfaceId = interfaceId;
}

void CSMSGatewayProxy::SetClientId(const std::string& clientId, const std::string& clientVersion,
                                   const std::string& appId, const std::string& appVersion)
{
    // Written as given: the values are fixed identifiers, not user text.
    std::string details = "clientid=" + clientId + "&clientver=" + clientVersion;
    if (!appId.empty())
        details += "&appid=" + appId;
    if (!appVersion.empty())
        details += "&appver=" + appVersion;
    m_Service.SetClientDetails(details);
}

std::string CSMSGatewayProxy::InterfacePrefix() const
{
    return m_InterfaceId != 0 ? "interface=" + Number(m_InterfaceId) + "&" : std::string();
}

std::string CSMSGatewayProxy::Request(CSMSGatewayRequestOptions* options, const std::string& page,
                                      const std::string& form, const std::string& expected, std::string& rawReply,
                                      SMSGatewayResultCode& status)
{
    return m_Service.MakeHTTPRequestWithDelay(options, page, form, expected, 1, rawReply, status);
}

std::string CSMSGatewayProxy::BuildSendMessageForm(const CSMSGatewaySendOptions& sendOptions,
                                                   const std::string& accessKey, const std::string& secretKey,
                                                   const std::string& to, const std::string& from,
                                                   const std::string& text, const std::string& userKey,
                                                   const std::string& userContext, BYTE deliveryReport,
                                                   std::uint32_t maxConCat) const
{
    std::string form = InterfacePrefix();
    form += "accesskey=" + URLEncode(accessKey) + "&";
    form += "secretkey=" + URLEncode(secretKey) + "&";
    form += "to=" + URLEncode(to) + "&";
    if (sendOptions.m_FromType != 0)
        form += "fromtype=" + Number(sendOptions.m_FromType) + "&";
    if (sendOptions.m_FromType != 2)
        form += "from=" + URLEncode(from) + "&";
    form += "text=" + URLEncode(text.substr(0, kMaxTextChars));
    if (!userKey.empty())
        form += "&userkey=" + URLEncode(userKey);
    if (!userContext.empty())
        form += "&usercontext=" + URLEncode(userContext);
    if (deliveryReport != 0)
        form += "&delrpt=1";
    if (maxConCat != 1)
        form += "&maxconcat=" + Number(maxConCat);
    AppendEndPoint(form, sendOptions.m_ReplyTo, "&rplyintf=", "&rplyid=", "&rplyname=");
    AppendEndPoint(form, sendOptions.m_MessageSource, "&msgsrcintf=", "&msgsrcid=", "&msgsrcname=");
    if (sendOptions.m_StartTime.wDay != 0)
        form += "&startat=" + URLEncode(CDateTimeUtils::GetLocalTimeWithTimeZoneOffset(sendOptions.m_StartTime));

    if (sendOptions.m_DeliveryReportSetting == drsReportStatuses)
    {
        std::string statusText;
        GetStatusFlagsText(sendOptions.m_DeliveryReportStatusMask, statusText);
        std::string routingText;
        GetRoutingTypeText(sendOptions.m_RoutingType, routingText);
        form += "&delrpt_reqstatus=" + URLEncode(statusText);
        form += "&delrpt_routingtype=" + URLEncode(routingText);
    }
    else if (sendOptions.m_DeliveryReportSetting == drsNoReports)
    {
        form += "&delrpt_reqstatus=None";
    }
    return form;
}

void CSMSGatewayProxy::SendMessage(CSMSGatewayRequestOptions* options, const CSMSGatewaySendOptions& sendOptions,
                                   const std::string& accessKey, const std::string& secretKey,
                                   const std::string& to, const std::string& from, const std::string& text,
                                   const std::string& userKey, const std::string& userContext,
                                   BYTE deliveryReport, std::uint32_t maxConCat, SMSGatewayResultCode& status,
                                   std::vector<CSMSSendStatus>& statuses, BYTE& isJob, std::string& jobId)
{
    status = UNKNOWN;
    isJob = 0;
    jobId.clear();
    statuses.clear();

    const std::string form = BuildSendMessageForm(sendOptions, accessKey, secretKey, to, from, text, userKey,
                                                  userContext, deliveryReport, maxConCat);
    std::string rawReply;
    const std::string value = Request(options, kSendPage, form, kSendExpected, rawReply, status);

    if (rawReply.find("JOBID:") != std::string::npos)
    {
        isJob = 1;
        jobId = value;
        return;
    }
    ParseSendMessageResponse(statuses, to, status, rawReply);
}

std::string CSMSGatewayProxy::SendSingleMessage(CSMSGatewayRequestOptions* options,
                                                const CSMSGatewaySendOptions& sendOptions,
                                                const std::string& accessKey, const std::string& secretKey,
                                                const std::string& to, const std::string& from,
                                                const std::string& text, const std::string& userKey,
                                                const std::string& userContext, BYTE deliveryReport,
                                                std::uint32_t maxConCat, SMSGatewayResultCode& status)
{
    status = UNKNOWN;
    const std::string form = BuildSendMessageForm(sendOptions, accessKey, secretKey, to, from, text, userKey,
                                                  userContext, deliveryReport, maxConCat);
    std::string rawReply;
    return Request(options, kSendPage, form, kSendExpected, rawReply, status);
}

std::string CSMSGatewayProxy::SendFormStart(const std::string& accessKey, const std::string& secretKey,
                                            const std::string& to, const std::string& from) const
{
    return InterfacePrefix() + "accesskey=" + URLEncode(accessKey) + "&secretkey=" + URLEncode(secretKey) +
           "&to=" + URLEncode(to) + "&from=" + URLEncode(from);
}

void CSMSGatewayProxy::PostSendForm(CSMSGatewayRequestOptions* options, const std::string& form,
                                    const std::string& to, SMSGatewayResultCode& status,
                                    std::vector<CSMSSendStatus>& statuses)
{
    std::string rawReply;
    Request(options, kSendPage, form, kSendExpected, rawReply, status);
    ParseSendMessageResponse(statuses, to, status, rawReply);
}

void CSMSGatewayProxy::SendUnicodeMessage(CSMSGatewayRequestOptions* options, const std::string& accessKey,
                                          const std::string& secretKey, const std::string& to,
                                          const std::string& from, const std::string& hexText,
                                          const std::string& userKey, BYTE deliveryReport,
                                          std::uint32_t maxConCat, SMSGatewayResultCode& status,
                                          std::vector<CSMSSendStatus>& statuses)
{
    status = UNKNOWN;
    statuses.clear();
    std::string form = SendFormStart(accessKey, secretKey, to, from);
    form += "&type=2&hex=" + URLEncode(hexText.substr(0, kMaxHexChars));
    if (!userKey.empty())
        form += "&userkey=" + URLEncode(userKey);
    if (deliveryReport != 0)
        form += "&delrpt=1";
    if (maxConCat != 1)
        form += "&maxconcat=" + Number(maxConCat);

    PostSendForm(options, form, to, status, statuses);
}

void CSMSGatewayProxy::SendBinaryMessage(CSMSGatewayRequestOptions* options, const std::string& accessKey,
                                         const std::string& secretKey, const std::string& to,
                                         const std::string& from, const std::string& userDataHeader,
                                         const std::string& userData, const std::string& userKey,
                                         BYTE deliveryReport, SMSGatewayResultCode& status,
                                         std::vector<CSMSSendStatus>& statuses)
{
    status = UNKNOWN;
    statuses.clear();
    std::string form = SendFormStart(accessKey, secretKey, to, from);
    form += "&type=3&udh=" + URLEncode(userDataHeader.substr(0, kMaxUserDataHeaderChars)) +
            "&ud=" + URLEncode(userData.substr(0, kMaxUserDataChars));
    if (!userKey.empty())
        form += "&userkey=" + URLEncode(userKey);
    if (deliveryReport != 0)
        form += "&delrpt=1";

    PostSendForm(options, form, to, status, statuses);
}

void CSMSGatewayProxy::SendWAPPushMessage(CSMSGatewayRequestOptions* options, const std::string& accessKey,
                                          const std::string& secretKey, const std::string& to,
                                          const std::string& from, const std::string& text,
                                          const std::string& address, BYTE deliveryReport,
                                          SMSGatewayResultCode& status, std::vector<CSMSSendStatus>& statuses)
{
    status = UNKNOWN;
    statuses.clear();
    std::string form = SendFormStart(accessKey, secretKey, to, from);
    form += "&type=4&text=" + URLEncode(text.substr(0, kMaxWAPPushChars)) +
            "&href=" + URLEncode(address.substr(0, kMaxWAPPushChars));
    // This form carries the interface a second time, after the address.
    if (m_InterfaceId != 0)
        form += "&interface=" + Number(m_InterfaceId);
    if (deliveryReport != 0)
        form += "&delrpt=1";

    PostSendForm(options, form, to, status, statuses);
}

void CSMSGatewayProxy::ParseSendMessageResponse(std::vector<CSMSSendStatus>& statuses, const std::string& to,
                                                SMSGatewayResultCode& status, const std::string& rawReply)
{
    const bool perRecipient = status == OK || status == INVALID_NUMBER ||
                              (status == INVALID_REQUEST && rawReply.find(',') != std::string::npos);
    if (!perRecipient)
        return;

    // A "\r" before a "\n" stays at the end of its line.
    const std::vector<std::string> lines = Split(rawReply, "\n");
    if (!lines.empty())
        status = OK; // from here on each recipient's outcome is in its record

    for (const std::string& line : lines)
    {
        const std::vector<std::string> pieces = Split(line, ",");
        CSMSSendStatus record;
        if (pieces.size() >= 2)
        {
            record.m_Number = pieces[0];
            ParseSendMessageResponseLine(pieces[1], record);
        }
        else if (lines.size() == 1)
        {
            // A one-recipient reply names no number: it is the to text.
            record.m_Number = ReplaceAll(to, ",", "");
            ParseSendMessageResponseLine(line, record);
        }
        else
        {
            continue;
        }
        statuses.push_back(record);
    }
}

void CSMSGatewayProxy::ParseSendMessageResponseLine(const std::string& text, CSMSSendStatus& status)
{
    static const std::string kId = "ID:";
    const std::string::size_type found = text.find(kId);
    if (found != std::string::npos)
    {
        status.m_MessageId = CSMSGatewayService::ExtractValue(text, found + kId.size());
        status.m_StatusCode = OK;
    }
    else if (text.find("ERR:") != std::string::npos)
    {
        status.m_StatusCode = CSMSGatewayService::GetStatusFromErrorText(text);
    }
}

void CSMSGatewayProxy::Abort()
{
    m_Service.Abort();
}

std::int32_t CSMSGatewayProxy::GetBalance(CSMSGatewayRequestOptions* options, const std::string& accessKey,
                                          const std::string& secretKey, SMSGatewayResultCode& status)
{
    status = UNKNOWN;
    const std::string form =
        InterfacePrefix() + "accesskey=" + URLEncode(accessKey) + "&secretkey=" + URLEncode(secretKey);
    std::string rawReply;
    const std::string value = Request(options, "api/https/getbalance.aspx", form, "BALANCE:", rawReply, status);
    if (status != OK)
        return 0;
    const long long balance = CSMSGatewayService::ParseInteger(value);
    if (balance > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (balance < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(balance);
}

void CSMSGatewayProxy::CreateAuthFactor(CSMSGatewayRequestOptions* options, const std::string& username,
                                        const std::string& password, std::uint32_t factorInterfaceId,
                                        std::uint32_t factorAuthMode, const std::string& factorName,
                                        BYTE mfaSupported, SMSGatewayResultCode& status, std::string& publicValue,
                                        std::string& secretValue)
{
    status = UNKNOWN;
    publicValue.clear();
    secretValue.clear();
    const std::string form = InterfacePrefix() + "username=" + URLEncode(username) +
                             "&password=" + URLEncode(password) + "&af_intf=" + Number(factorInterfaceId) +
                             "&af_authmode=" + Number(factorAuthMode) + "&af_name=" + URLEncode(factorName) +
                             "&mfasupported=" + (mfaSupported != 0 ? "1" : "0");
    std::string rawReply;
    Request(options, "api/https/createauthfactor.aspx", form, "PUBLICFIELD:", rawReply, status);
    if (status != OK)
        return;

    // "PUBLICFIELD:" and the access key, then "SECRETFIELD:" and the secret
    // key. A shorter line raises std::out_of_range to the caller.
    const std::vector<std::string> lines = Split(rawReply, "\n");
    if (lines.size() < 2)
        return;
    std::string publicKey = lines[0].substr(kAuthFieldPrefixLength);
    std::string secretKey = lines[1].substr(kAuthFieldPrefixLength);
    publicValue = std::move(publicKey);
    secretValue = std::move(secretKey);
}

void CSMSGatewayProxy::DeleteAuthFactor(CSMSGatewayRequestOptions* options, std::uint32_t authMode,
                                        const std::string& accessKey, const std::string& secretKey,
                                        SMSGatewayResultCode& status)
{
    status = UNKNOWN;
    const std::string form = InterfacePrefix() + "authmode=" + Number(authMode) + "&accesskey=" +
                             URLEncode(accessKey) + "&secretkey=" + URLEncode(secretKey);
    std::string rawReply;
    Request(options, "api/https/deleteauthfactor.aspx", form, "OK", rawReply, status);
}

void CSMSGatewayProxy::CreateSubAccount(CSMSGatewayRequestOptions* options, const std::string& accessKey,
                                        const std::string& secretKey, const std::string& username,
                                        const std::string& password, std::uint32_t service,
                                        const std::string& fullName, const std::string& company,
                                        const std::string& address, const std::string& town,
                                        const std::string& county, const std::string& country,
                                        const std::string& postcode, const std::string& email,
                                        const std::string& phone, const std::string& fax,
                                        SMSGatewayResultCode& status)
{
    status = UNKNOWN;
    // This page takes no interface field.
    const std::string form =
        "accesskey=" + URLEncode(accessKey) + "&secretkey=" + URLEncode(secretKey) +
        "&subacc_username=" + URLEncode(username) + "&subacc_password=" + URLEncode(password) +
        "&subacc_service=" + Number(service) + "&subacc_fullname=" + URLEncode(fullName) +
        "&subacc_company=" + URLEncode(company) + "&subacc_address=" + URLEncode(address) +
        "&subacc_town=" + URLEncode(town) + "&subacc_county=" + URLEncode(county) +
        "&subacc_country=" + URLEncode(country) + "&subacc_postcode=" + URLEncode(postcode) +
        "&subacc_email=" + URLEncode(email) + "&subacc_phone=" + URLEncode(phone) + "&subacc_fax=" + URLEncode(fax);
    std::string rawReply;
    Request(options, "smsgateway/createsubacc.aspx", form, "OK", rawReply, status);
}
