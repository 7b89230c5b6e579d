// The system's HTTP client over WinINet: one internet session and a cached
// connection to the last host and port. Every call blocks the calling thread
// until the whole reply is read or a CHTTPException is raised. An object is
// used by one thread at a time and is never copied; only Abort may come from
// another thread.
#pragma once

#include "core/ScopedHandle.h"
#include "core/Win32Utils.h"

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <mutex>
#include <string>

// Options a caller may pass with one request. The request clears the
// outcome fields first and fills them when it fails; the HTTP status is
// filled as soon as an answer's status line came, also when reading its
// body then fails.
struct CHTTPRequestOptions
{
    DWORD m_TimeoutMs = 0;       // connect, send and receive time-out
    BYTE m_Failed = 0;           // the request ended in an exception
    DWORD m_Win32Error = 0;      // the Win32/WinINet error of the failure
    BYTE m_Win32ErrorKnown = 0;  // m_Win32Error holds the failure's code
    DWORD m_HTTPStatus = 0;      // the answer's HTTP status; 0 when none came
};

// The connection to one host and port, kept open between requests.
class CHTTPConnectionCached
{
public:
    CHTTPConnectionCached() = default;
    virtual ~CHTTPConnectionCached();
    CHTTPConnectionCached(const CHTTPConnectionCached&) = delete;
    CHTTPConnectionCached& operator=(const CHTTPConnectionCached&) = delete;

    // Returns the open connection when host and port are unchanged, else
    // connects afresh. The handle stays owned by this object; the internet
    // handle is borrowed and must outlive the connection.
    HINTERNET Connect(HINTERNET internet, const std::string& hostName, INTERNET_PORT port);
    void Disconnect();

private:
    CScopedInternetHandle m_Connection;
    std::string m_HostName;
    INTERNET_PORT m_Port = 0;
};

class CHTTPConnection
{
public:
    CHTTPConnection() = default;
    virtual ~CHTTPConnection();
    CHTTPConnection(const CHTTPConnection&) = delete;
    CHTTPConnection& operator=(const CHTTPConnection&) = delete;

    // Opens the internet session: pre-configured access, the named proxy, or
    // direct access. A second call closes the previous session first.
    void SetProxyUsernameAndPassword(bool preConfigured, bool namedProxy, const std::string& proxyServer,
                                     const std::string& proxyUsername, const std::string& proxyPassword);
    void Close();

    // Ends the request under way, from any thread: its request handle is
    // closed, which makes a WinINet call blocked on it fail where WinINet
    // lets it, and every later request of this object fails at once. The
    // session stays open until Close or destruction, on the object's own
    // thread.
    void Abort();
    bool IsAborted() const;

    // Form POST; the only request the system makes. Returns the reply body
    // whatever the HTTP status, which the options receive.
    std::string Post(CHTTPRequestOptions* options, const std::string& url, const std::string& body);
    std::string Post(const std::string& url, const std::string& body);
    std::string Get(CHTTPRequestOptions* options, const std::string& url);
    std::string Get(const std::string& url);
    std::string HTTPRequest(CHTTPRequestOptions* options, const std::string& verb, const std::string& url,
                            const std::string& headers, const std::string& body);
    std::string HTTPRequest(const std::string& verb, const std::string& url, const std::string& headers,
                            const std::string& body);

    static void CrackURL(const std::string& url, std::string& hostName, std::string& urlPath,
                         std::string& extraInfo, INTERNET_PORT& port);
    // No cache write, no keep-alive (see Post), and TLS for port 443 or an
    // "https:" URL (the scheme test is case-sensitive). Certificate errors
    // are never ignored.
    static DWORD GetRequestFlags(const std::string& url, INTERNET_PORT port);

private:
    class CActiveRequest;

    std::string SendAndRead(CHTTPRequestOptions* options, const std::string& verb, const std::string& url,
                            const std::string& headers, const std::string& body, CScopedInternetHandle& request);

    CScopedInternetHandle m_Internet;
    CHTTPConnectionCached m_Cached;
    // Between the object's thread and Abort: the request handle in use
    // (borrowed from SendAndRead), and whether Abort has closed it.
    mutable std::mutex m_AbortLock;
    HINTERNET m_ActiveRequest = nullptr;
    bool m_ActiveRequestClosed = false;
    bool m_Aborted = false;
};
