// The WinINet transport of the gSOAP runtime; see GSoapWinInet.h.
#include "platform/GSoapWinInet.h"

#include <atomic>
#include <climits>
#include <new>

namespace
{
std::atomic<WinInetErrorDialogFn> g_ErrorDialogSink{nullptr};

// A server that keeps asking for credentials must not keep the user in a
// loop of dialogues for ever.
constexpr int MaxCredentialPrompts = 5;

CGSoapWinInetTransport* TransportOf(struct soap* soap)
{
    return static_cast<CGSoapWinInetTransport*>(soap_lookup_plugin(soap, WININET_PLUGIN_ID));
}

// A context whose plug-in data could not be made: every connection fails,
// rather than falling back to gSOAP's own sockets, which know no proxy
// settings and no TLS.
int RefuseConnect(struct soap* soap, const char*, const char*, int)
{
    return soap->error = SOAP_EOM;
}

int NoTransport(struct soap* soap)
{
    return soap->error = SOAP_HTTP_ERROR;
}

int OnConnect(struct soap* soap, const char* endpoint, const char*, int)
{
    CGSoapWinInetTransport* transport = TransportOf(soap);
    return transport ? transport->Connect(soap, endpoint) : NoTransport(soap);
}

int OnPost(struct soap* soap, const char* endpoint, const char* host, int port, const char* path,
           const char* action, ULONG64 count)
{
    CGSoapWinInetTransport* transport = TransportOf(soap);
    return transport ? transport->Post(soap, endpoint, host, port, path, action, count) : NoTransport(soap);
}

int OnPostHeader(struct soap* soap, const char* key, const char* value)
{
    CGSoapWinInetTransport* transport = TransportOf(soap);
    return transport ? transport->AddHeader(soap, key, value) : NoTransport(soap);
}

int OnSend(struct soap* soap, const char* data, size_t length)
{
    CGSoapWinInetTransport* transport = TransportOf(soap);
    return transport ? transport->AppendBody(soap, data, length) : NoTransport(soap);
}

size_t OnReceive(struct soap* soap, char* buffer, size_t length)
{
    CGSoapWinInetTransport* transport = TransportOf(soap);
    if (!transport)
    {
        NoTransport(soap);
        return 0;
    }
    return transport->Receive(soap, buffer, length);
}

int OnClose(struct soap* soap)
{
    if (CGSoapWinInetTransport* transport = TransportOf(soap))
        transport->Close();
    return SOAP_OK;
}

void OnDelete(struct soap*, struct soap_plugin* plugin)
{
    delete static_cast<CGSoapWinInetTransport*>(plugin->data);
    plugin->data = nullptr;
}

// A second registration on the same context is dropped by the runtime, which
// deletes it at once; it owns nothing.
void OnDeleteDuplicate(struct soap*, struct soap_plugin*)
{
}

const char* VerbOf(const struct soap* soap)
{
    switch (soap->status)
    {
    case SOAP_GET:
        return "GET";
    case SOAP_PUT:
        return "PUT";
    case SOAP_PATCH:
        return "PATCH";
    case SOAP_DEL:
        return "DELETE";
    case SOAP_HEAD:
        return "HEAD";
    case SOAP_OPTIONS:
        return "OPTIONS";
    default:
        return "POST";
    }
}

bool HasLineBreak(const char* text)
{
    for (; *text; ++text)
        if (*text == '\r' || *text == '\n')
            return true;
    return false;
}

// WinINet's own text for its errors, the system's for the others.
std::string DescribeError(DWORD error)
{
    char* text = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    HMODULE wininet = ::GetModuleHandleA("wininet.dll");
    if (error >= INTERNET_ERROR_BASE && error <= INTERNET_ERROR_LAST && wininet)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    DWORD length = ::FormatMessageA(flags, wininet, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string description;
    if (length && text)
        description.assign(text, length);
    ::LocalFree(text);
    while (!description.empty() && (description.back() == '\r' || description.back() == '\n' ||
                                     description.back() == ' ' || description.back() == '.'))
        description.pop_back();
    return description;
}

bool ApplyTimeout(HINTERNET handle, DWORD option, int seconds)
{
    if (seconds < 1)
        return true;
    DWORD milliseconds = static_cast<DWORD>(seconds) <= ULONG_MAX / 1000 ? static_cast<DWORD>(seconds) * 1000
                                                                         : ULONG_MAX;
    return ::InternetSetOptionA(handle, option, &milliseconds, sizeof milliseconds) != FALSE;
}

bool SetTimeouts(HINTERNET handle, const struct soap* soap)
{
    if (!handle)
        return true;
    bool applied = ApplyTimeout(handle, INTERNET_OPTION_CONNECT_TIMEOUT, soap->connect_timeout);
    applied = ApplyTimeout(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, soap->recv_timeout) && applied;
    return ApplyTimeout(handle, INTERNET_OPTION_SEND_TIMEOUT, soap->send_timeout) && applied;
}

DWORD ShowErrorDialog(HINTERNET request, DWORD error, DWORD flags)
{
    HWND owner = ::GetActiveWindow();
    if (!owner)
        owner = ::GetDesktopWindow();
    if (WinInetErrorDialogFn sink = g_ErrorDialogSink.load())
        return sink(owner, request, error, flags);
    return ::InternetErrorDlg(owner, request, error, flags, nullptr);
}
}  // namespace

int wininet_plugin(struct soap* soap, struct soap_plugin* plugin, void*)
{
    plugin->id = WININET_PLUGIN_ID;
    if (soap_lookup_plugin(soap, WININET_PLUGIN_ID))
    {
        plugin->fdelete = OnDeleteDuplicate;
        return SOAP_OK;
    }
    CGSoapWinInetTransport* transport = new (std::nothrow) CGSoapWinInetTransport(soap->fpost);
    if (!transport)
    {
        soap->fconnect = RefuseConnect;
        return SOAP_EOM;
    }
    plugin->data = transport;
    plugin->fdelete = OnDelete;
    soap->fconnect = OnConnect;
    soap->fpost = OnPost;
    soap->fposthdr = OnPostHeader;
    soap->fsend = OnSend;
    soap->frecv = OnReceive;
    soap->fclose = OnClose;
    // No standard streams behind this context: the runtime would otherwise
    // switch the host process's stdin and stdout to binary mode.
    soap->recvfd = -1;
    soap->sendfd = -1;
    // The body goes to WinINet in one piece anyway: the runtime keeps the
    // whole request and gives its length at the end, rather than writing each
    // request twice (once only to count it). The input's mode must say so
    // too, or the runtime falls back to it after the first request.
    soap->omode = (soap->omode & ~SOAP_IO) | SOAP_IO_STORE;
    soap->imode = (soap->imode & ~SOAP_IO) | SOAP_IO_STORE;
    return SOAP_OK;
}

int wininet_apply_timeouts(struct soap* soap)
{
    CGSoapWinInetTransport* transport = TransportOf(soap);
    return transport ? transport->ApplyTimeouts(soap) : SOAP_HTTP_ERROR;
}

DWORD wininet_reply_status(struct soap* soap)
{
    const CGSoapWinInetTransport* transport = TransportOf(soap);
    return transport ? transport->ReplyStatus() : 0;
}

void SetWinInetErrorDialogSink(WinInetErrorDialogFn sink)
{
    g_ErrorDialogSink.store(sink);
}

CGSoapWinInetTransport::CGSoapWinInetTransport(int (*runtimePost)(struct soap*, const char*, const char*, int,
                                                                  const char*, const char*, ULONG64))
    : m_RuntimePost(runtimePost)
{
    // A failure here is retried at the first connection, which reports it.
    OpenInternet();
}

bool CGSoapWinInetTransport::OpenInternet()
{
    if (!m_Internet)
        m_Internet.reset(::InternetOpenA("gSOAP", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    return static_cast<bool>(m_Internet);
}

int CGSoapWinInetTransport::ApplyTimeouts(const struct soap* soap)
{
    if (!m_Internet)
        return SOAP_HTTP_ERROR;
    bool applied = SetTimeouts(m_Internet.get(), soap);
    applied = SetTimeouts(m_Connection.get(), soap) && applied;
    applied = SetTimeouts(m_Request.get(), soap) && applied;
    return applied ? SOAP_OK : SOAP_HTTP_ERROR;
}

int CGSoapWinInetTransport::Connect(struct soap* soap, const char* endpoint)
{
    Close();
    m_LastError = 0;
    m_ReplyStatus = 0;
    if (!OpenInternet())
        return Fail(soap, "InternetOpen", ::GetLastError());
    if (!SetTimeouts(m_Internet.get(), soap))
        return Fail(soap, "InternetSetOption", ::GetLastError());

    // The endpoint is split here rather than taken from the context: without
    // gSOAP's own TLS the runtime gives "https" endpoints port 80.
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!endpoint || !::InternetCrackUrlA(endpoint, 0, 0, &parts))
        return Fail(soap, "InternetCrackUrl", endpoint ? ::GetLastError() : ERROR_INVALID_PARAMETER);
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)
        return Fail(soap, "InternetCrackUrl", ERROR_INTERNET_UNRECOGNIZED_SCHEME);
    m_Secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    try
    {
        m_Object.assign(parts.lpszUrlPath ? parts.lpszUrlPath : "", parts.dwUrlPathLength);
        if (m_Object.empty())
            m_Object = "/";
        if (parts.lpszExtraInfo)
            m_Object.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    }
    catch (const std::bad_alloc&)
    {
        return soap->error = SOAP_EOM;
    }

    m_Connection.reset(::InternetConnectA(m_Internet.get(), host, parts.nPort, nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 0));
    if (!m_Connection)
        return Fail(soap, "InternetConnect", ::GetLastError());
    SetTimeouts(m_Connection.get(), soap);
    m_State = State::Connected;
    return SOAP_OK;
}

int CGSoapWinInetTransport::Post(struct soap* soap, const char* endpoint, const char* host, int port,
                                 const char* path, const char* action, ULONG64 count)
{
    if (m_State != State::Connected)
        return Fail(soap, "HttpOpenRequest", ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE;
    if (m_Secure)
        flags |= INTERNET_FLAG_SECURE;
    m_Request.reset(::HttpOpenRequestA(m_Connection.get(), VerbOf(soap), m_Object.c_str(), "HTTP/1.1", nullptr,
                                       nullptr, flags, 0));
    if (!m_Request)
        return Fail(soap, "HttpOpenRequest", ::GetLastError());
    SetTimeouts(m_Request.get(), soap);
    m_Body.clear();
    try
    {
        m_Body.reserve(count <= m_Body.max_size() ? static_cast<size_t>(count) : 0);
    }
    catch (const std::bad_alloc&)
    {
        return soap->error = SOAP_EOM;
    }
    m_State = State::RequestOpen;
    // The runtime writes its headers through AddHeader.
    return m_RuntimePost(soap, endpoint, host, port, path, action, count);
}

int CGSoapWinInetTransport::AddHeader(struct soap* soap, const char* key, const char* value)
{
    // The request line and the end of the headers need nothing from WinINet.
    if (!key || !value)
        return SOAP_OK;
    if (m_State != State::RequestOpen)
        return Fail(soap, "HttpAddRequestHeaders", ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    if (HasLineBreak(key) || HasLineBreak(value))
        return Fail(soap, "HttpAddRequestHeaders", ERROR_INVALID_PARAMETER);
    std::string header;
    try
    {
        header.append(key).append(": ").append(value).append("\r\n");
    }
    catch (const std::bad_alloc&)
    {
        return soap->error = SOAP_EOM;
    }
    // Headers that WinINet sets itself (Host, User-Agent) keep WinINet's value.
    if (!::HttpAddRequestHeadersA(m_Request.get(), header.c_str(), static_cast<DWORD>(header.size()),
                                  HTTP_ADDREQ_FLAG_ADD_IF_NEW))
    {
        const DWORD error = ::GetLastError();
        if (error != ERROR_HTTP_HEADER_ALREADY_EXISTS)
            return Fail(soap, "HttpAddRequestHeaders", error);
    }
    return SOAP_OK;
}

int CGSoapWinInetTransport::AppendBody(struct soap* soap, const char* data, size_t length)
{
    if (m_State != State::RequestOpen)
        return Fail(soap, "InternetWriteFile", ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    try
    {
        m_Body.append(data, length);
    }
    catch (const std::bad_alloc&)
    {
        return soap->error = SOAP_EOM;
    }
    catch (const std::length_error&)
    {
        return soap->error = SOAP_EOM;
    }
    return SOAP_OK;
}

size_t CGSoapWinInetTransport::Receive(struct soap* soap, char* buffer, size_t length)
{
    if (m_State == State::RequestOpen && SendRequest(soap) != SOAP_OK)
        return 0;
    if (m_State == State::Failed)
    {
        // The runtime may read again after a failed read; it must keep
        // seeing the transport's error, not an end of file.
        soap->error = SOAP_HTTP_ERROR;
        return 0;
    }
    if (m_State != State::Receiving)
    {
        Fail(soap, "InternetReadFile", ERROR_INTERNET_INCORRECT_HANDLE_STATE);
        return 0;
    }
    DWORD read = 0;
    const DWORD wanted = length > MAXDWORD ? MAXDWORD : static_cast<DWORD>(length);
    if (!::InternetReadFile(m_Request.get(), buffer, wanted, &read))
    {
        Fail(soap, "InternetReadFile", ::GetLastError());
        return 0;
    }
    return read;
}

// Sends the request with the collected body. A server or proxy that asks for
// credentials gets them from the user through Windows' dialogue, and the
// request goes again; certificate errors are never offered for overriding.
int CGSoapWinInetTransport::SendRequest(struct soap* soap)
{
    if (m_Body.size() > MAXDWORD)
        return Fail(soap, "HttpSendRequest", ERROR_INVALID_PARAMETER);
    for (int prompts = 0;; ++prompts)
    {
        if (!::HttpSendRequestA(m_Request.get(), nullptr, 0, m_Body.empty() ? nullptr : &m_Body[0],
                                static_cast<DWORD>(m_Body.size())))
            return Fail(soap, "HttpSendRequest", ::GetLastError());
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!::HttpQueryInfoA(m_Request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                              nullptr))
            return Fail(soap, "HttpQueryInfo", ::GetLastError());
        m_ReplyStatus = status;
        if ((status != HTTP_STATUS_DENIED && status != HTTP_STATUS_PROXY_AUTH_REQ) || prompts == MaxCredentialPrompts)
            break;
        const DWORD answer = ShowErrorDialog(m_Request.get(), ERROR_SUCCESS,
                                            FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS |
                                                FLAGS_ERROR_UI_FLAGS_GENERATE_DATA);
        if (answer != ERROR_INTERNET_FORCE_RETRY)
            break;
        DiscardReply();
    }
    m_State = State::Receiving;
    return SOAP_OK;
}

// Reads away the body of a reply that is answered by sending again.
void CGSoapWinInetTransport::DiscardReply() noexcept
{
    char buffer[4096];
    DWORD read = 0;
    while (::InternetReadFile(m_Request.get(), buffer, sizeof buffer, &read) && read)
    {
    }
}

void CGSoapWinInetTransport::Close() noexcept
{
    m_Request.reset();
    m_Connection.reset();
    std::string().swap(m_Body);
    m_State = State::Idle;
}

// Ends the request: the context gets error 29 with a fault string that names
// the WinINet call and the error.
int CGSoapWinInetTransport::Fail(struct soap* soap, const char* operation, DWORD error)
{
    m_State = State::Failed;
    m_LastError = error;
    std::string text;
    try
    {
        text.append(operation).append(" failed (WinINet error ").append(std::to_string(error));
        const std::string description = DescribeError(error);
        if (!description.empty())
            text.append(": ").append(description);
        text.append(")");
    }
    catch (const std::bad_alloc&)
    {
        return soap->error = SOAP_HTTP_ERROR;
    }
    return soap_set_receiver_error(soap, soap_strdup(soap, text.c_str()), nullptr, SOAP_HTTP_ERROR);
}
