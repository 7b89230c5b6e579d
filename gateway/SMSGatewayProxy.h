// The client of the gateway's HTTPS form interface: one member function per
// gateway page. Each builds the form from its arguments, hands it to the
// transport it owns and reads the reply. Every call is synchronous; gateway
// answers come back as result codes, never as exceptions.
#pragma once

#include "gateway/SMSGatewayResultCode.h"
#include "gateway/SMSGatewayService.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The add-in's own interface id, the one the gateway knows this client by.
constexpr std::uint32_t kZentavoSMSOutlookAddinInterfaceId = 0x20000001;

// An identity the gateway can reply to, or the source of a message.
struct CSMSGatewayEndPoint
{
    std::wstring m_Id;
    std::wstring m_Name;
    std::uint32_t m_InterfaceId = 0;  // 0: not set
};

// The result for one recipient of a send.
class CSMSSendStatus
{
public:
    virtual ~CSMSSendStatus() = default;

    std::string m_Number;     // the recipient as the reply names it
    std::string m_MessageId;  // empty when the reply gave none
    SMSGatewayResultCode m_StatusCode = UNKNOWN;
};

// The less common settings of a send.
struct CSMSGatewaySendOptions
{
    CSMSGatewaySendOptions() { ::ZeroMemory(&m_StartTime, sizeof(m_StartTime)); }

    CSMSGatewayEndPoint m_ReplyTo;
    CSMSGatewayEndPoint m_MessageSource;
    SYSTEMTIME m_StartTime;                    // local time; wDay 0 sends at once
    std::uint32_t m_DeliveryReportSetting = 0; // DeliveryReportSetting
    std::uint32_t m_DeliveryReportStatusMask = 0;
    std::uint32_t m_RoutingType = 0;           // ReplyRoutingType
    std::uint32_t m_FromType = 0;              // 0: none sent; 2: no sender text sent
};

class CSMSGatewayProxy
{
public:
    CSMSGatewayProxy();
    virtual ~CSMSGatewayProxy();
    CSMSGatewayProxy(const CSMSGatewayProxy&) = delete;
    CSMSGatewayProxy& operator=(const CSMSGatewayProxy&) = delete;

    // Set-up; each call replaces what was set before.
    void SetServers(const std::string& primaryServer, const std::string& backupServer,
                    const std::string& proxyServer, const std::string& proxyUsername,
                    const std::string& proxyPassword);
    void SetInterface(std::uint32_t interfaceId);
    void SetClientId(const std::string& clientId, const std::string& clientVersion, const std::string& appId,
                     const std::string& appVersion);

    // From another thread: ends the request under way and refuses later ones
    // (CSMSGatewayService::Abort).
    void Abort();

    // Sends one text to the recipients in "to" (numbers joined by ","). A
    // reply the gateway made a job of sets isJob and jobId and no records.
    void SendMessage(CSMSGatewayRequestOptions* options, const CSMSGatewaySendOptions& sendOptions,
                     const std::string& accessKey, const std::string& secretKey, const std::string& to,
                     const std::string& from, const std::string& text, const std::string& userKey,
                     const std::string& userContext, BYTE deliveryReport, std::uint32_t maxConCat,
                     SMSGatewayResultCode& status, std::vector<CSMSSendStatus>& statuses, BYTE& isJob,
                     std::string& jobId);

    // Offered for completeness; the add-in itself sends through SendMessage.
    std::string SendSingleMessage(CSMSGatewayRequestOptions* options, const CSMSGatewaySendOptions& sendOptions,
                                  const std::string& accessKey, const std::string& secretKey,
                                  const std::string& to, const std::string& from, const std::string& text,
                                  const std::string& userKey, const std::string& userContext,
                                  BYTE deliveryReport, std::uint32_t maxConCat, SMSGatewayResultCode& status);
    void SendUnicodeMessage(CSMSGatewayRequestOptions* options, const std::string& accessKey,
                            const std::string& secretKey, const std::string& to, const std::string& from,
                            const std::string& hexText, const std::string& userKey, BYTE deliveryReport,
                            std::uint32_t maxConCat, SMSGatewayResultCode& status,
                            std::vector<CSMSSendStatus>& statuses);
    void SendBinaryMessage(CSMSGatewayRequestOptions* options, const std::string& accessKey,
                           const std::string& secretKey, const std::string& to, const std::string& from,
                           const std::string& userDataHeader, const std::string& userData,
                           const std::string& userKey, BYTE deliveryReport, SMSGatewayResultCode& status,
                           std::vector<CSMSSendStatus>& statuses);
    void SendWAPPushMessage(CSMSGatewayRequestOptions* options, const std::string& accessKey,
                            const std::string& secretKey, const std::string& to, const std::string& from,
                            const std::string& text, const std::string& address, BYTE deliveryReport,
                            SMSGatewayResultCode& status, std::vector<CSMSSendStatus>& statuses);

    // Account requests.
    std::int32_t GetBalance(CSMSGatewayRequestOptions* options, const std::string& accessKey,
                            const std::string& secretKey, SMSGatewayResultCode& status);
    void CreateAuthFactor(CSMSGatewayRequestOptions* options, const std::string& username,
                          const std::string& password, std::uint32_t factorInterfaceId,
                          std::uint32_t factorAuthMode, const std::string& factorName, BYTE mfaSupported,
                          SMSGatewayResultCode& status, std::string& publicValue, std::string& secretValue);
    void DeleteAuthFactor(CSMSGatewayRequestOptions* options, std::uint32_t authMode, const std::string& accessKey,
                          const std::string& secretKey, SMSGatewayResultCode& status);
    void CreateSubAccount(CSMSGatewayRequestOptions* options, const std::string& accessKey,
                          const std::string& secretKey, const std::string& username, const std::string& password,
                          std::uint32_t service, const std::string& fullName, const std::string& company,
                          const std::string& address, const std::string& town, const std::string& county,
                          const std::string& country, const std::string& postcode, const std::string& email,
                          const std::string& phone, const std::string& fax, SMSGatewayResultCode& status);

    // The send-message form, field by field.
    std::string BuildSendMessageForm(const CSMSGatewaySendOptions& sendOptions, const std::string& accessKey,
                                     const std::string& secretKey, const std::string& to, const std::string& from,
                                     const std::string& text, const std::string& userKey,
                                     const std::string& userContext, BYTE deliveryReport,
                                     std::uint32_t maxConCat) const;
    // Reads a send reply line by line into one record per usable line; may
    // turn the status into OK.
    static void ParseSendMessageResponse(std::vector<CSMSSendStatus>& statuses, const std::string& to,
                                         SMSGatewayResultCode& status, const std::string& rawReply);
    static void ParseSendMessageResponseLine(const std::string& text, CSMSSendStatus& status);

private:
    // "interface=<id>&" when an interface id is set.
    std::string InterfacePrefix() const;
    std::string Request(CSMSGatewayRequestOptions* options, const std::string& page, const std::string& form,
                        const std::string& expected, std::string& rawReply, SMSGatewayResultCode& status);
    // The fields every send variant begins with: interface, keys, to, from.
    std::string SendFormStart(const std::string& accessKey, const std::string& secretKey, const std::string& to,
                              const std::string& from) const;
    // Posts a send form and reads its reply into one record per recipient.
    void PostSendForm(CSMSGatewayRequestOptions* options, const std::string& form, const std::string& to,
                      SMSGatewayResultCode& status, std::vector<CSMSSendStatus>& statuses);

    std::uint32_t m_InterfaceId = 0;
    CSMSGatewayService m_Service;
};
