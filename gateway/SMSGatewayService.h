// The transport of the gateway's HTTPS form interface: builds the URL from the
// primary or backup base address, appends the client details, POSTs the form
// and turns the reply into a result code and a value. Around one exchange it
// adds server failover (process-wide failure times, 300000 ms window) and one
// delayed retry after a "DELAY:" answer. Gateway answers come back as result
// codes; HTTP failures become CONNECTION_ERROR with an event-log report.
#pragma once

#include "core/DateTimeUtils.h"
#include "core/ScopedHandle.h"
#include "gateway/HTTPConnection.h"
#include "gateway/SMSGatewayResultCode.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

// Options of one gateway request. A missing record allows failover and keeps
// WinINet's default time-outs.
struct CSMSGatewayRequestOptions
{
    BYTE m_AllowFailover = 0;
    // m_TimeoutMs is the caller's; the outcome fields are filled with the last
    // HTTP exchange of the request.
    CHTTPRequestOptions m_HTTPOptions;
};

// A CTickCountTime shared by threads: each load and store moves the whole
// value at once.
class CSharedTickCountTime
{
public:
    CTickCountTime Load() const;
    void Store(const CTickCountTime& time);
    void SetToNow();
    void SetNull();

private:
    // Bit 32: the time is set; low 32 bits: its tick. 0 is null.
    std::atomic<std::uint64_t> m_Value{0};
};

// When the primary and the backup server last failed (null: no failure
// recorded). Read and written by the user-interface thread and the balance
// worker alike; they live for the whole process.
extern CSharedTickCountTime g_PrimaryServerLastFailure;
extern CSharedTickCountTime g_BackupServerLastFailure;

// The wait after a "DELAY:" answer. Tests replace it to shorten the wait;
// null restores the product's own wait, which sleeps unless the service is
// aborted meanwhile.
using GatewayDelayWaitFn = void (*)(DWORD milliseconds);
void SetGatewayDelayWaitFunction(GatewayDelayWaitFn wait);

class CSMSGatewayService
{
public:
    CSMSGatewayService();
    virtual ~CSMSGatewayService();
    CSMSGatewayService(const CSMSGatewayService&) = delete;
    CSMSGatewayService& operator=(const CSMSGatewayService&) = delete;

    void Close();

    // Ends the request under way from another thread (CHTTPConnection::Abort)
    // and a "DELAY:" wait; the request then answers CONNECTION_ERROR without
    // a retry, an event or a note that the server failed, and so does every
    // later one.
    void Abort();

    // Opens the connection's internet session (direct when the proxy server
    // is empty) and stores the base addresses ("https://host", no trailing
    // "/"). A failed open raises CHTTPException and stores nothing.
    void SetServers(const std::string& primaryServer, const std::string& backupServer,
                    const std::string& proxyServer, const std::string& proxyUsername,
                    const std::string& proxyPassword);
    void SetClientDetails(const std::string& clientDetails);

    // The one entry point of the client: failover plus one retry after
    // "DELAY:". Returns the value that follows the expected text.
    std::string MakeHTTPRequestWithDelay(CSMSGatewayRequestOptions* options, const std::string& page,
                                         const std::string& form, const std::string& expected,
                                         BYTE appendClientDetails, std::string& rawReply,
                                         SMSGatewayResultCode& status);
    std::string MakeHTTPRequestWithFailover(CSMSGatewayRequestOptions* options, const std::string& page,
                                            const std::string& form, const std::string& expected,
                                            BYTE appendClientDetails, std::string& rawReply,
                                            SMSGatewayResultCode& status);
    // One exchange with one server.
    std::string MakeHTTPRequest(CSMSGatewayRequestOptions* options, const std::string& url,
                                const std::string& form, const std::string& expected, std::string& rawReply,
                                SMSGatewayResultCode& status);

    // Classifies a reply, in this order: the expected text (OK), "DELAY:"
    // (DELAY_REQUESTED), "ERR:" (its code), anything else (CONNECTION_ERROR,
    // with an "Invalid Response" event). value is filled for the first two.
    static SMSGatewayResultCode ParseResponse(const std::string& reply, const std::string& expected,
                                              std::string& value);
    // The characters after the first occurrence of marker up to and including
    // the last decimal digit of the text (to its end when no digit follows).
    static std::string ExtractValue(const std::string& text, std::string::size_type markerEnd);
    // A decimal integer read as atoi reads it (leading white space, a sign,
    // digits up to the first other character; 0 without digits), saturating
    // far beyond 32 bits instead of overflowing.
    static long long ParseInteger(const std::string& text);
    // Whether a request that ended in CONNECTION_ERROR may have reached the
    // server, by its last exchange's outcome: an answer came that could not
    // be read (empty, cut off, of no known form), or the exchange failed
    // once it may have been sent (a time-out, a reset). Not when the name
    // did not resolve, the connection was refused or a certificate was
    // refused: the request never left.
    static bool MayHaveReachedServer(const CHTTPRequestOptions& outcome);
    // Whether a request whose status is not one of the gateway's known
    // answers may still have been carried out: an answer came that could
    // not be read (UNKNOWN: "ERR:" without a name this client knows, as
    // when the answer is cut inside the name or the gateway names an error
    // unknown here), or the request ended in CONNECTION_ERROR once it may
    // have reached the server. A known error name, a repeated delay, and a
    // request that never left are not, nor one refused before the gateway.
    static bool MayHaveBeenCarriedOut(SMSGatewayResultCode status, const CHTTPRequestOptions& outcome);
    // Whether a request whose answer could not be read (UNKNOWN, or
    // CONNECTION_ERROR) came back with an HTTP status of 400 to 499: a
    // proxy, a firewall or a server in front of the gateway refused it
    // with a page of its own, and the gateway never acted. A gateway
    // answer read whole is read whatever its status.
    static bool WasRefusedBeforeGateway(SMSGatewayResultCode status, const CHTTPRequestOptions& outcome);
    // The code of the first known error name in the text; UNKNOWN, with an
    // event, when there is none.
    static SMSGatewayResultCode GetStatusFromErrorText(const std::string& text);
    // The form with the values of its secret key and password hidden, for
    // reports.
    static std::string MaskSecretKey(const std::string& form);
    // A reply with the values of its key fields hidden, for reports.
    static std::string MaskReplyKeys(const std::string& reply);

private:
    CHTTPConnection m_HTTPConnection;
    CScopedKernelHandle m_AbortEvent;  // manual reset; set by Abort
    std::string m_ClientDetails;
    std::string m_PrimaryServer;
    std::string m_BackupServer;
};
