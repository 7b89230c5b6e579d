#include "gateway/SMSGatewayService.h"

#include "core/ErrorReports.h"
#include "core/Exceptions.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <iterator>

namespace
{
// The "Invalid Response" and "Unrecognised Status" events keep this fixed
// source, whatever the process-wide name is.
const char kTransportEventSource[] = "CorvasseServer";
const WORD kErrorEvent = EVENTLOG_ERROR_TYPE;

const DWORD kFailoverWindowMs = 300000;
const long long kLongestRequestedDelaySeconds = 120;
const DWORD kFallbackDelaySeconds = 15;

struct ErrorName
{
    const char* name;
    SMSGatewayResultCode code;
};

// Search order matters: the AUTH_PARAMETER_ names contain PARAMETER_MISSING
// and PARAMETER_INVALID and must be found first.
const ErrorName kErrorNames[] = {
    {"NO_USERNAME", NO_USERNAME},
    {"NO_PASSWORD", NO_PASSWORD},
    {"NO_TO", NO_TO},
    {"NO_TEXT", NO_TEXT},
    {"LOGIN_INVALID", LOGIN_INVALID},
    {"INSUFFICIENT_CREDIT", INSUFFICIENT_CREDIT},
    {"GATEWAY_ERROR", GATEWAY_ERROR},
    {"INTERNAL_ERROR", INTERNAL_ERROR},
    {"INVALID_NUMBER", INVALID_NUMBER},
    {"INVALID_REQUEST", INVALID_REQUEST},
    {"MSGID_INVALID", MSGID_INVALID},
    {"AUTH_PARAMETER_MISSING", AUTH_PARAMETER_MISSING},
    {"AUTH_PARAMETER_INVALID", AUTH_PARAMETER_INVALID},
    {"PARAMETER_MISSING", PARAMETER_MISSING},
    {"PARAMETER_INVALID", PARAMETER_INVALID},
    {"ACCOUNT_EXISTS", ACCOUNT_EXISTS},
    {"TOO_MANY_NUMBERS", TOO_MANY_NUMBERS},
    {"NO_MSGID", NO_MSGID},
    {"DAILY_ALLOWANCE_EXCEEDED", DAILY_ALLOWANCE_EXCEEDED},
    {"MONTHLY_ALLOWANCE_EXCEEDED", MONTHLY_ALLOWANCE_EXCEEDED},
    {"CONNECTION_NOT_SECURE", CONNECTION_NOT_SECURE},
    {"MFA_REQUIRED", MFA_REQUIRED},
    {"DUPLICATE_NAME", DUPLICATE_NAME},
    {"UPGRADE_CLIENTAPP", UPGRADE_CLIENTAPP},
};

// WinINet failures after which no byte of the request can have reached the
// server.
const DWORD kUnsentRequestErrors[] = {
    ERROR_INTERNET_INVALID_URL,
    ERROR_INTERNET_UNRECOGNIZED_SCHEME,
    ERROR_INTERNET_NAME_NOT_RESOLVED,
    ERROR_INTERNET_CANNOT_CONNECT,
    ERROR_INTERNET_PROXY_SERVER_UNREACHABLE,
    ERROR_INTERNET_SEC_CERT_DATE_INVALID,
    ERROR_INTERNET_SEC_CERT_CN_INVALID,
    ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED,
    ERROR_INTERNET_INVALID_CA,
    ERROR_INTERNET_SEC_CERT_ERRORS,
    ERROR_INTERNET_SEC_CERT_NO_REV,
    ERROR_INTERNET_SEC_CERT_REV_FAILED,
    ERROR_INTERNET_SECURITY_CHANNEL_ERROR,
    ERROR_INTERNET_SEC_INVALID_CERT,
    ERROR_INTERNET_SEC_CERT_REVOKED,
};

// Fields whose values never reach a report.
const char* const kMaskedFields[] = {"secretkey=", "password="};
const char kMask[] = "*******";
// Reply fields that carry an authentication factor's keys.
const char* const kMaskedReplyFields[] = {"PUBLICFIELD:", "SECRETFIELD:"};

std::atomic<GatewayDelayWaitFn> g_DelayWait{nullptr};

// Ends early only when the service is aborted: nobody else sets the event.
void WaitForDelay(DWORD milliseconds, HANDLE abortEvent)
{
    GatewayDelayWaitFn wait = g_DelayWait.load();
    if (wait != nullptr)
        wait(milliseconds);
    else
        ::WaitForSingleObject(abortEvent, milliseconds);
}

DWORD DelayMilliseconds(const std::string& value)
{
    const long long seconds = CSMSGatewayService::ParseInteger(value);
    // A negative or excessive request must not freeze the caller's thread.
    if (seconds < 0 || seconds > kLongestRequestedDelaySeconds)
        return kFallbackDelaySeconds * 1000;
    return static_cast<DWORD>(seconds) * 1000;
}

bool IsServerFailure(SMSGatewayResultCode status)
{
    return status == GATEWAY_ERROR || status == INTERNAL_ERROR || status == CONNECTION_ERROR;
}

std::string MaskField(const std::string& form, const std::string& field)
{
    const std::string::size_type found = form.find(field);
    if (found == std::string::npos)
        return form;
    const std::string::size_type start = found + field.size();
    const std::string::size_type next = form.find('&', start);
    std::string masked = form.substr(0, start) + kMask;
    if (next != std::string::npos)
        masked += form.substr(next);
    return masked;
}

// Every value of the field, up to its line's end, hidden.
std::string MaskReplyField(std::string reply, const std::string& field)
{
    for (std::string::size_type found = reply.find(field); found != std::string::npos;
         found = reply.find(field, found + field.size()))
    {
        const std::string::size_type start = found + field.size();
        const std::string::size_type end = reply.find_first_of("\r\n", start);
        reply.replace(start, (end == std::string::npos ? reply.size() : end) - start, kMask);
    }
    return reply;
}
} // namespace

// Both start null when the module loads.
CSharedTickCountTime g_PrimaryServerLastFailure;
CSharedTickCountTime g_BackupServerLastFailure;

namespace
{
const std::uint64_t kTimeIsSet = 1ull << 32;
} // namespace

CTickCountTime CSharedTickCountTime::Load() const
{
    const std::uint64_t value = m_Value.load();
    if ((value & kTimeIsSet) == 0)
        return CTickCountTime();
    return CTickCountTime(static_cast<DWORD>(value));
}

void CSharedTickCountTime::Store(const CTickCountTime& time)
{
    m_Value.store(time.IsNull() ? 0 : kTimeIsSet | time.GetTick());
}

void CSharedTickCountTime::SetToNow()
{
    CTickCountTime now;
    now.SetToNow();
    Store(now);
}

void CSharedTickCountTime::SetNull()
{
    Store(CTickCountTime());
}

void SetGatewayDelayWaitFunction(GatewayDelayWaitFn wait)
{
    g_DelayWait.store(wait);
}

CSMSGatewayService::CSMSGatewayService() : m_AbortEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

CSMSGatewayService::~CSMSGatewayService()
{
    try
    {
        Close();
    }
    catch (...)
    {
    }
}

void CSMSGatewayService::Close()
{
    m_HTTPConnection.Close();
}

void CSMSGatewayService::Abort()
{
    m_HTTPConnection.Abort();
    ::SetEvent(m_AbortEvent.get());
}

void CSMSGatewayService::SetServers(const std::string& primaryServer, const std::string& backupServer,
                                    const std::string& proxyServer, const std::string& proxyUsername,
                                    const std::string& proxyPassword)
{
    if (proxyServer.empty())
        m_HTTPConnection.SetProxyUsernameAndPassword(false, false, std::string(), std::string(), std::string());
    else
        m_HTTPConnection.SetProxyUsernameAndPassword(false, true, proxyServer, proxyUsername, proxyPassword);
    m_PrimaryServer = primaryServer;
    m_BackupServer = backupServer;
}

void CSMSGatewayService::SetClientDetails(const std::string& clientDetails)
{
    m_ClientDetails = clientDetails;
}

std::string CSMSGatewayService::MakeHTTPRequestWithDelay(CSMSGatewayRequestOptions* options, const std::string& page,
                                                         const std::string& form, const std::string& expected,
                                                         BYTE appendClientDetails, std::string& rawReply,
                                                         SMSGatewayResultCode& status)
{
    rawReply.clear();
    std::string value =
        MakeHTTPRequestWithFailover(options, page, form, expected, appendClientDetails, rawReply, status);
    if (status != DELAY_REQUESTED)
        return value;

    // The wait blocks the calling thread; there is never a third attempt.
    WaitForDelay(DelayMilliseconds(value), m_AbortEvent.get());
    if (m_HTTPConnection.IsAborted())
    {
        status = CONNECTION_ERROR;
        return std::string();
    }
    value = MakeHTTPRequestWithFailover(options, page, form, expected, appendClientDetails, rawReply, status);
    if (status == DELAY_REQUESTED)
        status = DELAY_REPEATED;
    return value;
}

std::string CSMSGatewayService::MakeHTTPRequestWithFailover(CSMSGatewayRequestOptions* options,
                                                            const std::string& page, const std::string& form,
                                                            const std::string& expected, BYTE appendClientDetails,
                                                            std::string& rawReply, SMSGatewayResultCode& status)
{
    status = UNKNOWN;
    rawReply.clear();
    std::string value;

    CTickCountTime threshold;
    threshold.SetToNow();
    threshold -= kFailoverWindowMs;

    const bool allowFailover = options == nullptr || options->m_AllowFailover != 0;
    const int attempts = allowFailover ? 2 : 1;
    bool previousWasBackup = false;

    for (int attempt = 0; attempt < attempts; ++attempt)
    {
        const CTickCountTime primaryFailure = g_PrimaryServerLastFailure.Load();
        bool usePrimary = !allowFailover || primaryFailure.IsNull() || primaryFailure < threshold;
        if (!usePrimary)
        {
            const CTickCountTime backupFailure = g_BackupServerLastFailure.Load();
            if (!backupFailure.IsNull() && !(backupFailure < threshold) && previousWasBackup)
                usePrimary = true;
        }

        const std::string url = (usePrimary ? m_PrimaryServer : m_BackupServer) + "/" + page;
        std::string body = form;
        // The backup server never receives the client details.
        if (appendClientDetails != 0 && usePrimary && !m_ClientDetails.empty())
            body += "&" + m_ClientDetails;

        value = MakeHTTPRequest(options, url, body, expected, rawReply, status);
        // An abort says nothing about the server.
        if (m_HTTPConnection.IsAborted())
            break;

        CSharedTickCountTime& lastFailure = usePrimary ? g_PrimaryServerLastFailure : g_BackupServerLastFailure;
        lastFailure.SetNull();
        previousWasBackup = !usePrimary;

        if (!allowFailover || !IsServerFailure(status))
            break;
        lastFailure.SetToNow();
    }
    return value;
}

std::string CSMSGatewayService::MakeHTTPRequest(CSMSGatewayRequestOptions* options, const std::string& url,
                                                const std::string& form, const std::string& expected,
                                                std::string& rawReply, SMSGatewayResultCode& status)
{
    status = UNKNOWN;
    rawReply.clear();

    CHTTPRequestOptions httpOptions;
    if (options != nullptr)
        httpOptions.m_TimeoutMs = options->m_HTTPOptions.m_TimeoutMs;
    auto copyOutcome = [&]() {
        if (options == nullptr)
            return;
        options->m_HTTPOptions.m_Failed = httpOptions.m_Failed;
        options->m_HTTPOptions.m_Win32Error = httpOptions.m_Win32Error;
        options->m_HTTPOptions.m_Win32ErrorKnown = httpOptions.m_Win32ErrorKnown;
        options->m_HTTPOptions.m_HTTPStatus = httpOptions.m_HTTPStatus;
    };

    std::string reply;
    try
    {
        try
        {
            reply = m_HTTPConnection.Post(options != nullptr ? &httpOptions : nullptr, url, form);
        }
        catch (...)
        {
            copyOutcome();
            throw;
        }
        copyOutcome();
    }
    catch (const CHTTPException& e)
    {
        if (!m_HTTPConnection.IsAborted())
            ReportGeneralExceptionOfKind(e, "CSMSGatewayProxy::MakeHTTPRequest", "HTTP",
                                         "\nURL:" + url + "\nPostData:" + MaskSecretKey(form));
        status = CONNECTION_ERROR;
        return std::string();
    }

    rawReply = reply;
    std::string value;
    status = ParseResponse(reply, expected, value);
    return value;
}

SMSGatewayResultCode CSMSGatewayService::ParseResponse(const std::string& reply, const std::string& expected,
                                                       std::string& value)
{
    value.clear();
    std::string::size_type found = reply.find(expected);
    if (found != std::string::npos)
    {
        value = ExtractValue(reply, found + expected.size());
        return OK;
    }
    static const std::string kDelay = "DELAY:";
    found = reply.find(kDelay);
    if (found != std::string::npos)
    {
        value = ExtractValue(reply, found + kDelay.size());
        return DELAY_REQUESTED;
    }
    if (reply.find("ERR:") != std::string::npos)
        return GetStatusFromErrorText(reply);

    CEventLogger::WriteEvent(kErrorEvent, "CSMSGatewayProxy::MakeHTTPRequest - Invalid Response: " + MaskReplyKeys(reply),
                             kTransportEventSource);
    return CONNECTION_ERROR;
}

std::string CSMSGatewayService::ExtractValue(const std::string& text, std::string::size_type markerEnd)
{
    if (markerEnd >= text.size())
        return std::string();
    const std::string::size_type lastDigit = text.find_last_of("0123456789");
    if (lastDigit == std::string::npos || lastDigit < markerEnd)
        return text.substr(markerEnd);
    return text.substr(markerEnd, lastDigit - markerEnd + 1);
}

long long CSMSGatewayService::ParseInteger(const std::string& text)
{
    const long long limit = 1000000000000LL;
    std::string::size_type pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    long long value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        if (value < limit)
            value = value * 10 + (text[pos] - '0');
    return negative ? -value : value;
}

bool CSMSGatewayService::MayHaveReachedServer(const CHTTPRequestOptions& outcome)
{
    if (!outcome.m_Failed || !outcome.m_Win32ErrorKnown)
        return true;
    return std::find(std::begin(kUnsentRequestErrors), std::end(kUnsentRequestErrors), outcome.m_Win32Error) ==
           std::end(kUnsentRequestErrors);
}

bool CSMSGatewayService::MayHaveBeenCarriedOut(SMSGatewayResultCode status, const CHTTPRequestOptions& outcome)
{
    if (WasRefusedBeforeGateway(status, outcome))
        return false;
    return status == UNKNOWN || (status == CONNECTION_ERROR && MayHaveReachedServer(outcome));
}

bool CSMSGatewayService::WasRefusedBeforeGateway(SMSGatewayResultCode status, const CHTTPRequestOptions& outcome)
{
    return (status == UNKNOWN || status == CONNECTION_ERROR) &&
           CHTTPRefusalException::IsRefusalStatus(outcome.m_HTTPStatus);
}

SMSGatewayResultCode CSMSGatewayService::GetStatusFromErrorText(const std::string& text)
{
    for (const ErrorName& entry : kErrorNames)
        if (text.find(entry.name) != std::string::npos)
            return entry.code;
    CEventLogger::WriteEvent(kErrorEvent, "CSMSGatewayProxy::MakeHTTPRequest - Unrecognised Status: " + MaskReplyKeys(text),
                             kTransportEventSource);
    return UNKNOWN;
}

std::string CSMSGatewayService::MaskReplyKeys(const std::string& reply)
{
    std::string masked = reply;
    for (const char* field : kMaskedReplyFields)
        masked = MaskReplyField(masked, field);
    return masked;
}

std::string CSMSGatewayService::MaskSecretKey(const std::string& form)
{
    std::string masked = form;
    for (const char* field : kMaskedFields)
        masked = MaskField(masked, field);
    return masked;
}
