// The transport against the two simulator instances: failover decisions,
// the "DELAY:" retry, and how HTTP failures are reported.
#include "GatewayTestSupport.h"

#include "gateway/SMSGatewayService.h"

#include <regex>

namespace
{
const char kBalancePage[] = "api/https/getbalance.aspx";
const std::string kSeedForm = std::string("accesskey=") + GatewaySimulatorSeed::kAccessKey +
                              "&secretkey=" + GatewaySimulatorSeed::kSecretKey;

class SMSGatewayServiceTest : public GatewaySimulatorTest
{
protected:
    void SetUp() override
    {
        GatewaySimulatorTest::SetUp();
        Configure(m_Service);
    }

    // One balance request through the full entry point.
    std::string Balance(CSMSGatewayRequestOptions* options)
    {
        return m_Service.MakeHTTPRequestWithDelay(options, kBalancePage, kSeedForm, "BALANCE:", 1, m_Raw,
                                                  m_Status);
    }

    size_t PrimaryCount() const { return m_Primary.Requests("getbalance.aspx").size(); }
    size_t BackupCount() const { return m_Backup.Requests("getbalance.aspx").size(); }

    static CTickCountTime TicksAgo(DWORD milliseconds) { return CTickCountTime(::GetTickCount() - milliseconds); }

    CSMSGatewayService m_Service;
    std::string m_Raw;
    SMSGatewayResultCode m_Status = UNKNOWN;
};

TEST_F(SMSGatewayServiceTest, FailedPrimaryHandsOverToTheBackupWithoutClientDetails)
{
    m_Primary.Script("getbalance.aspx", CScriptedReply::Error("GATEWAY_ERROR"));
    EXPECT_EQ("1000", Balance(nullptr));
    EXPECT_EQ(OK, m_Status);
    EXPECT_EQ("BALANCE:1000", m_Raw);

    const std::vector<CLoggedRequest> first = m_Primary.Requests("getbalance.aspx");
    const std::vector<CLoggedRequest> second = m_Backup.Requests("getbalance.aspx");
    ASSERT_EQ(1u, first.size());
    ASSERT_EQ(1u, second.size());
    EXPECT_EQ(kSeedForm + "&" + kAddinClientDetails, first[0].m_Body);
    EXPECT_EQ(kSeedForm, second[0].m_Body);
    EXPECT_FALSE(g_PrimaryServerLastFailure.Load().IsNull());
    EXPECT_TRUE(g_BackupServerLastFailure.Load().IsNull());

    // Within the window the next request starts with the backup.
    EXPECT_EQ("1000", Balance(nullptr));
    EXPECT_EQ(1u, PrimaryCount());
    EXPECT_EQ(2u, BackupCount());
}

TEST_F(SMSGatewayServiceTest, PrimaryIsTriedAgainOnceTheWindowHasPassed)
{
    g_PrimaryServerLastFailure.Store(TicksAgo(300001));
    Balance(nullptr);
    EXPECT_EQ(OK, m_Status);
    EXPECT_EQ(1u, PrimaryCount());
    EXPECT_EQ(0u, BackupCount());
    EXPECT_TRUE(g_PrimaryServerLastFailure.Load().IsNull());

    g_PrimaryServerLastFailure.Store(TicksAgo(290000));
    g_BackupServerLastFailure.Store(TicksAgo(1000));
    Balance(nullptr);
    EXPECT_EQ(OK, m_Status);
    // A recent primary failure sends the first attempt to the backup,
    // whatever the backup's own state; its success clears that state.
    EXPECT_EQ(1u, PrimaryCount());
    EXPECT_EQ(1u, BackupCount());
    EXPECT_TRUE(g_BackupServerLastFailure.Load().IsNull());
    EXPECT_FALSE(g_PrimaryServerLastFailure.Load().IsNull());
}

TEST_F(SMSGatewayServiceTest, BothServersFailingEndsAfterTwoExchanges)
{
    m_Primary.Script("getbalance.aspx", CScriptedReply::Error("INTERNAL_ERROR"));
    m_Backup.Script("getbalance.aspx", CScriptedReply::Body("<html>busy</html>").HttpStatus(503));
    EXPECT_EQ("", Balance(nullptr));
    EXPECT_EQ(CONNECTION_ERROR, m_Status);
    EXPECT_EQ("<html>busy</html>", m_Raw);
    EXPECT_EQ(1u, PrimaryCount());
    EXPECT_EQ(1u, BackupCount());
    EXPECT_FALSE(g_PrimaryServerLastFailure.Load().IsNull());
    EXPECT_FALSE(g_BackupServerLastFailure.Load().IsNull());
    EXPECT_EQ((std::vector<std::string>{"CSMSGatewayProxy::MakeHTTPRequest - Invalid Response: <html>busy</html>"}),
              m_Events.Texts());

    // Next call: the backup first; when it fails again, the primary.
    m_Backup.Script("getbalance.aspx", CScriptedReply::Error("GATEWAY_ERROR"));
    EXPECT_EQ("1000", Balance(nullptr));
    EXPECT_EQ(OK, m_Status);
    const std::vector<CLoggedRequest> backup = m_Backup.Requests("getbalance.aspx");
    const std::vector<CLoggedRequest> primary = m_Primary.Requests("getbalance.aspx");
    ASSERT_EQ(2u, backup.size());
    ASSERT_EQ(2u, primary.size());
    EXPECT_TRUE(g_PrimaryServerLastFailure.Load().IsNull());
    EXPECT_FALSE(g_BackupServerLastFailure.Load().IsNull());
}

TEST_F(SMSGatewayServiceTest, GatewayRefusalsOtherThanServerErrorsDoNotFailOver)
{
    m_Primary.Script("getbalance.aspx", CScriptedReply::Error("LOGIN_INVALID"));
    EXPECT_EQ("", Balance(nullptr));
    EXPECT_EQ(LOGIN_INVALID, m_Status);
    EXPECT_EQ(1u, PrimaryCount());
    EXPECT_EQ(0u, BackupCount());
    EXPECT_TRUE(g_PrimaryServerLastFailure.Load().IsNull());
}

TEST_F(SMSGatewayServiceTest, WithoutFailoverOnlyThePrimaryIsAskedAndNothingIsRecorded)
{
    g_PrimaryServerLastFailure.Store(TicksAgo(10));
    CSMSGatewayRequestOptions options = PrimaryOnly();
    Balance(&options);
    EXPECT_EQ(OK, m_Status);
    EXPECT_EQ(1u, PrimaryCount());
    EXPECT_TRUE(g_PrimaryServerLastFailure.Load().IsNull());

    m_Primary.Script("getbalance.aspx", CScriptedReply::Error("GATEWAY_ERROR"));
    Balance(&options);
    EXPECT_EQ(GATEWAY_ERROR, m_Status);
    EXPECT_EQ(2u, PrimaryCount());
    EXPECT_EQ(0u, BackupCount());
    EXPECT_TRUE(g_PrimaryServerLastFailure.Load().IsNull());
}

TEST_F(SMSGatewayServiceTest, DelayIsWaitedOnceThenRetried)
{
    m_Primary.Script("getbalance.aspx", CScriptedReply::Delay(30));
    EXPECT_EQ("1000", Balance(nullptr));
    EXPECT_EQ(OK, m_Status);
    EXPECT_EQ((std::vector<DWORD>{30000}), DelayWaits());
    EXPECT_EQ(2u, PrimaryCount());
    EXPECT_EQ(0u, BackupCount());
}

TEST_F(SMSGatewayServiceTest, SecondDelayEndsTheRequest)
{
    m_Primary.Script("getbalance.aspx", {CScriptedReply::Delay(2), CScriptedReply::Delay(7)});
    CSMSGatewayRequestOptions options = PrimaryOnly();
    EXPECT_EQ("7", Balance(&options));
    EXPECT_EQ(DELAY_REPEATED, m_Status);
    EXPECT_EQ("DELAY:7", m_Raw);
    EXPECT_EQ((std::vector<DWORD>{2000}), DelayWaits());
    EXPECT_EQ(2u, PrimaryCount());
}

TEST_F(SMSGatewayServiceTest, DelayFollowedByAnErrorEndsWithThatError)
{
    m_Primary.Script("getbalance.aspx", {CScriptedReply::Delay(1), CScriptedReply::Error("NO_TEXT")});
    CSMSGatewayRequestOptions options = PrimaryOnly();
    Balance(&options);
    EXPECT_EQ(NO_TEXT, m_Status);
}

TEST_F(SMSGatewayServiceTest, DelayWaitsAreBounded)
{
    const struct
    {
        const char* reply;
        DWORD waitMs;
    } cases[] = {
        {"DELAY:120", 120000}, {"DELAY:121", 15000},  {"DELAY:5000", 15000},
        {"DELAY:-5", 15000},   {"DELAY:-4294967", 15000}, {"DELAY:", 0},
        {"DELAY: 0", 0},       {"DELAY:99999999999999999999", 15000},
    };
    CSMSGatewayRequestOptions options = PrimaryOnly();
    for (const auto& c : cases)
    {
        SetUp();
        m_Primary.Script("getbalance.aspx", CScriptedReply::Body(c.reply));
        Balance(&options);
        EXPECT_EQ(OK, m_Status) << c.reply;
        EXPECT_EQ((std::vector<DWORD>{c.waitMs}), DelayWaits()) << c.reply;
    }
}

TEST_F(SMSGatewayServiceTest, DelayWaitReallyBlocksThroughTheDefaultSleep)
{
    SetGatewayDelayWaitFunction(nullptr);
    m_Primary.Script("getbalance.aspx", CScriptedReply::Delay(1));
    CSMSGatewayRequestOptions options = PrimaryOnly();
    const DWORD started = ::GetTickCount();
    Balance(&options);
    EXPECT_EQ(OK, m_Status);
    EXPECT_GE(::GetTickCount() - started, 900u);
}

TEST_F(SMSGatewayServiceTest, RefusedConnectionIsReportedWithTheMaskedForm)
{
    CSMSGatewayService service;
    const std::string refused = "https://localhost:" + std::to_string(ClosedPort());
    service.SetServers(refused, m_Backup.HttpsServer(), "", "", "");
    service.SetClientDetails(kAddinClientDetails);

    CSMSGatewayRequestOptions options = PrimaryOnly(5000);
    options.m_HTTPOptions.m_Win32Error = 99;
    const std::string form = "interface=1&username=u&password=p%21&secretkey=s";
    service.MakeHTTPRequestWithDelay(&options, kBalancePage, form, "BALANCE:", 1, m_Raw, m_Status);
    EXPECT_EQ(CONNECTION_ERROR, m_Status);
    EXPECT_EQ("", m_Raw);
    EXPECT_EQ(1, options.m_HTTPOptions.m_Failed);
    EXPECT_EQ(1, options.m_HTTPOptions.m_Win32ErrorKnown);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT), options.m_HTTPOptions.m_Win32Error);
    EXPECT_FALSE(CSMSGatewayService::MayHaveReachedServer(options.m_HTTPOptions));

    const std::vector<std::string> texts = m_Events.Texts();
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ("HTTP  Exception raised\nFunction: CSMSGatewayProxy::MakeHTTPRequest\n"
              "Description: CHTTPConnection::HTTPRequest - HttpSendRequest Failed\nURL:" +
                  refused + "/api/https/getbalance.aspx\nPostData:interface=1&username=u&password=*******&"
                            "secretkey=*******&" + kAddinClientDetails + "\nHResult: -2147012867",
              texts[0]);
    EXPECT_EQ("CorvasseServer", m_Events.Events()[0].source);

    // With failover the backup answers instead.
    CSMSGatewayRequestOptions failover = WithFailover(5000);
    EXPECT_EQ("1000", service.MakeHTTPRequestWithDelay(&failover, kBalancePage, kSeedForm, "BALANCE:", 1, m_Raw,
                                                       m_Status));
    EXPECT_EQ(OK, m_Status);
    EXPECT_EQ(0, failover.m_HTTPOptions.m_Failed);
    EXPECT_EQ(0, failover.m_HTTPOptions.m_Win32ErrorKnown);
    EXPECT_FALSE(g_PrimaryServerLastFailure.Load().IsNull());
}

TEST_F(SMSGatewayServiceTest, ReplyOfNoKnownFormIsNoConnectionFailure)
{
    m_Primary.Script("getbalance.aspx", CScriptedReply::Body("Service Unavailable").HttpStatus(500));
    CSMSGatewayRequestOptions options = PrimaryOnly();
    Balance(&options);
    EXPECT_EQ(CONNECTION_ERROR, m_Status);
    EXPECT_EQ(0, options.m_HTTPOptions.m_Failed);
    EXPECT_EQ(0, options.m_HTTPOptions.m_Win32ErrorKnown);
    EXPECT_TRUE(CSMSGatewayService::MayHaveReachedServer(options.m_HTTPOptions));
}

TEST_F(SMSGatewayServiceTest, SlowServerRunsIntoTheTimeOut)
{
    // WinINet may repeat a request once on a kept-alive connection.
    m_Primary.Script("getbalance.aspx", CScriptedReply::Normal().Wait(20).Repeat(2));
    CSMSGatewayRequestOptions options = PrimaryOnly(1000);
    const DWORD started = ::GetTickCount();
    Balance(&options);
    EXPECT_LT(::GetTickCount() - started, 15000u);
    EXPECT_EQ(CONNECTION_ERROR, m_Status);
    EXPECT_EQ(1, options.m_HTTPOptions.m_Failed);
    EXPECT_EQ(1, options.m_HTTPOptions.m_Win32ErrorKnown);
    // Wine reports the receive time-out as a broken connection.
    EXPECT_TRUE(options.m_HTTPOptions.m_Win32Error == ERROR_INTERNET_TIMEOUT ||
                options.m_HTTPOptions.m_Win32Error == ERROR_INTERNET_CONNECTION_ABORTED)
        << options.m_HTTPOptions.m_Win32Error;
    EXPECT_TRUE(CSMSGatewayService::MayHaveReachedServer(options.m_HTTPOptions));
    ASSERT_EQ(1u, m_Events.Texts().size());
    EXPECT_EQ(0u, m_Events.Texts()[0].find("HTTP  Exception raised\n"));
    EXPECT_NE(std::string::npos, m_Events.Texts()[0].find("\nURL:" + m_Primary.HttpsServer() + "/" + kBalancePage));

    // The same transport recovers on the next request.
    m_Primary.Reset();
    Balance(&options);
    EXPECT_EQ(OK, m_Status);
    EXPECT_EQ(0, options.m_HTTPOptions.m_Failed);
    EXPECT_EQ(0, options.m_HTTPOptions.m_Win32ErrorKnown);
    EXPECT_EQ(0u, options.m_HTTPOptions.m_Win32Error);
}

TEST_F(SMSGatewayServiceTest, CertificateOfAnotherNameIsRefused)
{
    // The test certificate names "localhost"; Wine ignores its IP-address
    // names, so 127.0.0.1 does not match.
    CSMSGatewayService service;
    service.SetServers("https://127.0.0.1:" + std::to_string(m_Primary.HttpsPort()), "", "", "", "");
    CSMSGatewayRequestOptions options = PrimaryOnly(5000);
    service.MakeHTTPRequestWithDelay(&options, kBalancePage, kSeedForm, "BALANCE:", 1, m_Raw, m_Status);
    EXPECT_EQ(CONNECTION_ERROR, m_Status);
    EXPECT_EQ(1, options.m_HTTPOptions.m_Win32ErrorKnown);
    EXPECT_TRUE(options.m_HTTPOptions.m_Win32Error >= 12037 && options.m_HTTPOptions.m_Win32Error <= 12057)
        << options.m_HTTPOptions.m_Win32Error;
    EXPECT_FALSE(CSMSGatewayService::MayHaveReachedServer(options.m_HTTPOptions));
    EXPECT_TRUE(m_Primary.Requests("getbalance.aspx").empty());
}

// The failures above as Windows and Wine report them otherwise.
TEST(RequestReachedServer, OnlyFailuresBeforeTheRequestLeftSayItDidNot)
{
    const struct
    {
        DWORD error;
        bool reached;
    } rows[] = {
        {ERROR_INTERNET_TIMEOUT, true},  {WSAETIMEDOUT, true},  // Wine's send time-out
        {ERROR_INTERNET_CONNECTION_RESET, true},               {ERROR_HTTP_INVALID_SERVER_RESPONSE, true},
        {ERROR_INTERNET_NAME_NOT_RESOLVED, false},             {ERROR_INTERNET_INVALID_CA, false},
        {ERROR_INTERNET_SEC_CERT_DATE_INVALID, false},
    };
    for (const auto& row : rows)
    {
        CHTTPRequestOptions outcome;
        outcome.m_Failed = 1;
        outcome.m_Win32Error = row.error;
        outcome.m_Win32ErrorKnown = 1;
        EXPECT_EQ(row.reached, CSMSGatewayService::MayHaveReachedServer(outcome)) << row.error;
    }
}

TEST_F(SMSGatewayServiceTest, SecondSetServersReplacesTheSession)
{
    CSMSGatewayRequestOptions options = PrimaryOnly();
    EXPECT_EQ("1000", Balance(&options));
    m_Service.SetServers(m_Primary.HttpsServer(), m_Backup.HttpsServer(), "", "", "");
    EXPECT_EQ("1000", Balance(&options));
}
} // namespace
