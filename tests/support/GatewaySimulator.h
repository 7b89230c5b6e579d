// Test access to the local gateway simulator (tools/gateway_simulator) that
// the gateway_simulator CTest fixture runs: two instances, "primary" and
// "backup", each with an HTTP and an HTTPS port on loopback, sharing one set
// of accounts. Tests registered with require_gateway_simulator() find the
// instances' state files through ZENTAVO_SIMULATOR_DIR.
//
//   CGatewaySimulator primary = CGatewaySimulator::Primary();
//   primary.Reset();
//   primary.Script("sendmsg.aspx", CScriptedReply::Error("INSUFFICIENT_CREDIT"));
//   ... the client posts to primary.HttpsServer() + "/api/https/sendmsg.aspx" ...
//   std::vector<CLoggedRequest> sent = primary.Requests("sendmsg.aspx");
//
// Every failure to reach the simulator throws std::runtime_error.
#pragma once

#include "tests/support/Json.h"

#include <string>
#include <utility>
#include <vector>

// The accounts every test run starts with (tools/gateway_simulator/test_accounts.json).
namespace GatewaySimulatorSeed
{
constexpr const char* kUsername = "testuser";
constexpr const char* kPassword = "testpass";
constexpr long long kBalance = 1000;
// A key pair of testuser that exists from the start, as after a login.
constexpr const char* kAccessKey = "TESTACCESSKEY0001";
constexpr const char* kSecretKey = "TESTSECRETKEY0001";
// An account without credit, and one that requires MFA at login.
constexpr const char* kEmptyUsername = "emptyuser";
constexpr const char* kEmptyPassword = "emptypass";
constexpr const char* kMfaUsername = "mfauser";
constexpr const char* kMfaPassword = "mfapass";
}  // namespace GatewaySimulatorSeed

// One request as the simulator received it.
struct CLoggedRequest
{
    long long m_Sequence = 0;
    std::string m_Instance;  // "primary" or "backup"
    std::string m_Scheme;    // "http" or "https"
    std::string m_Method;
    std::string m_Page;  // "api/https/sendmsg.aspx"
    std::vector<std::pair<std::string, std::string>> m_Headers;
    std::string m_Body;  // the raw bytes
    // The form fields of the body, URL-decoded (values as UTF-8), in order.
    std::vector<std::pair<std::string, std::string>> m_Form;
    int m_ReplyStatus = 0;
    std::string m_ReplyBody;

    // The first header or field of that name (headers: any case); empty when absent.
    std::string Header(const std::string& name) const;
    bool HasField(const std::string& name) const;
    std::string Field(const std::string& name) const;
};

// One scripted answer. Build with a factory, adjust with the modifiers:
//   CScriptedReply::Normal().Wait(5)               the gateway's answer, 5 s late
//   CScriptedReply::Body("ERR:X").HttpStatus(500)  that text with status 500
class CScriptedReply
{
public:
    static CScriptedReply Normal();                         // the gateway's own answer
    static CScriptedReply Error(const std::string& name);   // "ERR:" and the name
    static CScriptedReply Delay(int seconds);               // "DELAY:" and the number
    static CScriptedReply Body(const std::string& bytes);   // exactly these bytes (NULs too)
    static CScriptedReply Drop();                           // closes the connection, no answer

    CScriptedReply& HttpStatus(int status);
    CScriptedReply& Wait(double seconds);       // answers only after that long
    CScriptedReply& TruncateAt(size_t bytes);   // announces the whole body, sends only these bytes
    CScriptedReply& TruncateHeadAt(size_t bytes);  // sends only these bytes of the status line and headers
    // The answer with each occurrence of text written as replacement, before any cut.
    CScriptedReply& Replace(const std::string& text, const std::string& replacement);
    CScriptedReply& Repeat(int count);          // queued that many times

    std::string ToJson() const;

private:
    std::vector<std::string> m_Members;  // "name": value pairs of the JSON object
};

class CGatewaySimulator
{
public:
    static CGatewaySimulator Primary() { return CGatewaySimulator("primary"); }
    static CGatewaySimulator Backup() { return CGatewaySimulator("backup"); }

    // Reads the instance's state file; throws when the simulator is not running.
    explicit CGatewaySimulator(const std::string& instance);

    // The folder of the state files (ZENTAVO_SIMULATOR_DIR) as a Windows path.
    static std::string StateFolder();

    const std::string& Instance() const { return m_Instance; }
    unsigned short HttpPort() const { return m_HttpPort; }
    unsigned short HttpsPort() const { return m_HttpsPort; }
    // Base addresses as the gateway client takes them: "https://localhost:<port>", no "/".
    std::string HttpsServer() const;
    std::string HttpServer() const;
    // The same with the trailing "/": page paths are appended directly.
    std::string HttpsBaseUrl() const { return HttpsServer() + "/"; }
    std::string HttpBaseUrl() const { return HttpServer() + "/"; }

    // Clears this instance's scripts and request log and returns the shared
    // accounts, factors, settings, messages and jobs to the seed.
    void Reset() const;
    // Queues replies for the next requests to a page ("sendmsg.aspx", the
    // full "api/https/sendmsg.aspx", or "*" for any page), in order.
    void Script(const std::string& page, const CScriptedReply& reply) const;
    void Script(const std::string& page, const std::vector<CScriptedReply>& replies) const;
    // This instance's requests, oldest first; only those of one page when given.
    std::vector<CLoggedRequest> Requests(const std::string& page = std::string()) const;

    void SetBalance(const std::string& username, long long balance) const;
    // Gateway settings as a JSON object, e.g. R"({"job_threshold": 5})".
    void ApplySettings(const std::string& jsonObject) const;
    // Accounts, factors, messages ("messages") and jobs ("jobs") of the gateway.
    CJsonValue State() const;

    // One control request ("GET" or "POST", endpoint such as "reset"); the
    // reply's JSON. Throws when the simulator answers other than 200.
    CJsonValue Control(const std::string& verb, const std::string& endpoint,
                       const std::string& jsonBody = std::string()) const;

private:
    std::string m_Instance;
    unsigned short m_HttpPort = 0;
    unsigned short m_HttpsPort = 0;
};
