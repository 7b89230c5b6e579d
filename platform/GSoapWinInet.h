// The WinINet transport of the gSOAP runtime (plug-in id "wininet-2.0").
//
//   soap_register_plugin(soap, wininet_plugin);
//
// From then on every request of the context goes through WinINet instead of
// gSOAP's own sockets: HTTP or HTTPS by the endpoint's scheme, the system's
// proxy settings, Windows' certificate checks (never relaxed). The plug-in
// puts the context in SOAP_IO_STORE mode: the runtime keeps each request
// whole and hands it over with its length, once. One request per call:
// fconnect connects, fpost opens the request and lets the runtime add its
// headers, fsend collects the body, the first frecv sends the request
// and then hands the reply's body (not its HTTP head) to the runtime, fclose
// closes the request and the connection. The internet handle lives as long as
// the plug-in, which the context deletes in soap_done()/soap_free().
//
// Every transport failure sets the context's error to SOAP_HTTP_ERROR (29)
// and its fault string to a description of the WinINet error.
#pragma once

#include <stdsoap2.h>

#include <wininet.h>

#include <string>

#include "core/ScopedHandle.h"

// The plug-in's id in the context's plug-in list.
#define WININET_PLUGIN_ID "wininet-2.0"

// The plug-in's creation function for soap_register_plugin; arg is unused.
int wininet_plugin(struct soap* soap, struct soap_plugin* plugin, void* arg);

// Applies the context's connect, receive and send time-outs (seconds; values
// below 1 are left alone) to the plug-in's WinINet handles, in that order.
// The plug-in also applies them whenever it connects. SOAP_OK, or
// SOAP_HTTP_ERROR when the context has no plug-in or WinINet refuses.
int wininet_apply_timeouts(struct soap* soap);

// The HTTP status of the reply to the context's last request; 0 when no
// reply came (or the context has no plug-in). Set as soon as the status
// line came, also when the body then cannot be read.
DWORD wininet_reply_status(struct soap* soap);

// How the plug-in asks the user for credentials when the server or a proxy
// answers 401 or 407: the signature of InternetErrorDlg. A process-wide seam
// for tests; null (the default) means InternetErrorDlg itself.
using WinInetErrorDialogFn = DWORD (*)(HWND owner, HINTERNET request, DWORD error, DWORD flags);
void SetWinInetErrorDialogSink(WinInetErrorDialogFn sink);

// The plug-in's state for one context (the plug-in's data). It owns its
// WinINet handles; the callbacks in GSoapWinInet.cpp drive it.
class CGSoapWinInetTransport
{
public:
    explicit CGSoapWinInetTransport(int (*runtimePost)(struct soap*, const char*, const char*, int, const char*,
                                                        const char*, ULONG64));
    CGSoapWinInetTransport(const CGSoapWinInetTransport&) = delete;
    CGSoapWinInetTransport& operator=(const CGSoapWinInetTransport&) = delete;

    int Connect(struct soap* soap, const char* endpoint);
    int Post(struct soap* soap, const char* endpoint, const char* host, int port, const char* path,
             const char* action, ULONG64 count);
    int AddHeader(struct soap* soap, const char* key, const char* value);
    int AppendBody(struct soap* soap, const char* data, size_t length);
    size_t Receive(struct soap* soap, char* buffer, size_t length);
    // Ends the request and the connection; the internet handle stays.
    void Close() noexcept;
    int ApplyTimeouts(const struct soap* soap);

    HINTERNET InternetHandle() const noexcept { return m_Internet.get(); }
    // The WinINet error of the last failure, 0 when there was none.
    DWORD LastError() const noexcept { return m_LastError; }
    DWORD ReplyStatus() const noexcept { return m_ReplyStatus; }

private:
    // Closed through the wininet.dll this library links; core's
    // CScopedInternetHandle closes through WinINet bound at run time.
    struct SoapTransportHandleTraits
    {
        using Handle = HINTERNET;
        static Handle Invalid() noexcept { return nullptr; }
        static void Close(Handle handle) noexcept { ::InternetCloseHandle(handle); }
    };
    using CSoapTransportHandle = CScopedHandle<SoapTransportHandleTraits>;

    enum class State
    {
        Idle,         // nothing open
        Connected,    // connection open, no request yet
        RequestOpen,  // request open, headers and body being collected
        Receiving,    // request sent, reading the reply's body
        Failed        // a failure ended the request; every read fails
    };

    bool OpenInternet();
    int SendRequest(struct soap* soap);
    void DiscardReply() noexcept;
    int Fail(struct soap* soap, const char* operation, DWORD error);

    int (*m_RuntimePost)(struct soap*, const char*, const char*, int, const char*, const char*, ULONG64);
    CSoapTransportHandle m_Internet;
    CSoapTransportHandle m_Connection;
    CSoapTransportHandle m_Request;
    State m_State = State::Idle;
    bool m_Secure = false;
    std::string m_Object;  // path and query of the endpoint
    std::string m_Body;
    DWORD m_LastError = 0;
    DWORD m_ReplyStatus = 0;
};
