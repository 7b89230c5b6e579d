// Requests of the gateway client as the simulator receives them, and its
// reading of the replies that come back.
#include "GatewayTestSupport.h"

#include "gateway/SMSGatewayHTTPInterfaceClient.h"

#include <regex>
#include <stdexcept>

namespace
{
using namespace GatewaySimulatorSeed;

const std::string kKeys = std::string("accesskey=") + kAccessKey + "&secretkey=" + kSecretKey;

class SMSGatewayProxyRequestTest : public GatewaySimulatorTest
{
protected:
    void SetUp() override
    {
        GatewaySimulatorTest::SetUp();
        Configure(m_Client);
    }

    // A send with the add-in's request options.
    void Send(const CSMSGatewaySendOptions& sendOptions, const std::string& to, const std::string& text,
              const std::string& from = "Zentavo", const std::string& userContext = std::string())
    {
        CSMSGatewayRequestOptions options = PrimaryOnly(60000);
        m_Client.SendMessage(&options, sendOptions, kAccessKey, kSecretKey, to, from, text, "", userContext, 1, 1,
                             m_Status, m_Records, m_IsJob, m_JobId);
    }

    CLoggedRequest OnlyRequest(const std::string& page) const
    {
        const std::vector<CLoggedRequest> requests = m_Primary.Requests(page);
        if (requests.size() != 1)
            throw std::runtime_error("expected one request to " + page + ", got " +
                                     std::to_string(requests.size()));
        return requests[0];
    }

    CSMSGatewayHTTPInterfaceClient m_Client;
    SMSGatewayResultCode m_Status = UNKNOWN;
    std::vector<CSMSSendStatus> m_Records;
    BYTE m_IsJob = 2;
    std::string m_JobId = "stale";
};

TEST_F(SMSGatewayProxyRequestTest, SendCarriesEveryFieldByteForByte)
{
    CSMSGatewaySendOptions sendOptions;
    sendOptions.m_FromType = 1;
    sendOptions.m_ReplyTo.m_InterfaceId = 0x20000001;
    sendOptions.m_ReplyTo.m_Id = L"j\x00FCrgen@example.com";
    sendOptions.m_ReplyTo.m_Name = L"J\x00FCrgen M\x00FCller";
    sendOptions.m_MessageSource = sendOptions.m_ReplyTo;
    sendOptions.m_DeliveryReportSetting = drsReportStatuses;
    sendOptions.m_DeliveryReportStatusMask = drsfDeliverySuccess | drsfDeliveryFailure;
    sendOptions.m_RoutingType = rrtMsgSource;

    // Code page 1252: u-umlaut, sharp s, the euro sign; then reserved characters.
    const std::string text = "Gr\xFC\xDF \x80 & = + % ? #;\r";
    Send(sendOptions, "447700900001,447700900002", text);

    const CLoggedRequest request = OnlyRequest("sendmsg.aspx");
    EXPECT_EQ("https", request.m_Scheme);
    EXPECT_EQ("POST", request.m_Method);
    EXPECT_EQ("application/x-www-form-urlencoded", request.Header("Content-Type"));
    EXPECT_EQ("interface=536870913&" + kKeys +
                  "&to=447700900001%2c447700900002&fromtype=1&from=Zentavo&"
                  "text=Gr%c3%bc%c3%9f+%e2%82%ac+%26+%3d+%2b+%25+%3f+%23%3b%0d&delrpt=1"
                  "&rplyintf=536870913&rplyid=j%c3%bcrgen%40example%2ecom&rplyname=J%c3%bcrgen+M%c3%bcller"
                  "&msgsrcintf=536870913&msgsrcid=j%c3%bcrgen%40example%2ecom&msgsrcname=J%c3%bcrgen+M%c3%bcller"
                  "&delrpt_reqstatus=DeliverySuccess%7cDeliveryFailure&delrpt_routingtype=MsgSource&" +
                  kAddinClientDetails,
              request.m_Body);
    // What the gateway decodes: the text in UTF-8.
    EXPECT_EQ("Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC & = + % ? #;\r", request.Field("text"));
    EXPECT_EQ("J\xC3\xBCrgen M\xC3\xBCller", request.Field("rplyname"));

    EXPECT_EQ(OK, m_Status);
    EXPECT_EQ(0, m_IsJob);
    EXPECT_EQ("", m_JobId);
    ASSERT_EQ(2u, m_Records.size());
    EXPECT_EQ("447700900001", m_Records[0].m_Number);
    EXPECT_EQ("1000001", m_Records[0].m_MessageId);
    EXPECT_EQ(OK, m_Records[0].m_StatusCode);
    EXPECT_EQ("447700900002", m_Records[1].m_Number);
    EXPECT_EQ("1000002", m_Records[1].m_MessageId);
}

TEST_F(SMSGatewayProxyRequestTest, ScheduledSendBecomesAJob)
{
    CSMSGatewaySendOptions sendOptions;
    sendOptions.m_FromType = 2;
    sendOptions.m_StartTime.wYear = 2031;
    sendOptions.m_StartTime.wMonth = 12;
    sendOptions.m_StartTime.wDay = 24;
    sendOptions.m_StartTime.wHour = 18;
    sendOptions.m_StartTime.wMinute = 5;
    sendOptions.m_StartTime.wSecond = 9;
    sendOptions.m_DeliveryReportSetting = drsNoReports;
    Send(sendOptions, "447700900001", "Happy Christmas", "ignored", "ctx-7");

    const CLoggedRequest request = OnlyRequest("sendmsg.aspx");
    EXPECT_TRUE(std::regex_match(request.m_Body,
                                 std::regex("interface=536870913&" + kKeys +
                                            "&to=447700900001&fromtype=2&text=Happy\\+Christmas&usercontext=ctx%2d7"
                                            "&delrpt=1&startat=2031%2d12%2d24T18%3a05%3a09(%2b|%2d)[0-9]{2}%3a[0-9]{2}"
                                            "&delrpt_reqstatus=None&" + kAddinClientDetails)))
        << request.m_Body;
    EXPECT_FALSE(request.HasField("from"));
    EXPECT_TRUE(std::regex_match(request.Field("startat"), std::regex("2031-12-24T18:05:09[+-][0-9]{2}:[0-9]{2}")));

    EXPECT_EQ(OK, m_Status);
    EXPECT_EQ(1, m_IsJob);
    EXPECT_EQ("5000001", m_JobId);
    EXPECT_TRUE(m_Records.empty());
}

TEST_F(SMSGatewayProxyRequestTest, SendRepliesAreReadRecipientByRecipient)
{
    const struct
    {
        std::string reply;
        std::string to;
        SMSGatewayResultCode status;
        std::vector<std::string> records; // number|id|code
        std::string jobId;
    } cases[] = {
        {"ID:1234567", "+447700900001", OK, {"+447700900001|1234567|1"}, ""},
        {"ID:77abc\r\n", "4477,00900001", OK, {"447700900001|77|1"}, ""},
        {"ERR:INVALID_NUMBER", "12", OK, {"12||11"}, ""},
        {"1,ID:11\r\n2,ERR:INVALID_NUMBER\r\n", "1,2", OK, {"1|11|1", "2||11"}, ""},
        {"1,ERR:INVALID_NUMBER\n2,ERR:INVALID_NUMBER", "1,2", OK, {"1||11", "2||11"}, ""},
        {"2,ID:9x\n\n1,ID:8y\n", "1,2", OK, {"2|9|1", "1|8|1"}, ""},
        {"1,ID:5\nnot a record\n2,whatever", "1,2", OK, {"1|5|1", "2||0"}, ""},
        {"ERR:LOGIN_INVALID", "1", LOGIN_INVALID, {}, ""},
        {"ERR:INVALID_REQUEST", "1", INVALID_REQUEST, {}, ""},
        {"1,ERR:INVALID_REQUEST\n2,ID:8", "1,2", OK, {"1||12", "2|8|1"}, ""},
        {"JOBID:5000123abc", "1,2", OK, {}, "5000123"},
        {"<html>oops</html>", "1", CONNECTION_ERROR, {}, ""},
    };
    for (const auto& c : cases)
    {
        m_Primary.Script("sendmsg.aspx", CScriptedReply::Body(c.reply));
        Send(CSMSGatewaySendOptions(), c.to, "hi");
        EXPECT_EQ(c.status, m_Status) << c.reply;
        EXPECT_EQ(c.jobId.empty() ? 0 : 1, m_IsJob) << c.reply;
        EXPECT_EQ(c.jobId, m_JobId) << c.reply;
        std::vector<std::string> records;
        for (const CSMSSendStatus& record : m_Records)
            records.push_back(record.m_Number + "|" + record.m_MessageId + "|" +
                              std::to_string(record.m_StatusCode));
        EXPECT_EQ(c.records, records) << c.reply;
    }
}

TEST_F(SMSGatewayProxyRequestTest, HundredRecipientReplyArrivesWholeAndInOrder)
{
    std::string to;
    std::string reply;
    for (int i = 0; i < 100; ++i)
    {
        const std::string number = std::to_string(447700900100LL + i);
        to += (i ? "," : "") + number;
        reply += number + ",ID:" + std::to_string(2000000 + i) + "\r\n";
    }
    m_Primary.Script("sendmsg.aspx", CScriptedReply::Body(reply));
    Send(CSMSGatewaySendOptions(), to, "hello all");
    EXPECT_EQ(OK, m_Status);
    ASSERT_EQ(100u, m_Records.size());
    for (int i = 0; i < 100; ++i)
    {
        EXPECT_EQ(std::to_string(447700900100LL + i), m_Records[i].m_Number);
        EXPECT_EQ(std::to_string(2000000 + i), m_Records[i].m_MessageId);
    }
}

TEST_F(SMSGatewayProxyRequestTest, BalanceRequestAndReplies)
{
    CSMSGatewayRequestOptions options = PrimaryOnly();
    SMSGatewayResultCode status = UNKNOWN;
    EXPECT_EQ(1000, m_Client.GetBalance(&options, kAccessKey, kSecretKey, status));
    EXPECT_EQ(OK, status);
    EXPECT_EQ("interface=536870913&" + kKeys + "&" + kAddinClientDetails,
              OnlyRequest("getbalance.aspx").m_Body);

    m_Primary.SetBalance(kUsername, -3);
    EXPECT_EQ(-3, m_Client.GetBalance(&options, kAccessKey, kSecretKey, status));

    m_Primary.Script("getbalance.aspx", CScriptedReply::Body("BALANCE:250\r\nlast top-up 2024"));
    EXPECT_EQ(250, m_Client.GetBalance(&options, kAccessKey, kSecretKey, status));
    m_Primary.Script("getbalance.aspx", CScriptedReply::Body("BALANCE:99999999999"));
    EXPECT_EQ(2147483647, m_Client.GetBalance(&options, kAccessKey, kSecretKey, status));

    EXPECT_EQ(0, m_Client.GetBalance(&options, kAccessKey, "wrong", status));
    EXPECT_EQ(LOGIN_INVALID, status);

    m_Primary.Script("getbalance.aspx", CScriptedReply::Body(""));
    EXPECT_EQ(0, m_Client.GetBalance(&options, kAccessKey, kSecretKey, status));
    EXPECT_EQ(CONNECTION_ERROR, status);
}

TEST_F(SMSGatewayProxyRequestTest, LoginAndLogoutThroughAuthenticationFactors)
{
    CSMSGatewayRequestOptions options = PrimaryOnly();
    SMSGatewayResultCode status = UNKNOWN;
    std::string publicValue = "stale";
    std::string secretValue = "stale";
    m_Client.CreateAuthFactor(&options, kUsername, kPassword, 0x20000001, 5, "ZentavoSMS Outlook Addin (PC-1)", 0,
                              status, publicValue, secretValue);
    EXPECT_EQ(OK, status);
    EXPECT_EQ("interface=536870913&username=testuser&password=testpass&af_intf=536870913&af_authmode=5&"
              "af_name=ZentavoSMS+Outlook+Addin+%28PC%2d1%29&mfasupported=0&" +
                  std::string(kAddinClientDetails),
              OnlyRequest("createauthfactor.aspx").m_Body);
    ASSERT_FALSE(publicValue.empty());
    ASSERT_FALSE(secretValue.empty());

    EXPECT_EQ(1000, m_Client.GetBalance(&options, publicValue, secretValue, status));
    EXPECT_EQ(OK, status);

    m_Client.DeleteAuthFactor(&options, 5, publicValue, secretValue, status);
    EXPECT_EQ(OK, status);
    EXPECT_EQ("interface=536870913&authmode=5&accesskey=" + publicValue + "&secretkey=" + secretValue + "&" +
                  kAddinClientDetails,
              OnlyRequest("deleteauthfactor.aspx").m_Body);
    m_Client.GetBalance(&options, publicValue, secretValue, status);
    EXPECT_EQ(LOGIN_INVALID, status);

    // Refusals come back as codes, with both values empty.
    m_Client.CreateAuthFactor(&options, kUsername, "wrong", 0x20000001, 5, "n", 0, status, publicValue,
                              secretValue);
    EXPECT_EQ(LOGIN_INVALID, status);
    EXPECT_EQ("", publicValue);
    EXPECT_EQ("", secretValue);
    m_Client.CreateAuthFactor(&options, kMfaUsername, kMfaPassword, 0x20000001, 5, "n", 0, status, publicValue,
                              secretValue);
    EXPECT_EQ(MFA_REQUIRED, status);
    m_Client.CreateAuthFactor(&options, kMfaUsername, kMfaPassword, 0x20000001, 5, "n", 1, status, publicValue,
                              secretValue);
    EXPECT_EQ(OK, status);
    EXPECT_EQ("1", m_Primary.Requests("createauthfactor.aspx").back().Field("mfasupported"));
}

TEST_F(SMSGatewayProxyRequestTest, AuthFactorRepliesOfOtherShapes)
{
    CSMSGatewayRequestOptions options = PrimaryOnly();
    SMSGatewayResultCode status = UNKNOWN;
    std::string publicValue;
    std::string secretValue;
    auto create = [&](const std::string& reply) {
        m_Primary.Script("createauthfactor.aspx", CScriptedReply::Body(reply));
        m_Client.CreateAuthFactor(&options, "u", "p", 1, 5, "n", 0, status, publicValue, secretValue);
    };

    create("PUBLICFIELD:AK1\r\nSECRETFIELD:SK1\r\n");
    EXPECT_EQ(OK, status);
    EXPECT_EQ("AK1\r", publicValue);
    EXPECT_EQ("SK1\r", secretValue);

    create("PUBLICFIELD:AK1");
    EXPECT_EQ(OK, status);
    EXPECT_EQ("", publicValue);
    EXPECT_EQ("", secretValue);

    m_Primary.Script("createauthfactor.aspx", CScriptedReply::Body("PUBLICFIELD:AK1\nshort"));
    EXPECT_THROW(m_Client.CreateAuthFactor(&options, "u", "p", 1, 5, "n", 0, status, publicValue, secretValue),
                 std::out_of_range);

    create("ERR:DUPLICATE_NAME");
    EXPECT_EQ(DUPLICATE_NAME, status);

    SMSGatewayResultCode deleted = UNKNOWN;
    m_Primary.Script("deleteauthfactor.aspx", CScriptedReply::Body("Result: OK\r\n"));
    m_Client.DeleteAuthFactor(&options, 5, "a", "b", deleted);
    EXPECT_EQ(OK, deleted);
}

TEST_F(SMSGatewayProxyRequestTest, OtherSendVariantsAndSubAccountForms)
{
    CSMSGatewayRequestOptions options = PrimaryOnly();
    SMSGatewayResultCode status = UNKNOWN;
    std::vector<CSMSSendStatus> records;

    m_Primary.Script("sendmsg.aspx", CScriptedReply::Body("ID:42x"));
    EXPECT_EQ("42", m_Client.SendSingleMessage(&options, CSMSGatewaySendOptions(), kAccessKey, kSecretKey,
                                               "447700900001", "me", "hi", "uk", "", 0, 2, status));
    EXPECT_EQ(OK, status);

    m_Client.SendUnicodeMessage(&options, kAccessKey, kSecretKey, "447700900001", "me", std::string(3000, 'A'),
                                "", 1, 4, status, records);
    EXPECT_EQ(OK, status);
    ASSERT_EQ(1u, records.size());

    m_Client.SendBinaryMessage(&options, kAccessKey, kSecretKey, "447700900001", "me", "0605", "C0FFEE", "k", 0,
                               status, records);
    EXPECT_EQ(OK, status);

    m_Client.SendWAPPushMessage(&options, kAccessKey, kSecretKey, "447700900001", "me", "See this",
                                "http://example.com/a?b=1", 1, status, records);
    EXPECT_EQ(OK, status);

    const std::vector<CLoggedRequest> sends = m_Primary.Requests("sendmsg.aspx");
    ASSERT_EQ(4u, sends.size());
    const std::string tail = std::string("&") + kAddinClientDetails;
    const std::string head = "interface=536870913&" + kKeys + "&to=447700900001&";
    EXPECT_EQ(head + "from=me&text=hi&userkey=uk&maxconcat=2" + tail, sends[0].m_Body);
    EXPECT_EQ(head + "from=me&type=2&hex=" + std::string(2800, 'A') + "&delrpt=1&maxconcat=4" + tail,
              sends[1].m_Body);
    EXPECT_EQ(head + "from=me&type=3&udh=0605&ud=C0FFEE&userkey=k" + tail, sends[2].m_Body);
    EXPECT_EQ(head + "from=me&type=4&text=See+this&href=http%3a%2f%2fexample%2ecom%2fa%3fb%3d1"
                     "&interface=536870913&delrpt=1" + tail,
              sends[3].m_Body);

    // The gateway has no such page here: the reply is no known form.
    m_Client.CreateSubAccount(&options, "a", "s", "u", "p", 3, "F N", "C", "1 Road", "T", "Cy", "UK", "AB1 2CD",
                              "e@x.com", "01", "02", status);
    EXPECT_EQ(CONNECTION_ERROR, status);
    const std::vector<CLoggedRequest> sub = m_Primary.Requests("smsgateway/createsubacc.aspx");
    ASSERT_EQ(1u, sub.size());
    EXPECT_EQ("accesskey=a&secretkey=s&subacc_username=u&subacc_password=p&subacc_service=3&"
              "subacc_fullname=F+N&subacc_company=C&subacc_address=1+Road&subacc_town=T&subacc_county=Cy&"
              "subacc_country=UK&subacc_postcode=AB1+2CD&subacc_email=e%40x%2ecom&subacc_phone=01&subacc_fax=02" +
                  tail,
              sub[0].m_Body);
}

TEST_F(SMSGatewayProxyRequestTest, WithoutInterfaceIdTheFormsBeginWithTheKeys)
{
    CSMSGatewayHTTPInterfaceClient client;
    Configure(client);
    client.SetInterface(0);
    client.SetClientId("ZentavoSMS", "5.0.1", "", "");
    CSMSGatewayRequestOptions options = PrimaryOnly();
    SMSGatewayResultCode status = UNKNOWN;
    EXPECT_EQ(1000, client.GetBalance(&options, kAccessKey, kSecretKey, status));
    EXPECT_EQ(kKeys + "&clientid=ZentavoSMS&clientver=5.0.1", OnlyRequest("getbalance.aspx").m_Body);
}

TEST_F(SMSGatewayProxyRequestTest, AddinSetUpSendsOverHttpsToTheConfiguredGateway)
{
    // The addresses are read once per process; a trailing "/" is dropped.
    const std::string primary = m_Primary.HttpsServer() + "/";
    ASSERT_TRUE(::SetEnvironmentVariableA("ZENTAVOSMS_GATEWAY_PRIMARY_URL", primary.c_str()));
    ASSERT_TRUE(::SetEnvironmentVariableA("ZENTAVOSMS_GATEWAY_BACKUP_URL", m_Backup.HttpsServer().c_str()));

    CSMSGatewayHTTPInterfaceClient client;
    InitialiseSMSGatewayHTTPInterfaceClient(client);
    CSMSGatewayRequestOptions options = PrimaryOnly(60000);
    client.SendMessage(&options, CSMSGatewaySendOptions(), kAccessKey, kSecretKey, "447700900001,447700900002",
                       "", "Meeting moved to 3pm", "", "", 1, 1, m_Status, m_Records, m_IsJob, m_JobId);
    EXPECT_EQ(OK, m_Status);
    ASSERT_EQ(2u, m_Records.size());

    const CLoggedRequest request = OnlyRequest("sendmsg.aspx");
    EXPECT_EQ("https", request.m_Scheme);
    EXPECT_EQ("536870913", request.Field("interface"));
    EXPECT_EQ("ZentavSMSOutlookAddin", request.Field("appid"));
    EXPECT_EQ("5.0.1", request.Field("appver"));

    const CJsonValue state = m_Primary.State();
    const std::vector<CJsonValue>& messages = state["messages"].AsArray();
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ(m_Records[0].m_MessageId, messages[0]["message_id"].AsString());
    EXPECT_EQ("447700900002", messages[1]["number"].AsString());
    EXPECT_EQ("Meeting moved to 3pm", messages[1]["text"].AsString());
}
} // namespace
