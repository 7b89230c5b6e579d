#include "GatewayTestSupport.h"

#include "gateway/HTTPConnection.h"

#include "core/Exceptions.h"

#include <gtest/gtest.h>

namespace
{
TEST(HTTPConnection, SecureFlagFollowsPortOrLowerCaseScheme)
{
    // No keep-alive: WinINet would ask for it over the request's own
    // "Connection: close".
    const DWORD plain = INTERNET_FLAG_NO_CACHE_WRITE;
    const DWORD secure = plain | INTERNET_FLAG_SECURE;
    EXPECT_EQ(0x04000000u, plain);
    EXPECT_EQ(secure, CHTTPConnection::GetRequestFlags("https://host/", 443));
    EXPECT_EQ(secure, CHTTPConnection::GetRequestFlags("http://host:443/", 443));
    EXPECT_EQ(secure, CHTTPConnection::GetRequestFlags("https://host:8443/", 8443));
    EXPECT_EQ(plain, CHTTPConnection::GetRequestFlags("http://host/", 80));
    EXPECT_EQ(plain, CHTTPConnection::GetRequestFlags("HTTPS://host:8443/", 8443));
}

TEST(HTTPConnection, RequestWithoutSessionFailsToConnect)
{
    // Never opened, or closed: no request leaves.
    CHTTPConnection connection;
    CHTTPRequestOptions options;
    options.m_TimeoutMs = 1000;
    options.m_Win32Error = 77;
    try
    {
        connection.Post(&options, "http://localhost:1/x", "a=1");
        FAIL() << "no exception";
    }
    catch (const CHTTPException& e)
    {
        EXPECT_STREQ("CHTTPConnection::HTTPRequest - InternetConnection Failed", e.what());
    }
    EXPECT_EQ(1, options.m_Failed);
    EXPECT_EQ(1, options.m_Win32ErrorKnown);
    EXPECT_NE(77u, options.m_Win32Error);
}
} // namespace

// ---- against the simulator

namespace
{
class HTTPConnectionSimulatorTest : public GatewaySimulatorTest
{
protected:
    void SetUp() override
    {
        GatewaySimulatorTest::SetUp();
        m_Connection.SetProxyUsernameAndPassword(false, false, "", "", "");
    }

    std::string PostToPrimary(const std::string& body, CHTTPRequestOptions* options = nullptr)
    {
        return m_Connection.Post(options, m_Primary.HttpsServer() + "/api/https/getbalance.aspx", body);
    }

    CHTTPConnection m_Connection;
};

TEST_F(HTTPConnectionSimulatorTest, ReplyIsReadInChunksAndJoined)
{
    std::string longReply;
    for (int i = 0; i < 40; ++i)
        longReply += "line " + std::to_string(i) + "\n";
    m_Primary.Script("getbalance.aspx", CScriptedReply::Body(longReply));
    EXPECT_EQ(longReply, PostToPrimary("a=1"));

    m_Primary.Script("getbalance.aspx", CScriptedReply::Body(""));
    EXPECT_EQ("", PostToPrimary("a=1"));
}

TEST_F(HTTPConnectionSimulatorTest, ZeroByteEndsItsChunk)
{
    // Replies are text: a zero byte cuts the rest of its 50-byte read.
    const std::string body = std::string(10, 'A') + std::string(1, '\0') + std::string(39, 'B') + "CCCC";
    m_Primary.Script("getbalance.aspx", CScriptedReply::Body(body));
    EXPECT_EQ(std::string(10, 'A') + "CCCC", PostToPrimary("a=1"));
}

TEST_F(HTTPConnectionSimulatorTest, ErrorStatusKeepsItsBodyAndEmptyBodyIsSentAsNone)
{
    m_Primary.Script("getbalance.aspx", CScriptedReply::Body("Not here").HttpStatus(404));
    EXPECT_EQ("Not here", PostToPrimary(""));
    const std::vector<CLoggedRequest> requests = m_Primary.Requests("getbalance.aspx");
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("", requests[0].m_Body);
    EXPECT_EQ("0", requests[0].Header("Content-Length"));
    EXPECT_EQ("ZentavoSMS", requests[0].Header("User-Agent"));
}

TEST_F(HTTPConnectionSimulatorTest, FailureDropsTheConnectionAndTheNextRequestConnectsAgain)
{
    m_Primary.Script("getbalance.aspx", CScriptedReply::Normal().Wait(20).Repeat(2));
    CHTTPRequestOptions options;
    options.m_TimeoutMs = 1000;
    EXPECT_THROW(PostToPrimary("a=1", &options), CHTTPException);
    EXPECT_EQ(1, options.m_Failed);
    EXPECT_EQ(1, options.m_Win32ErrorKnown);
    EXPECT_NE(0u, options.m_Win32Error);

    m_Primary.Reset();
    const std::string keys = std::string("accesskey=") + GatewaySimulatorSeed::kAccessKey +
                             "&secretkey=" + GatewaySimulatorSeed::kSecretKey;
    EXPECT_EQ("BALANCE:1000", PostToPrimary(keys, &options));
    EXPECT_EQ(0, options.m_Failed);
    EXPECT_EQ(0, options.m_Win32ErrorKnown);
    EXPECT_EQ(0u, options.m_Win32Error);

    // Another host and port replaces the cached connection.
    EXPECT_EQ("BALANCE:1000",
              m_Connection.Post(&options, m_Backup.HttpsServer() + "/api/https/getbalance.aspx", keys));
    EXPECT_EQ("BALANCE:1000", m_Connection.Post(m_Primary.HttpServer() + "/api/https/getbalance.aspx", keys));
    EXPECT_EQ(1u, m_Backup.Requests("getbalance.aspx").size());
    EXPECT_EQ("http", m_Primary.Requests("getbalance.aspx").back().m_Scheme);
}
} // namespace
