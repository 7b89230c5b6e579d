#include "gateway/HTTPConnection.h"

#include "core/Exceptions.h"

namespace
{
const char kAgentName[] = "ZentavoSMS";
const DWORD kOpenFlags = 0x00800000;
// Without INTERNET_FLAG_KEEP_CONNECTION: on a kept connection that closes
// without an answer WinINet repeats a request unasked, and a send the
// gateway already acted on goes out twice (see Post). WinINet's
// documentation names that flag as required for NTLM and other
// connection-based authentication, so a proxy that authenticates so may
// refuse these requests; that case is untested.
const DWORD kRequestFlags = INTERNET_FLAG_NO_CACHE_WRITE;
const DWORD kReadChunk = 50;

[[noreturn]] void ThrowHTTPException(const char* description)
{
    throw CHTTPException(description, HResultFromLastError());
}

// The answer's HTTP status, 0 when WinINet cannot tell it.
DWORD StatusOf(HINTERNET request)
{
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!CWin32Utils::HttpQueryInfo(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                                    nullptr))
        return 0;
    return status;
}

void SetTimeout(HINTERNET connection, DWORD option, DWORD timeoutMs, const char* failure)
{
    if (!::InternetSetOptionA(connection, option, &timeoutMs, sizeof(timeoutMs)))
        ThrowHTTPException(failure);
}
} // namespace

CHTTPConnectionCached::~CHTTPConnectionCached()
{
    Disconnect();
}

HINTERNET CHTTPConnectionCached::Connect(HINTERNET internet, const std::string& hostName, INTERNET_PORT port)
{
    if (m_Connection && hostName == m_HostName && port == m_Port)
        return m_Connection.get();
    Disconnect();
    HINTERNET connection =
        CWin32Utils::InternetConnect(internet, hostName.c_str(), port, "", "", INTERNET_SERVICE_HTTP, 0, 0);
    if (connection == nullptr)
        ThrowHTTPException("CHTTPConnection::HTTPRequest - InternetConnection Failed");
    m_Connection.reset(connection);
    m_HostName = hostName;
    m_Port = port;
    return connection;
}

void CHTTPConnectionCached::Disconnect()
{
    m_Connection.reset();
    m_HostName.clear();
    m_Port = 0;
}

CHTTPConnection::~CHTTPConnection()
{
    Close();
}

void CHTTPConnection::SetProxyUsernameAndPassword(bool preConfigured, bool namedProxy,
                                                  const std::string& proxyServer, const std::string& proxyUsername,
                                                  const std::string& proxyPassword)
{
    // A second session must not leak the first one.
    Close();

    DWORD accessType = INTERNET_OPEN_TYPE_DIRECT;
    if (preConfigured)
        accessType = INTERNET_OPEN_TYPE_PRECONFIG;
    else if (namedProxy)
        accessType = INTERNET_OPEN_TYPE_PROXY;

    HINTERNET internet = CWin32Utils::InternetOpen(kAgentName, accessType, proxyServer.c_str(), "", kOpenFlags);
    if (internet == nullptr)
        ThrowHTTPException("CHTTPConnection::SetProxyUsernameAndPassword - InternetOpen Failed");
    m_Internet.reset(internet);

    if (!proxyUsername.empty() &&
        !CWin32Utils::InternetSetOption(internet, INTERNET_OPTION_PROXY_USERNAME,
                                        const_cast<char*>(proxyUsername.data()),
                                        static_cast<DWORD>(proxyUsername.size())))
        ThrowHTTPException("CHTTPConnection::SetProxyUsernameAndPassword - InternetSetOption Failed (Username)");

    if (!proxyPassword.empty() &&
        !CWin32Utils::InternetSetOption(internet, INTERNET_OPTION_PROXY_PASSWORD,
                                        const_cast<char*>(proxyPassword.data()),
                                        static_cast<DWORD>(proxyPassword.size())))
        ThrowHTTPException("CHTTPConnection::SetProxyUsernameAndPassword - InternetSetOption Failed (Password)");
}

// Registers the request handle for Abort while the exchange runs; at its
// end the handle goes back to the request's owner unless Abort has closed
// it, in which case the owner must not close it again.
class CHTTPConnection::CActiveRequest
{
public:
    CActiveRequest(CHTTPConnection& connection, CScopedInternetHandle& request)
        : m_Connection(connection), m_Request(request)
    {
        std::lock_guard<std::mutex> lock(m_Connection.m_AbortLock);
        if (m_Connection.m_Aborted)
        {
            m_Request.reset();
            throw CHTTPException("CHTTPConnection::HTTPRequest - Request aborted",
                                 HRESULT_FROM_WIN32(ERROR_INTERNET_OPERATION_CANCELLED));
        }
        m_Connection.m_ActiveRequest = m_Request.get();
        m_Connection.m_ActiveRequestClosed = false;
    }
    ~CActiveRequest()
    {
        std::lock_guard<std::mutex> lock(m_Connection.m_AbortLock);
        m_Connection.m_ActiveRequest = nullptr;
        if (m_Connection.m_ActiveRequestClosed)
            m_Request.release();
    }
    CActiveRequest(const CActiveRequest&) = delete;
    CActiveRequest& operator=(const CActiveRequest&) = delete;

private:
    CHTTPConnection& m_Connection;
    CScopedInternetHandle& m_Request;
};

void CHTTPConnection::Abort()
{
    std::lock_guard<std::mutex> lock(m_AbortLock);
    m_Aborted = true;
    if (m_ActiveRequest && !m_ActiveRequestClosed)
    {
        CWin32Utils::InternetCloseHandle(m_ActiveRequest);
        m_ActiveRequestClosed = true;
    }
}

bool CHTTPConnection::IsAborted() const
{
    std::lock_guard<std::mutex> lock(m_AbortLock);
    return m_Aborted;
}

void CHTTPConnection::Close()
{
    // Children before their session.
    m_Cached.Disconnect();
    m_Internet.reset();
}

// The server ends each connection after its answer (no keep-alive, which
// WinINet would ask for over this header): WinINet repeats a request,
// unasked, when a connection it reused closes without an answer, and a send
// repeated after the gateway acted on it goes out twice. On a connection the
// server has already closed, the repeat is the only attempt it reads.
std::string CHTTPConnection::Post(CHTTPRequestOptions* options, const std::string& url, const std::string& body)
{
    return HTTPRequest(options, "POST", url, "Content-Type: application/x-www-form-urlencoded\r\nConnection: close",
                       body);
}

std::string CHTTPConnection::Post(const std::string& url, const std::string& body)
{
    return Post(nullptr, url, body);
}

std::string CHTTPConnection::Get(CHTTPRequestOptions* options, const std::string& url)
{
    return HTTPRequest(options, "GET", url, std::string(), std::string());
}

std::string CHTTPConnection::Get(const std::string& url)
{
    return Get(nullptr, url);
}

std::string CHTTPConnection::HTTPRequest(const std::string& verb, const std::string& url, const std::string& headers,
                                         const std::string& body)
{
    return HTTPRequest(nullptr, verb, url, headers, body);
}

std::string CHTTPConnection::HTTPRequest(CHTTPRequestOptions* options, const std::string& verb,
                                         const std::string& url, const std::string& headers,
                                         const std::string& body)
{
    if (options != nullptr)
    {
        options->m_Failed = 0;
        options->m_Win32Error = 0;
        options->m_Win32ErrorKnown = 0;
        options->m_HTTPStatus = 0;
    }

    CScopedInternetHandle request;
    try
    {
        try
        {
            return SendAndRead(options, verb, url, headers, body, request);
        }
        catch (const CGeneralException& e)
        {
            if (options != nullptr)
            {
                options->m_Failed = 1;
                DWORD code = options->m_Win32Error;
                CWin32Utils::HResultToWin32Error(e.GetHResult(), code);
                options->m_Win32Error = code;
                options->m_Win32ErrorKnown = 1;
            }
            throw;
        }
    }
    catch (...)
    {
        // The next request connects afresh.
        request.reset();
        m_Cached.Disconnect();
        if (options != nullptr && options->m_Failed == 0)
        {
            options->m_Win32Error = 0;
            options->m_Win32ErrorKnown = 0;
            options->m_Failed = 1;
        }
        throw;
    }
}

std::string CHTTPConnection::SendAndRead(CHTTPRequestOptions* options, const std::string& verb,
                                         const std::string& url, const std::string& headers,
                                         const std::string& body, CScopedInternetHandle& request)
{
    std::string hostName;
    std::string urlPath;
    std::string extraInfo;
    INTERNET_PORT port = 0;
    CrackURL(url, hostName, urlPath, extraInfo, port);

    HINTERNET connection = m_Cached.Connect(m_Internet.get(), hostName, port);

    const DWORD flags = GetRequestFlags(url, port);

    if (options != nullptr)
    {
        SetTimeout(connection, INTERNET_OPTION_CONNECT_TIMEOUT, options->m_TimeoutMs,
                   "CHTTPConnection::HTTPRequest - InternetSetOption Failed (INTERNET_OPTION_CONNECT_TIMEOUT)");
        SetTimeout(connection, INTERNET_OPTION_RECEIVE_TIMEOUT, options->m_TimeoutMs,
                   "CHTTPConnection::HTTPRequest - InternetSetOption Failed (INTERNET_OPTION_RECEIVE_TIMEOUT)");
        SetTimeout(connection, INTERNET_OPTION_SEND_TIMEOUT, options->m_TimeoutMs,
                   "CHTTPConnection::HTTPRequest - InternetSetOption Failed (INTERNET_OPTION_SEND_TIMEOUT)");
    }

    const std::string objectName = urlPath + extraInfo;
    request.reset(CWin32Utils::HttpOpenRequest(connection, verb.c_str(), objectName.c_str(), "HTTP/1.1", nullptr,
                                               nullptr, flags, 0));
    if (!request)
        ThrowHTTPException("CHTTPConnection::HTTPRequest - HttpOpenRequest Failed");
    const CActiveRequest active(*this, request);

    // WinINet takes the body as a non-const pointer but only reads it.
    if (!CWin32Utils::HttpSendRequest(request.get(), headers.empty() ? nullptr : headers.c_str(),
                                      static_cast<DWORD>(headers.size()),
                                      body.empty() ? nullptr : const_cast<char*>(body.data()),
                                      static_cast<DWORD>(body.size())))
        ThrowHTTPException("CHTTPConnection::HTTPRequest - HttpSendRequest Failed");
    if (options != nullptr)
        options->m_HTTPStatus = StatusOf(request.get());

    std::string result;
    char buffer[kReadChunk + 1];
    for (;;)
    {
        DWORD read = 0;
        if (!CWin32Utils::InternetReadFile(request.get(), buffer, kReadChunk, &read))
            ThrowHTTPException("CHTTPConnection::HTTPRequest - InternetReadFile Failed");
        if (read == 0)
            break;
        // A chunk ends at its first zero byte.
        buffer[read] = '\0';
        result.append(buffer);
    }
    return result;
}

DWORD CHTTPConnection::GetRequestFlags(const std::string& url, INTERNET_PORT port)
{
    DWORD flags = kRequestFlags;
    if (port == INTERNET_DEFAULT_HTTPS_PORT || url.compare(0, 6, "https:") == 0)
        flags |= INTERNET_FLAG_SECURE;
    return flags;
}

void CHTTPConnection::CrackURL(const std::string& url, std::string& hostName, std::string& urlPath,
                               std::string& extraInfo, INTERNET_PORT& port)
{
    hostName.clear();
    urlPath.clear();
    extraInfo.clear();

    URL_COMPONENTSA components;
    ::ZeroMemory(&components, sizeof(components));
    components.dwStructSize = sizeof(components);
    // Non-zero lengths with null buffers: WinINet returns pointers into the URL.
    components.dwHostNameLength = 1;
    components.dwUrlPathLength = 1;
    components.dwExtraInfoLength = 1;
    if (!CWin32Utils::InternetCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &components))
        ThrowHTTPException("CHTTPConnection::HTTPRequest - InternetCrackUrl Failed");

    if (components.lpszHostName != nullptr)
        hostName.assign(components.lpszHostName, components.dwHostNameLength);
    if (components.dwUrlPathLength != 0 && components.lpszUrlPath != nullptr)
        urlPath.assign(components.lpszUrlPath, components.dwUrlPathLength);
    if (components.dwExtraInfoLength != 0 && components.lpszExtraInfo != nullptr)
        extraInfo.assign(components.lpszExtraInfo, components.dwExtraInfoLength);
    port = components.nPort;
}
