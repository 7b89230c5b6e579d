// The gateway simulator as the product will meet it: WinINet under Wine,
// HTTPS with the test CA trusted and every certificate check on.
#include "core/ScopedHandle.h"
#include "tests/support/GatewaySimulator.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
namespace Seed = GatewaySimulatorSeed;

struct InternetHandleTraits
{
    using Handle = HINTERNET;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle handle) noexcept { ::InternetCloseHandle(handle); }
};
using CInternetHandle = CScopedHandle<InternetHandleTraits>;

struct CPostResult
{
    bool m_Sent = false;       // HttpSendRequest succeeded
    bool m_ReadFailed = false; // a read of the body failed
    DWORD m_Error = 0;         // the failing call's error
    DWORD m_Status = 0;        // the HTTP status
    DWORD m_ContentLength = 0; // as announced, 0 when absent
    std::string m_Body;
};

// One form POST with its own WinINet session, as the gateway client makes it.
CPostResult PostForm(const std::string& url, const std::string& body, DWORD timeoutMs = 0)
{
    CPostResult result;
    CInternetHandle internet(::InternetOpenA("ZentavoSMS", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!internet)
    {
        result.m_Error = ::GetLastError();
        return result;
    }
    char host[256] = {};
    char path[1024] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof(path);
    if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts))
    {
        result.m_Error = ::GetLastError();
        return result;
    }
    CInternetHandle connection(::InternetConnectA(internet.get(), host, parts.nPort, "", "", INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection)
    {
        result.m_Error = ::GetLastError();
        return result;
    }
    if (timeoutMs != 0)
    {
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT})
            ::InternetSetOptionA(connection.get(), option, &timeoutMs, sizeof(timeoutMs));
    }
    DWORD flags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= INTERNET_FLAG_SECURE;
    CInternetHandle request(::HttpOpenRequestA(connection.get(), "POST", path, "HTTP/1.1", nullptr, nullptr, flags, 0));
    if (!request)
    {
        result.m_Error = ::GetLastError();
        return result;
    }
    static const char kHeaders[] = "Content-Type: application/x-www-form-urlencoded";
    if (!::HttpSendRequestA(request.get(), kHeaders, sizeof(kHeaders) - 1, const_cast<char*>(body.data()),
                            static_cast<DWORD>(body.size())))
    {
        result.m_Error = ::GetLastError();
        return result;
    }
    result.m_Sent = true;
    DWORD size = sizeof(result.m_Status);
    ::HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &result.m_Status, &size, nullptr);
    size = sizeof(result.m_ContentLength);
    ::HttpQueryInfoA(request.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &result.m_ContentLength, &size,
                     nullptr);
    char buffer[50];
    for (;;)
    {
        DWORD read = 0;
        if (!::InternetReadFile(request.get(), buffer, sizeof(buffer), &read))
        {
            result.m_ReadFailed = true;
            result.m_Error = ::GetLastError();
            break;
        }
        if (read == 0)
            break;
        result.m_Body.append(buffer, read);
    }
    return result;
}

const std::string kSeedKeys = std::string("accesskey=") + Seed::kAccessKey + "&secretkey=" + Seed::kSecretKey;

class GatewaySimulatorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Primary.Reset();
        m_Backup.Reset();
    }

    std::string PrimaryPage(const std::string& page) const { return m_Primary.HttpsBaseUrl() + "api/https/" + page; }

    CGatewaySimulator m_Primary = CGatewaySimulator::Primary();
    CGatewaySimulator m_Backup = CGatewaySimulator::Backup();
};

TEST_F(GatewaySimulatorTest, BothInstancesAnswerOverHttpAndTrustedHttps)
{
    for (const CGatewaySimulator* instance : {&m_Primary, &m_Backup})
    {
        for (const std::string& base : {instance->HttpBaseUrl(), instance->HttpsBaseUrl()})
        {
            const CPostResult result = PostForm(base + "api/https/getbalance.aspx", kSeedKeys);
            ASSERT_TRUE(result.m_Sent) << base << " error " << result.m_Error;
            EXPECT_EQ(200u, result.m_Status);
            EXPECT_EQ("BALANCE:1000", result.m_Body) << base;
        }
        const std::vector<CLoggedRequest> log = instance->Requests("getbalance.aspx");
        ASSERT_EQ(2u, log.size());
        EXPECT_EQ("http", log[0].m_Scheme);
        EXPECT_EQ("https", log[1].m_Scheme);
        EXPECT_EQ(instance->Instance(), log[1].m_Instance);
        EXPECT_EQ("ZentavoSMS", log[1].Header("user-agent"));
    }
}

TEST_F(GatewaySimulatorTest, CertificateForAnotherNameIsRefused)
{
    // The test CA is trusted, but the certificate names "localhost" only.
    const CPostResult result =
        PostForm("https://127.0.0.1:" + std::to_string(m_Primary.HttpsPort()) + "/api/https/getbalance.aspx", kSeedKeys);
    EXPECT_FALSE(result.m_Sent);
    EXPECT_NE(0u, result.m_Error);
}

TEST_F(GatewaySimulatorTest, LoginSendAndLogoutAcrossBothServers)
{
    const CPostResult login = PostForm(PrimaryPage("createauthfactor.aspx"),
                                       std::string("interface=536870913&username=") + Seed::kUsername +
                                           "&password=" + Seed::kPassword +
                                           "&af_intf=536870913&af_authmode=5&af_name=Test+PC&mfasupported=0");
    ASSERT_EQ(0u, login.m_Body.find("PUBLICFIELD:")) << login.m_Body;
    const size_t lineEnd = login.m_Body.find('\n');
    ASSERT_NE(std::string::npos, lineEnd);
    const std::string keys = "accesskey=" + login.m_Body.substr(12, lineEnd - 12) +
                             "&secretkey=" + login.m_Body.substr(lineEnd + 1 + 12);

    const CPostResult sent = PostForm(PrimaryPage("sendmsg.aspx"), keys + "&to=447700900001,bad,447700900002&from=Me&text=Hello");
    EXPECT_EQ(0u, sent.m_Body.find("447700900001,ID:")) << sent.m_Body;
    EXPECT_NE(std::string::npos, sent.m_Body.find("\nbad,ERR:INVALID_NUMBER\n447700900002,ID:")) << sent.m_Body;
    EXPECT_EQ(2u, m_Primary.State()["messages"].AsArray().size());

    // The backup server shares the accounts: it sees the new key pair and the charge.
    EXPECT_EQ("BALANCE:998", PostForm(m_Backup.HttpsBaseUrl() + "api/https/getbalance.aspx", keys).m_Body);
    EXPECT_EQ("OK", PostForm(PrimaryPage("deleteauthfactor.aspx"), "authmode=5&" + keys).m_Body);
    EXPECT_EQ("ERR:LOGIN_INVALID", PostForm(PrimaryPage("getbalance.aspx"), keys).m_Body);
}

TEST_F(GatewaySimulatorTest, ScheduledSendBecomesAJob)
{
    const CPostResult sent =
        PostForm(PrimaryPage("sendmsg.aspx"), kSeedKeys + "&to=447700900001&text=Hi&startat=2026-12-08T09%3a30%3a00%2b01%3a00");
    EXPECT_EQ(0u, sent.m_Body.find("JOBID:")) << sent.m_Body;
    EXPECT_EQ(1u, m_Primary.State()["jobs"].AsArray().size());
}

TEST_F(GatewaySimulatorTest, ScriptedTextsComeInOrderThenTheNormalAnswer)
{
    const std::vector<std::string> names = {
        "NO_USERNAME", "NO_PASSWORD", "NO_TO", "NO_TEXT", "LOGIN_INVALID", "INSUFFICIENT_CREDIT", "GATEWAY_ERROR",
        "INTERNAL_ERROR", "INVALID_NUMBER", "INVALID_REQUEST", "MSGID_INVALID", "PARAMETER_MISSING",
        "PARAMETER_INVALID", "ACCOUNT_EXISTS", "TOO_MANY_NUMBERS", "NO_MSGID", "DAILY_ALLOWANCE_EXCEEDED",
        "MONTHLY_ALLOWANCE_EXCEEDED", "AUTH_PARAMETER_MISSING", "AUTH_PARAMETER_INVALID", "CONNECTION_NOT_SECURE",
        "MFA_REQUIRED", "DUPLICATE_NAME", "UPGRADE_CLIENTAPP"};
    std::vector<CScriptedReply> replies;
    for (const std::string& name : names)
        replies.push_back(CScriptedReply::Error(name));
    replies.push_back(CScriptedReply::Delay(30));
    replies.push_back(CScriptedReply::Body("<html><body>Service Unavailable</body></html>"));
    m_Primary.Script("getbalance.aspx", replies);

    for (const std::string& name : names)
        EXPECT_EQ("ERR:" + name, PostForm(PrimaryPage("getbalance.aspx"), kSeedKeys).m_Body);
    EXPECT_EQ("DELAY:30", PostForm(PrimaryPage("getbalance.aspx"), kSeedKeys).m_Body);
    EXPECT_EQ("<html><body>Service Unavailable</body></html>", PostForm(PrimaryPage("getbalance.aspx"), kSeedKeys).m_Body);
    EXPECT_EQ("BALANCE:1000", PostForm(PrimaryPage("getbalance.aspx"), kSeedKeys).m_Body);
    // The backup server was not scripted.
    EXPECT_EQ("BALANCE:1000", PostForm(m_Backup.HttpsBaseUrl() + "api/https/getbalance.aspx", kSeedKeys).m_Body);
}

TEST_F(GatewaySimulatorTest, BodyWithNulBytesArrivesWhole)
{
    const std::string body("ID:\0" "12\0" "34", 9);
    m_Primary.Script("sendmsg.aspx", CScriptedReply::Body(body));
    const CPostResult result = PostForm(PrimaryPage("sendmsg.aspx"), kSeedKeys);
    EXPECT_EQ(body, result.m_Body);
    EXPECT_EQ(body, m_Primary.Requests("sendmsg.aspx").at(0).m_ReplyBody);
}

TEST_F(GatewaySimulatorTest, HttpErrorStatusKeepsItsBody)
{
    m_Primary.Script("*", CScriptedReply::Body("Internal Server Error").HttpStatus(500));
    const CPostResult result = PostForm(PrimaryPage("sendmsg.aspx"), kSeedKeys);
    ASSERT_TRUE(result.m_Sent);
    EXPECT_EQ(500u, result.m_Status);
    EXPECT_EQ("Internal Server Error", result.m_Body);
}

TEST_F(GatewaySimulatorTest, TruncatedBodyEndsShort)
{
    m_Primary.Script("getbalance.aspx", CScriptedReply::Normal().TruncateAt(5));
    const CPostResult result = PostForm(PrimaryPage("getbalance.aspx"), kSeedKeys);
    ASSERT_TRUE(result.m_Sent) << result.m_Error;
    EXPECT_EQ(12u, result.m_ContentLength);
    EXPECT_EQ("BALAN", result.m_Body);
}

TEST_F(GatewaySimulatorTest, DroppedConnectionGivesNoAnswer)
{
    // WinINet keeps connections alive across sessions and may repeat a
    // request once when a reused connection closes without an answer, so
    // the drop is scripted twice. Wine then reports no failure but an
    // answer without status or body; Windows fails the send.
    for (const std::string& base : {m_Primary.HttpBaseUrl(), m_Primary.HttpsBaseUrl()})
    {
        m_Primary.Script("sendmsg.aspx", CScriptedReply::Drop().Repeat(2));
        const CPostResult result = PostForm(base + "api/https/sendmsg.aspx", kSeedKeys);
        if (result.m_Sent)
        {
            EXPECT_EQ(0u, result.m_Status) << base;
            EXPECT_EQ("", result.m_Body) << base;
        }
        else
            EXPECT_NE(0u, result.m_Error) << base;
        EXPECT_FALSE(m_Primary.Requests("sendmsg.aspx").empty()) << base;
        m_Primary.Reset();
    }
}

TEST_F(GatewaySimulatorTest, SlowAnswerRunsIntoTheReceiveTimeout)
{
    m_Primary.Script("getbalance.aspx", CScriptedReply::Normal().Wait(20).Repeat(2));
    const DWORD started = ::GetTickCount();
    const CPostResult late = PostForm(PrimaryPage("getbalance.aspx"), kSeedKeys, 1000);
    EXPECT_LT(::GetTickCount() - started, 15000u);
    EXPECT_FALSE(late.m_Sent);
    // Wine reports the receive time-out as a broken connection.
    EXPECT_TRUE(late.m_Error == ERROR_INTERNET_TIMEOUT || late.m_Error == ERROR_INTERNET_CONNECTION_ABORTED)
        << late.m_Error;

    m_Primary.Reset();
    m_Primary.Script("getbalance.aspx", CScriptedReply::Normal().Wait(1));
    const DWORD slowStart = ::GetTickCount();
    EXPECT_EQ("BALANCE:1000", PostForm(PrimaryPage("getbalance.aspx"), kSeedKeys, 30000).m_Body);
    EXPECT_GE(::GetTickCount() - slowStart, 900u);
}

TEST_F(GatewaySimulatorTest, RequestLogHoldsTheRawBody)
{
    const std::string body = kSeedKeys + "&to=447700900001&text=caf%c3%a9+%00x&raw=\xe9\x01";
    PostForm(PrimaryPage("sendmsg.aspx"), body);
    const std::vector<CLoggedRequest> log = m_Primary.Requests("api/https/sendmsg.aspx");
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(body, log[0].m_Body);
    EXPECT_EQ("POST", log[0].m_Method);
    EXPECT_EQ("api/https/sendmsg.aspx", log[0].m_Page);
    EXPECT_EQ("application/x-www-form-urlencoded", log[0].Header("Content-Type"));
    EXPECT_EQ(std::string("caf\xc3\xa9 \0x", 8), log[0].Field("text"));
    EXPECT_EQ(Seed::kAccessKey, log[0].Field("accesskey"));
    EXPECT_FALSE(log[0].HasField("userkey"));
    EXPECT_EQ(200, log[0].m_ReplyStatus);
    EXPECT_EQ(0u, log[0].m_ReplyBody.find("ID:")) << log[0].m_ReplyBody;
    EXPECT_TRUE(m_Backup.Requests().empty());
}

TEST_F(GatewaySimulatorTest, BalanceAndSettingsCanBeSet)
{
    m_Primary.SetBalance(Seed::kUsername, 1);
    EXPECT_EQ("ERR:INSUFFICIENT_CREDIT",
              PostForm(PrimaryPage("sendmsg.aspx"), kSeedKeys + "&to=447700900001,447700900002&text=Hi").m_Body);
    m_Primary.ApplySettings(R"({"require_https": true})");
    EXPECT_EQ("ERR:CONNECTION_NOT_SECURE",
              PostForm(m_Primary.HttpBaseUrl() + "api/https/getbalance.aspx", kSeedKeys).m_Body);
    EXPECT_THROW(m_Primary.ApplySettings(R"({"no_such_setting": 1})"), std::runtime_error);
}
}  // namespace
