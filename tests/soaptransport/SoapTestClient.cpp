#include "tests/soaptransport/SoapTestClient.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

const struct Namespace g_TestNamespaces[] = {
    {"SOAP-ENV", "http://www.w3.org/2003/05/soap-envelope", nullptr, nullptr},
    {"SOAP-ENC", "http://www.w3.org/2003/05/soap-encoding", nullptr, nullptr},
    {"xsi", "http://www.w3.org/2001/XMLSchema-instance", "http://www.w3.org/*/XMLSchema-instance", nullptr},
    {"xsd", "http://www.w3.org/2001/XMLSchema", "http://www.w3.org/*/XMLSchema", nullptr},
    {"t", "urn:zentavo-transport-test", nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr}};

std::string PeerValue(const std::string& key)
{
    const char* stateFile = std::getenv("SOAP_TEST_PEER_STATE");
    if (!stateFile)
    {
        ADD_FAILURE() << "SOAP_TEST_PEER_STATE is not set: run through CTest";
        return {};
    }
    // The state file's path is a Unix path; Wine shows the Unix root as Z:.
    std::ifstream state(std::string("Z:") + stateFile);
    for (std::string line; std::getline(state, line);)
        if (line.compare(0, key.size() + 1, key + "=") == 0)
            return line.substr(key.size() + 1);
    ADD_FAILURE() << "no " << key << " in " << stateFile;
    return {};
}

std::string PeerUrl(const char* portKey, const std::string& path)
{
    const bool secure = std::string(portKey) != "http_port" && std::string(portKey) != "refused_port";
    return (secure ? "https://localhost:" : "http://127.0.0.1:") + PeerValue(portKey) + path;
}

void SoapContextDeleter::operator()(struct soap* soap) const
{
    soap_destroy(soap);
    soap_end(soap);
    soap_free(soap);
}

SoapContext NewContext(bool withPlugin)
{
    SoapContext soap(soap_new());
    soap_set_namespaces(soap.get(), g_TestNamespaces);
    if (withPlugin)
    {
        EXPECT_EQ(SOAP_OK, soap_register_plugin(soap.get(), wininet_plugin));
    }
    return soap;
}

CGSoapWinInetTransport* TransportOf(struct soap* soap)
{
    return static_cast<CGSoapWinInetTransport*>(soap_lookup_plugin(soap, WININET_PLUGIN_ID));
}

namespace
{
int WriteRequest(struct soap* soap, const char* text)
{
    if (soap_element_begin_out(soap, "t:Echo", 0, nullptr) || soap_element_begin_out(soap, "t:Text", 0, nullptr) ||
        soap_string_out(soap, text, 0) || soap_element_end_out(soap, "t:Text") ||
        soap_element_end_out(soap, "t:Echo"))
        return soap->error;
    return SOAP_OK;
}

int WriteEnvelope(struct soap* soap, const char* text)
{
    if (soap_envelope_begin_out(soap) || soap_putheader(soap) || soap_body_begin_out(soap) ||
        WriteRequest(soap, text) || soap_body_end_out(soap) || soap_envelope_end_out(soap))
        return soap->error;
    return SOAP_OK;
}

// Reads the body's first element and its children's texts.
void ReadReply(struct soap* soap, std::map<std::string, std::string>* reply)
{
    if (soap_peek_element(soap))
        return;
    const std::string tag = soap->tag;
    if (soap_element_begin_in(soap, tag.c_str(), 0, nullptr))
        return;
    for (;;)
    {
        if (soap_peek_element(soap))
            break;
        const std::string child = soap->tag;
        char* value = nullptr;
        if (!soap_instring(soap, child.c_str(), &value, nullptr, 0, 1, 0, -1, nullptr))
            return;
        if (reply)
            (*reply)[child] = value ? value : "";
    }
    if (soap->error == SOAP_NO_TAG)
        soap->error = SOAP_OK;
    if (!soap->error)
        soap_element_end_in(soap, tag.c_str());
}
}  // namespace

int Call(struct soap* soap, const std::string& url, const std::string& text,
         std::map<std::string, std::string>* reply, const char* action)
{
    if (reply)
        reply->clear();
    soap_begin(soap);
    soap->encodingStyle = nullptr;
    soap_begin_count(soap);
    if ((soap->mode & SOAP_IO_LENGTH) && WriteEnvelope(soap, text.c_str()))
        return soap->error;
    if (soap_end_count(soap))
        return soap->error;
    if (soap_connect(soap, url.c_str(), action) || WriteEnvelope(soap, text.c_str()) || soap_end_send(soap))
        return soap_closesock(soap);
    if (soap_begin_recv(soap) || soap_envelope_begin_in(soap) || soap_recv_header(soap) ||
        soap_body_begin_in(soap))
        return soap_closesock(soap);
    if (soap_recv_fault(soap, 1))
        return soap->error;
    ReadReply(soap, reply);
    if (soap->error)
        return soap_recv_fault(soap, 0);
    if (soap_body_end_in(soap) || soap_envelope_end_in(soap) || soap_end_recv(soap))
        return soap_closesock(soap);
    return soap_closesock(soap);
}

SeenRequest ParseSeenRequest(const std::string& text)
{
    SeenRequest seen;
    std::istringstream lines(text);
    std::getline(lines, seen.requestLine);
    for (std::string line; std::getline(lines, line) && !line.empty();)
    {
        const size_t colon = line.find(':');
        std::string name = line.substr(0, colon);
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        seen.headers.emplace(name, colon == std::string::npos ? "" : line.substr(colon + 2));
    }
    const size_t bodyStart = text.find("\n\n");
    if (bodyStart != std::string::npos)
        seen.body = text.substr(bodyStart + 2);
    return seen;
}

std::string PeerPattern(size_t count)
{
    std::string unit;
    for (int i = 0; i < 26 * 37 + 1; ++i)
        unit += static_cast<char>('a' + i % 26);
    std::string text;
    while (text.size() < count)
        text += unit;
    text.resize(count);
    return text;
}
