// Stands in for the network under a gSOAP context: collects the request the
// runtime writes (HTTP headers apart) and hands it a scripted reply body, as
// the WinINet transport does with a real one.
#pragma once

#include "stdsoap2.h"

#include <string>
#include <utility>
#include <vector>

class CFakeSoapTransport
{
public:
    // Installs the transport callbacks on soap, which must outlive the fake;
    // soap->user points at the fake from then on. On a context that has a
    // transport plug-in, the plug-in's post is replaced too (and then no
    // HTTP headers are recorded).
    explicit CFakeSoapTransport(struct soap* soap);
    CFakeSoapTransport(const CFakeSoapTransport&) = delete;
    CFakeSoapTransport& operator=(const CFakeSoapTransport&) = delete;

    // The body of the next replies; a connection refused when failConnect.
    void SetReply(std::string body)
    {
        m_Reply = std::move(body);
        m_ReplyOffset = 0;
    }
    void SetFailConnect(bool fail) { m_FailConnect = fail; }

    // The last request: endpoint, headers and body.
    const std::string& Endpoint() const { return m_Endpoint; }
    const std::string& Sent() const { return m_Sent; }
    std::string Header(const std::string& name) const;
    int Connects() const { return m_Connects; }
    // The last request's sends that carried bytes, and the length announced
    // to a plug-in's post.
    int Sends() const { return m_Sends; }
    ULONG64 PostedLength() const { return m_PostedLength; }

private:
    static int Connect(struct soap* soap, const char* endpoint, const char* host, int port);
    static int Post(struct soap* soap, const char* endpoint, const char* host, int port, const char* path,
                    const char* action, ULONG64 count);
    static int PostHeader(struct soap* soap, const char* key, const char* value);
    static int Send(struct soap* soap, const char* data, size_t length);
    static size_t Receive(struct soap* soap, char* buffer, size_t length);
    static int Close(struct soap* soap);
    static CFakeSoapTransport& Of(struct soap* soap);

    std::string m_Reply;
    size_t m_ReplyOffset = 0;
    bool m_FailConnect = false;
    int m_Connects = 0;
    int m_Sends = 0;
    ULONG64 m_PostedLength = 0;
    std::string m_Endpoint;
    std::string m_Sent;
    std::vector<std::pair<std::string, std::string>> m_Headers;
};
