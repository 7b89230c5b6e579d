// Winsock before anything that brings in windows.h.
#include <winsock2.h>

#include "tests/support/GatewaySimulator.h"

#include "core/ScopedHandle.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace
{
struct SocketTraits
{
    using Handle = SOCKET;
    static Handle Invalid() noexcept { return INVALID_SOCKET; }
    static void Close(Handle socket) noexcept { ::closesocket(socket); }
};

// Winsock for the length of one control exchange.
class CWinsockSession
{
public:
    CWinsockSession()
    {
        WSADATA data;
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
            throw std::runtime_error("gateway simulator: WSAStartup failed");
    }
    ~CWinsockSession() { ::WSACleanup(); }
    CWinsockSession(const CWinsockSession&) = delete;
    CWinsockSession& operator=(const CWinsockSession&) = delete;
};

constexpr DWORD kControlTimeoutMs = 30000;

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error("gateway simulator: cannot read " + path +
                                 " (is the gateway_simulator fixture required and running?)");
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void SendAll(SOCKET socket, const std::string& data)
{
    size_t sent = 0;
    while (sent < data.size())
    {
        const int n = ::send(socket, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0)
            throw std::runtime_error("gateway simulator: send failed (" + std::to_string(::WSAGetLastError()) + ")");
        sent += static_cast<size_t>(n);
    }
}

// One HTTP/1.1 exchange with "Connection: close": the reply is read to the end.
std::string HttpExchange(unsigned short port, const std::string& request)
{
    CWinsockSession session;
    CScopedHandle<SocketTraits> socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket)
        throw std::runtime_error("gateway simulator: socket failed");
    const DWORD timeout = kControlTimeoutMs;
    ::setsockopt(socket.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
    ::setsockopt(socket.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));

    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(port);
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
        throw std::runtime_error("gateway simulator: cannot connect to port " + std::to_string(port));
    SendAll(socket.get(), request);

    std::string reply;
    char buffer[4096];
    for (;;)
    {
        const int n = ::recv(socket.get(), buffer, sizeof(buffer), 0);
        if (n == 0)
            return reply;
        if (n < 0)
            throw std::runtime_error("gateway simulator: recv failed (" + std::to_string(::WSAGetLastError()) + ")");
        reply.append(buffer, static_cast<size_t>(n));
    }
}

std::string HexToBytes(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    return bytes;
}

std::vector<std::pair<std::string, std::string>> Pairs(const CJsonValue& array)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const CJsonValue& pair : array.AsArray())
        pairs.emplace_back(pair.AsArray().at(0).AsString(), pair.AsArray().at(1).AsString());
    return pairs;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

CLoggedRequest ToLoggedRequest(const CJsonValue& entry)
{
    CLoggedRequest request;
    request.m_Sequence = entry["seq"].AsInteger();
    request.m_Instance = entry["instance"].AsString();
    request.m_Scheme = entry["scheme"].AsString();
    request.m_Method = entry["method"].AsString();
    request.m_Page = entry["page"].AsString();
    request.m_Headers = Pairs(entry["headers"]);
    request.m_Body = HexToBytes(entry["body_hex"].AsString());
    request.m_Form = Pairs(entry["form"]);
    if (entry.Has("reply"))
    {
        request.m_ReplyStatus = static_cast<int>(entry["reply"]["status"].AsInteger());
        request.m_ReplyBody = HexToBytes(entry["reply"]["body_hex"].AsString());
    }
    return request;
}
}  // namespace

std::string CLoggedRequest::Header(const std::string& name) const
{
    for (const auto& header : m_Headers)
        if (Lower(header.first) == Lower(name))
            return header.second;
    return std::string();
}

bool CLoggedRequest::HasField(const std::string& name) const
{
    for (const auto& field : m_Form)
        if (field.first == name)
            return true;
    return false;
}

std::string CLoggedRequest::Field(const std::string& name) const
{
    for (const auto& field : m_Form)
        if (field.first == name)
            return field.second;
    return std::string();
}

CScriptedReply CScriptedReply::Normal()
{
    return CScriptedReply();
}

CScriptedReply CScriptedReply::Error(const std::string& name)
{
    CScriptedReply reply;
    reply.m_Members.push_back("\"error\": " + JsonQuote(name));
    return reply;
}

CScriptedReply CScriptedReply::Delay(int seconds)
{
    CScriptedReply reply;
    reply.m_Members.push_back("\"delay\": " + std::to_string(seconds));
    return reply;
}

CScriptedReply CScriptedReply::Body(const std::string& bytes)
{
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (const char c : bytes)
    {
        hex += kHex[(static_cast<unsigned char>(c) >> 4) & 0x0F];
        hex += kHex[static_cast<unsigned char>(c) & 0x0F];
    }
    CScriptedReply reply;
    reply.m_Members.push_back("\"body_hex\": \"" + hex + "\"");
    return reply;
}

CScriptedReply CScriptedReply::Drop()
{
    CScriptedReply reply;
    reply.m_Members.push_back("\"drop\": true");
    return reply;
}

CScriptedReply& CScriptedReply::HttpStatus(int status)
{
    m_Members.push_back("\"http_status\": " + std::to_string(status));
    return *this;
}

CScriptedReply& CScriptedReply::Wait(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f", seconds);
    m_Members.push_back(std::string("\"wait\": ") + text);
    return *this;
}

CScriptedReply& CScriptedReply::TruncateAt(size_t bytes)
{
    m_Members.push_back("\"truncate_at\": " + std::to_string(bytes));
    return *this;
}

CScriptedReply& CScriptedReply::TruncateHeadAt(size_t bytes)
{
    m_Members.push_back("\"head_truncate_at\": " + std::to_string(bytes));
    return *this;
}

CScriptedReply& CScriptedReply::Replace(const std::string& text, const std::string& replacement)
{
    m_Members.push_back("\"replace\": {" + JsonQuote(text) + ": " + JsonQuote(replacement) + "}");
    return *this;
}

CScriptedReply& CScriptedReply::Repeat(int count)
{
    m_Members.push_back("\"repeat\": " + std::to_string(count));
    return *this;
}

std::string CScriptedReply::ToJson() const
{
    std::string json = "{";
    for (size_t i = 0; i < m_Members.size(); ++i)
        json += (i ? ", " : "") + m_Members[i];
    return json + "}";
}

std::string CGatewaySimulator::StateFolder()
{
    const char* folder = std::getenv("ZENTAVO_SIMULATOR_DIR");
    if (folder == nullptr || *folder == '\0')
        throw std::runtime_error("gateway simulator: ZENTAVO_SIMULATOR_DIR is not set "
                                 "(register the test with require_gateway_simulator)");
    // A Unix path is reached through Wine's Z: drive.
    return folder[0] == '/' ? std::string("Z:") + folder : std::string(folder);
}

CGatewaySimulator::CGatewaySimulator(const std::string& instance) : m_Instance(instance)
{
    const CJsonValue state = CJsonValue::Parse(ReadWholeFile(StateFolder() + "/" + instance + ".json"));
    m_HttpPort = static_cast<unsigned short>(state["http_port"].AsInteger());
    m_HttpsPort = static_cast<unsigned short>(state["https_port"].AsInteger());
}

std::string CGatewaySimulator::HttpsServer() const
{
    return "https://localhost:" + std::to_string(m_HttpsPort);
}

std::string CGatewaySimulator::HttpServer() const
{
    return "http://localhost:" + std::to_string(m_HttpPort);
}

CJsonValue CGatewaySimulator::Control(const std::string& verb, const std::string& endpoint,
                                      const std::string& jsonBody) const
{
    const std::string request = verb + " /_control/" + endpoint + " HTTP/1.1\r\n" +
                                "Host: 127.0.0.1:" + std::to_string(m_HttpPort) + "\r\n" +
                                "Connection: close\r\n"
                                "Content-Type: application/json\r\n"
                                "Content-Length: " + std::to_string(jsonBody.size()) + "\r\n\r\n" + jsonBody;
    const std::string reply = HttpExchange(m_HttpPort, request);
    const size_t bodyStart = reply.find("\r\n\r\n");
    if (reply.compare(0, 9, "HTTP/1.1 ") != 0 || bodyStart == std::string::npos)
        throw std::runtime_error("gateway simulator: malformed control reply: " + reply);
    const std::string body = reply.substr(bodyStart + 4);
    if (reply.compare(9, 3, "200") != 0)
        throw std::runtime_error("gateway simulator: " + endpoint + " refused: " + body);
    return CJsonValue::Parse(body);
}

void CGatewaySimulator::Reset() const
{
    Control("POST", "reset");
}

void CGatewaySimulator::Script(const std::string& page, const CScriptedReply& reply) const
{
    Script(page, std::vector<CScriptedReply>{reply});
}

void CGatewaySimulator::Script(const std::string& page, const std::vector<CScriptedReply>& replies) const
{
    std::string list;
    for (const CScriptedReply& reply : replies)
        list += (list.empty() ? "" : ", ") + reply.ToJson();
    Control("POST", "script", "{\"page\": " + JsonQuote(page) + ", \"replies\": [" + list + "]}");
}

std::vector<CLoggedRequest> CGatewaySimulator::Requests(const std::string& page) const
{
    std::string endpoint = "requests";
    if (!page.empty())
        endpoint += "?page=" + page;
    const CJsonValue reply = Control("GET", endpoint);
    std::vector<CLoggedRequest> requests;
    for (const CJsonValue& entry : reply["requests"].AsArray())
        requests.push_back(ToLoggedRequest(entry));
    return requests;
}

void CGatewaySimulator::SetBalance(const std::string& username, long long balance) const
{
    Control("POST", "balance", "{\"username\": " + JsonQuote(username) + ", \"balance\": " +
                                   std::to_string(balance) + "}");
}

void CGatewaySimulator::ApplySettings(const std::string& jsonObject) const
{
    Control("POST", "settings", jsonObject);
}

CJsonValue CGatewaySimulator::State() const
{
    return Control("GET", "state");
}
