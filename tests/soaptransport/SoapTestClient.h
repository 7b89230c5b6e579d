// A SOAP 1.2 client call made the way generated call functions make it,
// on a context with the WinINet plug-in, against the local test peer
// (tests/support/soap_test_peer.py).
#pragma once

#include "bulkjob/service/SoapEnvelope.h"
#include "platform/GSoapWinInet.h"

#include <map>
#include <memory>
#include <string>

extern const struct Namespace g_TestNamespaces[];

// The peer's state file: ports and the CA certificate's path.
std::string PeerValue(const std::string& key);
// "http://127.0.0.1:<port>" + path, or "https://localhost:<port>" + path.
std::string PeerUrl(const char* portKey, const std::string& path);

struct SoapContextDeleter
{
    void operator()(struct soap* soap) const;
};
using SoapContext = std::unique_ptr<struct soap, SoapContextDeleter>;

// A new context with the test namespaces and, when asked, the plug-in.
SoapContext NewContext(bool withPlugin = true);

CGSoapWinInetTransport* TransportOf(struct soap* soap);

// One call: sends <t:Echo><t:Text>text</t:Text></t:Echo> and reads the
// reply element's children (element name to text) into reply. Returns the
// context's error, 0 on success.
int Call(struct soap* soap, const std::string& url, const std::string& text,
         std::map<std::string, std::string>* reply = nullptr, const char* action = "urn:zentavo-test#Echo");

// The peer's /echo reply split up: the request line, the headers (name in
// lower case to every value received) and the body.
struct SeenRequest
{
    std::string requestLine;
    std::multimap<std::string, std::string> headers;
    std::string body;
};
SeenRequest ParseSeenRequest(const std::string& text);

// The text the peer's /large and /chunked replies carry.
std::string PeerPattern(size_t count);
