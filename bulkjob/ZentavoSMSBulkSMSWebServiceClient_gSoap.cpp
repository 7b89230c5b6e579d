#include "bulkjob/ZentavoSMSBulkSMSWebServiceClient_gSoap.h"
#include "core/StringUtils.h"

#include "bulkjob/service/BulkJobElements.h"
#include "bulkjob/service/SoapEnvelope.h"
#include "core/Exceptions.h"
#include "core/GatewayAddresses.h"
#include "platform/GSoapWinInet.h"

#include <comdef.h>

#include <cstring>
#include <ctime>

namespace
{

const char kClassPrefix[] = "CZentavoSMSBulkSMSWebServiceClient_gSoap::";

// Time-outs per operation: creating a job is quick, a batch of recipients
// and the job state changes take longer on a busy gateway.
const std::uint32_t kCreateTimeout = 10000;
const std::uint32_t kAppendTimeout = 30000;
const std::uint32_t kJobTimeout = 60000;

[[noreturn]] void ThrowNotSupported(const char* operation, const char* what = "Value not supported")
{
    throw CGeneralException(std::string(kClassPrefix) + operation + " - " + what, E_FAIL);
}

// The credentials every request carries, pointing at the caller's wide keys.
void FillCredentials(struct soap* soap, ns1__AuthenticationCredentialsAccessKeyAndSecretKey& credentials,
                     std::wstring& accessKey, std::wstring& secretKey)
{
    credentials.soap_default(soap);
    credentials.SubmittedInterface = ns1__Interfaces__ZentavoSMSOutlookAddin;
    credentials.AccessKey = &accessKey;
    credentials.SecretKey = &secretKey;
}

// A fault the service sent, read whole.
bool IsServiceFault(int error)
{
    return error == SOAP_FAULT || error == SOAP_CLI_FAULT || error == SOAP_SVR_FAULT || error == SOAP_MUSTUNDERSTAND ||
           error == SOAP_VERSIONMISMATCH;
}

} // namespace

CZentavoSMSBulkSMSWebServiceClient_gSoap::CZentavoSMSBulkSMSWebServiceClient_gSoap()
{
    if (struct soap* soap = m_Proxy.soap)
    {
        if (!soap->namespaces)
            soap->namespaces = bulkjob_namespaces;
        soap_register_plugin(soap, wininet_plugin);
    }
    m_Proxy.endpoint = GetBulkJobServiceURL().c_str();
}

CZentavoSMSBulkSMSWebServiceClient_gSoap::~CZentavoSMSBulkSMSWebServiceClient_gSoap() = default;

void CZentavoSMSBulkSMSWebServiceClient_gSoap::SetClientDetails(const std::string& appId,
                                                                const std::string& appVersion,
                                                                const std::string& appLicence)
{
    ClientId = "ZentavoSMSWebServiceSDKC++";
    ClientVersion = "2.0";
    AppId = appId;
    AppVersion = appVersion;
    AppLicence = appLicence;
}

int CZentavoSMSBulkSMSWebServiceClient_gSoap::CreateSMSTextBulkJob(const std::string& accessKey,
                                                                   const std::string& secretKey,
                                                                   const std::string& jobName,
                                                                   const CZentavoSMSGatewaySubmission& submission,
                                                                   std::string* jobId)
{
    static const std::string context = std::string(kClassPrefix) + "CreateSMSTextBulkJob";
    jobId->clear();

    std::wstring wideAccessKey = AnsiToWide(accessKey);
    std::wstring wideSecretKey = AnsiToWide(secretKey);
    std::wstring wideJobName = AnsiToWide(jobName);
    std::wstring wideMessageText = AnsiToWide(submission.m_MessageText);
    std::wstring wideSenderId = AnsiToWide(submission.m_SenderId);
    std::wstring wideClientId = AnsiToWide(ClientId);
    std::wstring wideClientVersion = AnsiToWide(ClientVersion);
    std::wstring wideAppId = AnsiToWide(AppId);
    std::wstring wideAppVersion = AnsiToWide(AppVersion);
    std::wstring wideAppLicence = AnsiToWide(AppLicence);
    std::wstring emptyFrom;

    struct soap* soap = m_Proxy.soap;
    _ns1__CreateSMSTextBulkJob request;
    _ns1__CreateSMSTextBulkJobResponse response;
    ns1__CreateSMSTextBulkJobInput input;
    ns1__AuthenticationCredentialsAccessKeyAndSecretKey credentials;
    ns1__BulkJobDetails details;
    ns1__TextMessage text;
    ns1__InterfaceEndPoint replyTo;
    ns1__InterfaceEndPoint messageSource;
    ns1__ReportingSettings reportSettings;
    ns1__ClientDetails clientDetails;
    request.soap_default(soap);
    response.soap_default(soap);
    input.soap_default(soap);
    details.soap_default(soap);
    text.soap_default(soap);
    replyTo.soap_default(soap);
    messageSource.soap_default(soap);
    reportSettings.soap_default(soap);
    clientDetails.soap_default(soap);

    FillCredentials(soap, credentials, wideAccessKey, wideSecretKey);
    input.AuthenticationCredentials = &credentials;
    input.BulkJobDetails = &details;
    request.CreateSMSTextBulkJobInput = &input;

    details.BulkJobName = &wideJobName;
    details.MessageType = ns1__MessageTypes__Text;
    text.MessageBody = &wideMessageText;
    details.Message = &text;
    details.MaxConCatMsgs = static_cast<int>(submission.m_MaxConCat);
    switch (submission.m_SenderType)
    {
    case sstUserDefined:
        details.OAType = ns1__OATypes__UserDefined;
        details.From = &wideSenderId;
        break;
    case sstReplyable:
        details.OAType = ns1__OATypes__DynamicRouting;
        details.From = &emptyFrom;
        break;
    case sstUseAccountSettings:
        details.OAType = ns1__OATypes__Unspecified;
        details.From = &emptyFrom;
        break;
    default:
        details.OAType = ns1__OATypes__Unspecified;
        details.From = &wideSenderId;
        break;
    }

    // The schedule's wall-clock fields become seconds without a zone step;
    // the wire text carries them back with the local offset.
    time_t scheduledDate = 0;
    if (submission.m_ScheduledTime.wDay != 0)
    {
        std::int64_t seconds = 0;
        CDateTimeUtils::SystemTimeToUnixTime(submission.m_ScheduledTime, seconds);
        scheduledDate = static_cast<time_t>(seconds);
        details.ScheduledDate = &scheduledDate;
    }

    if (submission.m_ReplyTo.m_InterfaceId != 0)
    {
        replyTo.Interface = static_cast<ns1__Interfaces>(ConvertToWebServiceInterface(submission.m_ReplyTo.m_InterfaceId));
        replyTo.Id = const_cast<std::wstring*>(&submission.m_ReplyTo.m_Id);
        replyTo.Name = const_cast<std::wstring*>(&submission.m_ReplyTo.m_Name);
        details.ReplyTo = &replyTo;
    }
    if (submission.m_MessageSource.m_InterfaceId != 0)
    {
        messageSource.Interface =
            static_cast<ns1__Interfaces>(ConvertToWebServiceInterface(submission.m_MessageSource.m_InterfaceId));
        messageSource.Id = const_cast<std::wstring*>(&submission.m_MessageSource.m_Id);
        messageSource.Name = const_cast<std::wstring*>(&submission.m_MessageSource.m_Name);
        details.MessageSource = &messageSource;
    }
    if (submission.m_DeliveryReportSetting != 3)
    {
        reportSettings.RoutingType = static_cast<ns1__RoutingTypes>(ConvertToWebServiceRoutingType(submission.m_RoutingType));
        reportSettings.StatusFlags = static_cast<ns1__StatusCodeFlags>(ConvertToWebServiceReportingSettingStatusFlags(
            submission.m_DeliveryReportSetting, submission.m_DeliveryReportStatusMask));
        details.ReportSettings = &reportSettings;
    }

    clientDetails.ClientId = &wideClientId;
    clientDetails.ClientVersion = &wideClientVersion;
    clientDetails.AppId = &wideAppId;
    clientDetails.AppVersion = &wideAppVersion;
    clientDetails.AppLicence = &wideAppLicence;
    details.ClientDetails = &clientDetails;

    SetTimeout(m_Proxy, kCreateTimeout);
    if (m_Proxy.__ns2__CreateSMSTextBulkJob(&request, &response) != SOAP_OK)
        ThrowSoapCallException(context.c_str(), m_Proxy);
    const ns1__CreateSMSTextBulkJobOutput* result = response.CreateSMSTextBulkJobResult;
    if (!result)
        throw CGeneralException(context + " - pResult is NULL", E_FAIL);

    jobId->clear();
    if (result->BulkJobId)
        *jobId = WideToAnsi(*result->BulkJobId);
    return static_cast<int>(ConvertFromWebReturnCode(static_cast<std::uint32_t>(result->ErrorCode)));
}

template <class Request, class Response, class Input, class Output, class Fill>
const Output& CZentavoSMSBulkSMSWebServiceClient_gSoap::CallJobOperation(
    const char* name, std::uint32_t timeout, const std::string& accessKey, const std::string& secretKey,
    const std::string& jobId, int (ZentavoBulkJobSoap::*operation)(Request*, Response*),
    Input* Request::*inputMember, Output* Response::*resultMember, Fill fill)
{
    const std::string context = std::string(kClassPrefix) + name;
    std::wstring wideAccessKey = AnsiToWide(accessKey);
    std::wstring wideSecretKey = AnsiToWide(secretKey);
    std::wstring wideJobId = AnsiToWide(jobId);

    struct soap* soap = m_Proxy.soap;
    Request request;
    Response response;
    Input input;
    ns1__AuthenticationCredentialsAccessKeyAndSecretKey credentials;
    request.soap_default(soap);
    response.soap_default(soap);
    input.soap_default(soap);
    FillCredentials(soap, credentials, wideAccessKey, wideSecretKey);
    input.AuthenticationCredentials = &credentials;
    input.BulkJobId = &wideJobId;
    fill(input);
    request.*inputMember = &input;

    SetTimeout(m_Proxy, timeout);
    if ((m_Proxy.*operation)(&request, &response) != SOAP_OK)
        ThrowSoapCallException(context.c_str(), m_Proxy);
    const Output* result = response.*resultMember;
    if (!result)
        throw CGeneralException(context + " - pResult is NULL", E_FAIL);
    return *result;
}

namespace
{
template <class Input>
void NothingMore(Input&)
{
}

template <class Output>
int ReturnCodeOf(const Output& result)
{
    return static_cast<int>(
        CZentavoSMSBulkSMSWebServiceClient_gSoap::ConvertFromWebReturnCode(static_cast<std::uint32_t>(result.ErrorCode)));
}
} // namespace

int CZentavoSMSBulkSMSWebServiceClient_gSoap::AppendRecipients(const std::string& accessKey,
                                                               const std::string& secretKey,
                                                               const std::string& jobId,
                                                               const std::wstring* recipients)
{
    return ReturnCodeOf(CallJobOperation(
        "AppendRecipients", kAppendTimeout, accessKey, secretKey, jobId, &ZentavoBulkJobSoap::__ns2__AppendRecipients,
        &_ns1__AppendRecipients::AppendRecipientsInput, &_ns1__AppendRecipientsResponse::AppendRecipientsResult,
        [recipients](ns1__AppendRecipientsInput& input) { input.RecipientList = const_cast<std::wstring*>(recipients); }));
}

int CZentavoSMSBulkSMSWebServiceClient_gSoap::SetBulkJobReady(const std::string& accessKey,
                                                              const std::string& secretKey, const std::string& jobId)
{
    return ReturnCodeOf(CallJobOperation(
        "SetBulkJobReady", kJobTimeout, accessKey, secretKey, jobId, &ZentavoBulkJobSoap::__ns2__SetBulkJobReady,
        &_ns1__SetBulkJobReady::SetBulkJobReadyInput, &_ns1__SetBulkJobReadyResponse::SetBulkJobReadyResult,
        NothingMore<ns1__SetBulkJobReadyInput>));
}

int CZentavoSMSBulkSMSWebServiceClient_gSoap::PauseBulkJob(const std::string& accessKey, const std::string& secretKey,
                                                           const std::string& jobId)
{
    return ReturnCodeOf(CallJobOperation(
        "PauseBulkJob", kJobTimeout, accessKey, secretKey, jobId, &ZentavoBulkJobSoap::__ns2__PauseBulkJob,
        &_ns1__PauseBulkJob::PauseBulkJobInput, &_ns1__PauseBulkJobResponse::PauseBulkJobResult,
        NothingMore<ns1__PauseBulkJobInput>));
}

int CZentavoSMSBulkSMSWebServiceClient_gSoap::RestartBulkJob(const std::string& accessKey,
                                                             const std::string& secretKey, const std::string& jobId)
{
    return ReturnCodeOf(CallJobOperation(
        "RestartBulkJob", kJobTimeout, accessKey, secretKey, jobId, &ZentavoBulkJobSoap::__ns2__RestartBulkJob,
        &_ns1__RestartBulkJob::RestartBulkJobInput, &_ns1__RestartBulkJobResponse::RestartBulkJobResult,
        NothingMore<ns1__RestartBulkJobInput>));
}

int CZentavoSMSBulkSMSWebServiceClient_gSoap::AbortBulkJob(const std::string& accessKey, const std::string& secretKey,
                                                           const std::string& jobId)
{
    return ReturnCodeOf(CallJobOperation(
        "AbortBulkJob", kJobTimeout, accessKey, secretKey, jobId, &ZentavoBulkJobSoap::__ns2__AbortBulkJob,
        &_ns1__AbortBulkJob::AbortBulkJobInput, &_ns1__AbortBulkJobResponse::AbortBulkJobResult,
        NothingMore<ns1__AbortBulkJobInput>));
}

int CZentavoSMSBulkSMSWebServiceClient_gSoap::GetBulkJobStatus(const std::string& accessKey,
                                                               const std::string& secretKey,
                                                               const std::string& jobId,
                                                               BulkJobStatusDetails& details)
{
    details = BulkJobStatusDetails();
    const ns1__GetBulkJobStatusOutput& result = CallJobOperation(
        "GetBulkJobStatus", kJobTimeout, accessKey, secretKey, jobId, &ZentavoBulkJobSoap::__ns2__GetBulkJobStatus,
        &_ns1__GetBulkJobStatus::GetBulkJobStatusInput, &_ns1__GetBulkJobStatusResponse::GetBulkJobStatusResult,
        NothingMore<ns1__GetBulkJobStatusInput>);
    const int code = ReturnCodeOf(result);
    if (code == OK)
    {
        details.Status = ConvertFromWebBulkJobStatusId(static_cast<std::uint32_t>(result.StatusId));
        details.ScheduledTime = static_cast<double>(result.ScheduledDate);
        details.TotalRecipients = result.TotalRecipients;
        details.MsgProcessed = result.MsgProcessed;
        details.MsgSent = result.MsgSent;
    }
    return code;
}

// Applies a time-out only when the WinINet transport is the context's
// plug-in: the one registered last heads the list.
void CZentavoSMSBulkSMSWebServiceClient_gSoap::SetTimeout(ZentavoBulkJobSoap& proxy, std::uint32_t milliseconds)
{
    const int seconds = static_cast<int>((static_cast<std::int64_t>(milliseconds) + 999) / 1000);
    struct soap* soap = proxy.soap;
    if (!soap || !soap->plugins || !soap->plugins->id || std::strcmp(soap->plugins->id, WININET_PLUGIN_ID) != 0)
        return;
    soap->recv_timeout = seconds;
    soap->send_timeout = seconds;
    soap->connect_timeout = seconds;
    soap->accept_timeout = seconds;
    wininet_apply_timeouts(soap);
}

// The reason is the SOAP 1.2 fault text of this call's reply, or the
// runtime's description of what it could not read. A reply that is not the
// service's under a status of 400 to 499 was a refusal on the way.
void CZentavoSMSBulkSMSWebServiceClient_gSoap::ThrowSoapCallException(const char* context, ZentavoBulkJobSoap& proxy)
{
    const DWORD status = proxy.soap ? wininet_reply_status(proxy.soap) : 0;
    if (proxy.soap && !IsServiceFault(proxy.soap->error) && CHTTPRefusalException::IsRefusalStatus(status))
        throw CHTTPRefusalException(std::string(context) + " - Refused before the service (HTTP status " +
                                        std::to_string(status) + ")",
                                    status);
    std::string reason = "Unknown Soap Fault";
    const struct soap* soap = proxy.soap;
    if (soap && soap->fault && soap->fault->SOAP_ENV__Reason && soap->fault->SOAP_ENV__Reason->SOAP_ENV__Text)
        reason = soap->fault->SOAP_ENV__Reason->SOAP_ENV__Text;
    const int error = soap ? soap->error : -1;
    if (error == SOAP_HTTP_ERROR)
        throw CHTTPException("HTTP Error", E_FAIL);
    throw CGeneralException(std::string(context) + " - Soap call failed" + " (" + reason + ", Error:" +
                                std::to_string(error) + ")",
                            E_FAIL);
}

std::uint32_t CZentavoSMSBulkSMSWebServiceClient_gSoap::ConvertFromWebReturnCode(std::uint32_t exceptionType)
{
    // The service's ExceptionTypes, in order, as gateway status codes of the same name.
    static const std::uint32_t codes[] = {
        OK, GATEWAY_ERROR, INVALID_NUMBER, INVALID_REQUEST, UNKNOWN, NO_TO, NO_USERNAME,
        NO_PASSWORD, NO_TEXT, TOO_MANY_NUMBERS, INSUFFICIENT_CREDIT, LOGIN_INVALID, INTERNAL_ERROR,
        PARAMETER_MISSING, PARAMETER_INVALID, ACCOUNT_EXISTS, NO_MSGID, MSGID_INVALID,
        DAILY_ALLOWANCE_EXCEEDED, MONTHLY_ALLOWANCE_EXCEEDED, AUTH_PARAMETER_MISSING,
        AUTH_PARAMETER_INVALID, CONNECTION_NOT_SECURE, MFA_REQUIRED, DUPLICATE_NAME, UPGRADE_CLIENTAPP};
    if (exceptionType >= sizeof(codes) / sizeof(codes[0]))
        ThrowNotSupported("ConvertFromWebReturnCode");
    return codes[exceptionType];
}

std::uint32_t CZentavoSMSBulkSMSWebServiceClient_gSoap::ConvertFromWebBulkJobStatusId(std::uint32_t statusId)
{
    if (statusId > ns1__BulkJobStatus__Paused)
        ThrowNotSupported("ConvertFromWebBulkJobStatusId");
    return statusId;
}

std::uint32_t CZentavoSMSBulkSMSWebServiceClient_gSoap::ConvertToWebServiceInterface(std::uint32_t interfaceId)
{
    if (interfaceId != kZentavoSMSOutlookAddinInterfaceId)
        ThrowNotSupported("ConvertToWebServiceInterface");
    return ns1__Interfaces__ZentavoSMSOutlookAddin;
}

std::uint32_t CZentavoSMSBulkSMSWebServiceClient_gSoap::ConvertToWebServiceRoutingType(std::uint32_t routingType)
{
    if (routingType > ns1__RoutingTypes__MsgSource)
        ThrowNotSupported("ConvertToWebServiceRoutingType");
    return routingType;
}

std::uint32_t CZentavoSMSBulkSMSWebServiceClient_gSoap::ConvertToWebServiceReportingSettingStatusFlags(
    std::uint32_t deliveryReportSetting, std::uint32_t statusMask)
{
    std::uint32_t flags = ns1__StatusCodeFlags__None;
    if (deliveryReportSetting == drsNoReports)
        return flags;
    if (deliveryReportSetting != drsReportStatuses)
        ThrowNotSupported("ConvertToWebServiceReportingSettingStatusFlags", "DeliveryReportSetting value not supported");
    if (statusMask & drsfMessageSent)
        AddStatusCodeFlag(flags, ns1__StatusCodeFlags__MessageSent);
    if (statusMask & drsfDeliverySuccess)
        AddStatusCodeFlag(flags, ns1__StatusCodeFlags__DeliverySuccess);
    if (statusMask & drsfDeliveryFailure)
        AddStatusCodeFlag(flags, ns1__StatusCodeFlags__DeliveryFailure);
    if (statusMask & drsfMessageExpired)
        AddStatusCodeFlag(flags, ns1__StatusCodeFlags__MessageExpired);
    return flags;
}

void CZentavoSMSBulkSMSWebServiceClient_gSoap::AddStatusCodeFlag(std::uint32_t& flags, std::uint32_t flag)
{
    flags |= flag;
}
