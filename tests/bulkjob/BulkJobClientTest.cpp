// The bulk-job client against the gateway simulator, through the WinINet
// transport: every operation's request, the conversions both ways, the reply
// codes, faults, error pages and connection failures.
#include "bulkjob/ZentavoSMSBulkSMSWebServiceClient_gSoap.h"
#include "core/Exceptions.h"
#include "core/GatewayAddresses.h"
#include "platform/GSoapWinInet.h"
#include "tests/support/GatewaySimulator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
namespace Seed = GatewaySimulatorSeed;

using Client = CZentavoSMSBulkSMSWebServiceClient_gSoap;

// A submission record with the values these tests start from.
struct TestSubmission : CZentavoSMSGatewaySubmission
{
    TestSubmission()
    {
        m_SenderId = "Zentavo";
        m_MessageText = "Meeting at 9";
        m_MaxConCat = 2;
        m_DeliveryReportSetting = 3;
    }
};

const char kPrefix[] = "CZentavoSMSBulkSMSWebServiceClient_gSoap::";

class BulkJobClient : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Simulator.Reset();
        m_Endpoint = m_Simulator.HttpsServer() + GatewayAddresses::kBulkJobServicePath;
        m_Client.GetProxy().endpoint = m_Endpoint.c_str();
        m_Client.SetClientDetails("ZentavSMSOutlookAddin", "5.0.1", "");
    }

    std::string Create(const TestSubmission& submission, int expected = OK)
    {
        std::string jobId = "stale";
        EXPECT_EQ(expected, m_Client.CreateSMSTextBulkJob(Seed::kAccessKey, Seed::kSecretKey, "SMS Appointment Reminder",
                                                          submission, &jobId));
        return jobId;
    }

    int Append(const std::string& jobId, const std::wstring& numbers)
    {
        return m_Client.AppendRecipients(Seed::kAccessKey, Seed::kSecretKey, jobId, &numbers);
    }

    BulkJobStatusDetails Status(const std::string& jobId, int expected = OK)
    {
        BulkJobStatusDetails details;
        details.Status = 99;
        EXPECT_EQ(expected, m_Client.GetBulkJobStatus(Seed::kAccessKey, Seed::kSecretKey, jobId, details));
        return details;
    }

    // Queues replies in the service's own form for one operation.
    void Script(const std::string& operation, const std::string& repliesJson) const
    {
        m_Simulator.Control("POST", "script",
                            "{\"page\": \"bulkjob.asmx/" + operation + "\", \"replies\": " + repliesJson + "}");
    }

    std::vector<CLoggedRequest> Requests() const { return m_Simulator.Requests("api/webservices/bulkjob.asmx"); }

    int Timeout() { return m_Client.GetProxy().soap->recv_timeout; }

    // The message of what a call throws, with its kind.
    template <class Call>
    static std::string Failure(Call call, bool* httpError = nullptr)
    {
        try
        {
            call();
        }
        catch (const CHTTPException& error)
        {
            if (httpError)
                *httpError = true;
            EXPECT_EQ(E_FAIL, error.GetHResult());
            return error.what();
        }
        catch (const CGeneralException& error)
        {
            if (httpError)
                *httpError = false;
            EXPECT_EQ(E_FAIL, error.GetHResult());
            return error.what();
        }
        ADD_FAILURE() << "nothing thrown";
        return std::string();
    }

    CGatewaySimulator m_Simulator = CGatewaySimulator::Primary();
    std::string m_Endpoint;
    Client m_Client;
};

// The tags appear in this order in the text.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& tags)
{
    size_t at = 0;
    for (const std::string& tag : tags)
    {
        const size_t found = text.find(tag, at);
        ASSERT_NE(std::string::npos, found) << tag << " after " << at << " in " << text;
        at = found + tag.size();
    }
}

TEST_F(BulkJobClient, TheClientPostsToTheServiceAddressThroughWinInet)
{
    Client client;
    EXPECT_STREQ(GetBulkJobServiceURL().c_str(), client.GetProxy().endpoint);
    EXPECT_NE(std::string::npos, GetBulkJobServiceURL().find("/api/webservices/bulkjob.asmx?wsdl"));
    const struct soap_plugin* plugin = client.GetProxy().soap->plugins;
    ASSERT_NE(nullptr, plugin);
    EXPECT_STREQ(WININET_PLUGIN_ID, plugin->id);
}

TEST_F(BulkJobClient, AJobRunsThroughEveryOperationWithItsOwnTimeOut)
{
    TestSubmission submission;
    SYSTEMTIME tomorrow;
    ::GetLocalTime(&tomorrow);
    FILETIME file;
    ::SystemTimeToFileTime(&tomorrow, &file);
    ULARGE_INTEGER value{{file.dwLowDateTime, file.dwHighDateTime}};
    value.QuadPart += 864000000000ULL;
    file = {value.LowPart, value.HighPart};
    ::FileTimeToSystemTime(&file, &tomorrow);
    tomorrow.wMilliseconds = 0;
    submission.m_ScheduledTime = tomorrow;

    const std::string jobId = Create(submission);
    EXPECT_FALSE(jobId.empty());
    EXPECT_EQ(10, Timeout());
    EXPECT_EQ(OK, Append(jobId, L"447700900001,447700900002"));
    EXPECT_EQ(30, Timeout());
    EXPECT_EQ(INVALID_NUMBER, Append(jobId, L"447700900003,12"));
    EXPECT_EQ(OK, m_Client.SetBulkJobReady(Seed::kAccessKey, Seed::kSecretKey, jobId));
    EXPECT_EQ(60, Timeout());

    BulkJobStatusDetails details = Status(jobId);
    EXPECT_EQ(2u, details.Status); // Pending
    EXPECT_EQ(3, details.TotalRecipients);
    EXPECT_EQ(0, details.MsgSent);
    std::int64_t scheduled = 0;
    SYSTEMTIME utc;
    ::TzSpecificLocalTimeToSystemTime(nullptr, &tomorrow, &utc);
    CDateTimeUtils::SystemTimeToUnixTime(utc, scheduled);
    EXPECT_EQ(static_cast<double>(scheduled), details.ScheduledTime);

    EXPECT_EQ(OK, m_Client.PauseBulkJob(Seed::kAccessKey, Seed::kSecretKey, jobId));
    EXPECT_EQ(6u, Status(jobId).Status);
    EXPECT_EQ(OK, m_Client.RestartBulkJob(Seed::kAccessKey, Seed::kSecretKey, jobId));
    EXPECT_EQ(OK, m_Client.AbortBulkJob(Seed::kAccessKey, Seed::kSecretKey, jobId));
    EXPECT_EQ(60, Timeout());
    EXPECT_EQ(5u, Status(jobId).Status);
    EXPECT_EQ(INVALID_REQUEST, m_Client.AbortBulkJob(Seed::kAccessKey, Seed::kSecretKey, jobId));

    const std::vector<std::string> operations = {
        "CreateSMSTextBulkJob", "AppendRecipients", "AppendRecipients", "SetBulkJobReady", "GetBulkJobStatus",
        "PauseBulkJob", "GetBulkJobStatus", "RestartBulkJob", "AbortBulkJob", "GetBulkJobStatus", "AbortBulkJob"};
    const std::vector<CLoggedRequest> requests = Requests();
    ASSERT_EQ(operations.size(), requests.size());
    for (size_t i = 0; i < requests.size(); ++i)
    {
        const CLoggedRequest& request = requests[i];
        const std::string& operation = operations[i];
        EXPECT_EQ("https", request.m_Scheme);
        EXPECT_EQ("POST", request.m_Method);
        EXPECT_EQ("\"http://www.zentavosms.com/api/webservices/" + operation + "\"", request.Header("SOAPAction"));
        EXPECT_EQ(0u, request.Header("Content-Type").find("application/soap+xml; charset=utf-8"));
        ExpectInOrder(request.m_Body,
                      {"<SOAP-ENV:Envelope", "xmlns:SOAP-ENV=\"http://www.w3.org/2003/05/soap-envelope\"",
                       "xmlns:ns1=\"http://www.zentavosms.com/api/webservices/\"", "<SOAP-ENV:Body>",
                       "<ns1:" + operation + ">", "<ns1:" + operation + "Input>",
                       "<ns1:AuthenticationCredentials xsi:type=\"ns1:AuthenticationCredentialsAccessKeyAndSecretKey\">",
                       "<ns1:SubmittedInterface>ZentavoSMSOutlookAddin</ns1:SubmittedInterface>",
                       std::string("<ns1:AccessKey>") + Seed::kAccessKey + "</ns1:AccessKey>",
                       std::string("<ns1:SecretKey>") + Seed::kSecretKey + "</ns1:SecretKey>",
                       "</ns1:AuthenticationCredentials>"});
        if (operation != "CreateSMSTextBulkJob")
            ExpectInOrder(request.m_Body, {"</ns1:AuthenticationCredentials><ns1:BulkJobId>" + jobId + "</ns1:BulkJobId>"});
        EXPECT_EQ(request.m_Body.find("<ns1:ClientDetails>") != std::string::npos, i == 0);
    }
    ExpectInOrder(requests[1].m_Body, {"<ns1:BulkJobId>", "<ns1:RecipientList>447700900001,447700900002</ns1:RecipientList>"});
}

TEST_F(BulkJobClient, ANewJobCarriesTheRecordAsTheGatewayReadsIt)
{
    TestSubmission submission;
    submission.m_MessageText = "Caf\xE9 \x80 10 < 20";
    submission.m_MessageSource = {L"owner@example.com", L"Owner", 0x20000001};
    submission.m_ReplyTo = {L"reply@example.com", L"Reply \x00e9", 0x20000001};
    submission.m_DeliveryReportSetting = 2;
    submission.m_DeliveryReportStatusMask = 15;
    submission.m_RoutingType = 2;
    Create(submission);
    submission.m_SenderType = 2;
    submission.m_DeliveryReportSetting = 1;
    submission.m_ReplyTo.m_InterfaceId = 0;
    Create(submission);
    submission.m_SenderType = 3;
    submission.m_DeliveryReportSetting = 2;
    submission.m_DeliveryReportStatusMask = 0;
    Create(submission);
    submission.m_SenderType = 7;
    submission.m_DeliveryReportSetting = 3;
    submission.m_RoutingType = 9; // not looked at without a report setting
    submission.m_MessageSource.m_InterfaceId = 0;
    Create(submission);

    const CJsonValue state = m_Simulator.State();
    const std::vector<CJsonValue>& jobs = state["jobs"].AsArray();
    ASSERT_EQ(4u, jobs.size());
    EXPECT_EQ("SMS Appointment Reminder", jobs[0]["name"].AsString());
    EXPECT_EQ("Caf\xC3\xA9 \xE2\x82\xAC 10 < 20", jobs[0]["text"].AsString());
    EXPECT_EQ(2, jobs[0]["max_concat"].AsInteger());
    EXPECT_EQ("UserDefined", jobs[0]["oa_type"].AsString());
    EXPECT_EQ("Zentavo", jobs[0]["from"].AsString());
    const std::vector<CJsonValue>& flags = jobs[0]["report_settings"]["status_flags"].AsArray();
    ASSERT_EQ(5u, flags.size());
    EXPECT_EQ("None", flags[0].AsString());
    EXPECT_EQ("MessageExpired", flags[4].AsString());
    EXPECT_EQ("MsgSource", jobs[0]["report_settings"]["routing_type"].AsString());
    EXPECT_EQ("Reply \xC3\xA9", jobs[0]["reply_to"]["name"].AsString());
    EXPECT_EQ("ZentavoSMSOutlookAddin", jobs[0]["reply_to"]["interface"].AsString());
    EXPECT_EQ("owner@example.com", jobs[0]["message_source"]["id"].AsString());
    EXPECT_EQ("ZentavSMSOutlookAddin", jobs[0]["client_details"]["AppId"].AsString());
    EXPECT_EQ("ZentavoSMSWebServiceSDKC++", jobs[0]["client_details"]["ClientId"].AsString());
    EXPECT_EQ("", jobs[0]["client_details"]["AppLicence"].AsString());
    EXPECT_TRUE(jobs[0]["scheduled_date"].IsNull());

    EXPECT_EQ("DynamicRouting", jobs[1]["oa_type"].AsString());
    EXPECT_EQ("", jobs[1]["from"].AsString());
    EXPECT_EQ(1u, jobs[1]["report_settings"]["status_flags"].AsArray().size());
    EXPECT_TRUE(jobs[1]["reply_to"].IsNull());
    EXPECT_FALSE(jobs[1]["message_source"].IsNull());

    EXPECT_EQ("Unspecified", jobs[2]["oa_type"].AsString());
    EXPECT_EQ("", jobs[2]["from"].AsString());
    EXPECT_EQ("None", jobs[2]["report_settings"]["status_flags"].AsArray()[0].AsString());

    EXPECT_EQ("Unspecified", jobs[3]["oa_type"].AsString());
    EXPECT_EQ("Zentavo", jobs[3]["from"].AsString());
    EXPECT_TRUE(jobs[3]["report_settings"].IsNull());
    EXPECT_TRUE(jobs[3]["message_source"].IsNull());
}

TEST_F(BulkJobClient, ValuesWithoutACounterpartAreRefusedBeforeAnythingIsSent)
{
    TestSubmission submission;
    const struct
    {
        std::uint32_t setting, routing, replyTo, source;
        const char* message;
    } cases[] = {
        {0, 0, 0, 0, "ConvertToWebServiceReportingSettingStatusFlags - DeliveryReportSetting value not supported"},
        {4, 0, 0, 0, "ConvertToWebServiceReportingSettingStatusFlags - DeliveryReportSetting value not supported"},
        {1, 3, 0, 0, "ConvertToWebServiceRoutingType - Value not supported"},
        {2, 3, 0, 0, "ConvertToWebServiceRoutingType - Value not supported"},
        {3, 0, 1, 0, "ConvertToWebServiceInterface - Value not supported"},
        {3, 0, 0, 0x20000002, "ConvertToWebServiceInterface - Value not supported"},
        // The reply-to end point is converted before the report settings.
        {4, 3, 5, 0, "ConvertToWebServiceInterface - Value not supported"},
    };
    for (const auto& c : cases)
    {
        submission.m_DeliveryReportSetting = c.setting;
        submission.m_RoutingType = c.routing;
        submission.m_ReplyTo.m_InterfaceId = c.replyTo;
        submission.m_MessageSource.m_InterfaceId = c.source;
        std::string jobId = "stale";
        EXPECT_EQ(std::string(kPrefix) + c.message, Failure([&] {
                      m_Client.CreateSMSTextBulkJob("a", "s", "n", submission, &jobId);
                  }));
        EXPECT_EQ("", jobId);
    }
    EXPECT_TRUE(Requests().empty());
}

TEST_F(BulkJobClient, EveryReplyCodeBecomesTheGatewayStatusOfItsName)
{
    const char* names[] = {"OK", "GATEWAY_ERROR", "INVALID_NUMBER", "INVALID_REQUEST", "UNKNOWN", "NO_TO",
                           "NO_USERNAME", "NO_PASSWORD", "NO_TEXT", "TOO_MANY_NUMBERS", "INSUFFICIENT_CREDIT",
                           "LOGIN_INVALID", "INTERNAL_ERROR", "PARAMETER_MISSING", "PARAMETER_INVALID",
                           "ACCOUNT_EXISTS", "NO_MSGID", "MSGID_INVALID", "DAILY_ALLOWANCE_EXCEEDED",
                           "MONTHLY_ALLOWANCE_EXCEEDED", "AUTH_PARAMETER_MISSING", "AUTH_PARAMETER_INVALID",
                           "CONNECTION_NOT_SECURE", "MFA_REQUIRED", "DUPLICATE_NAME", "UPGRADE_CLIENTAPP"};
    std::string replies;
    for (const char* name : names)
        replies += std::string(replies.empty() ? "" : ", ") + "{\"error\": \"" + name + "\"}";
    Script("SetBulkJobReady", "[" + replies + "]");
    for (const char* name : names)
    {
        const int code = m_Client.SetBulkJobReady(Seed::kAccessKey, Seed::kSecretKey, "1");
        EXPECT_EQ(name, GetSMSGatewayResultCodeName(static_cast<std::uint32_t>(code))) << name;
    }

    // The code by number, and a number with no name.
    Script("PauseBulkJob", R"([{"result": [["ErrorCode", "11"]]}, {"result": [["ErrorCode", "26"]]},
                              {"result": [["ErrorCode", "ERR"]]}])");
    EXPECT_EQ(LOGIN_INVALID, m_Client.PauseBulkJob("a", "s", "1"));
    EXPECT_EQ(std::string(kPrefix) + "ConvertFromWebReturnCode - Value not supported",
              Failure([&] { m_Client.PauseBulkJob("a", "s", "1"); }));
    EXPECT_NE(std::string::npos, Failure([&] { m_Client.PauseBulkJob("a", "s", "1"); }).find(", Error:4)"));
}

TEST_F(BulkJobClient, RepliesAreTakenAsTheyComeAndJudgedByTheClient)
{
    // A result without ErrorCode is OK; a job id comes back whatever the code.
    Script("CreateSMSTextBulkJob", R"([{"result": []}, {"result": [["ErrorCode", "LOGIN_INVALID"], ["BulkJobId", "J7"]]}])");
    EXPECT_EQ("", Create(TestSubmission()));
    EXPECT_EQ("J7", Create(TestSubmission(), LOGIN_INVALID));

    Script("GetBulkJobStatus",
           R"([{"result": [["Extra", "1"], ["MsgSent", "4"], ["ErrorCode", "OK"], ["StatusId", "Completed"],
                           ["TotalRecipients", "5"], ["ScheduledDate", "2026-12-08T09:30:00Z"]]},
               {"result": [["StatusId", "Completed"], ["TotalRecipients", "5"], ["ErrorCode", "NO_MSGID"]]},
               {"result": [["ErrorCode", "OK"], ["StatusId", "7"]]},
               {"result": [["ErrorCode", "OK"]]}])");
    BulkJobStatusDetails details = Status("1");
    EXPECT_EQ(4u, details.Status);
    EXPECT_EQ(1796722200.0, details.ScheduledTime);
    EXPECT_EQ(5, details.TotalRecipients);
    EXPECT_EQ(0, details.MsgProcessed);
    EXPECT_EQ(4, details.MsgSent);
    details = Status("1", NO_MSGID);
    EXPECT_EQ(0u, details.Status);
    EXPECT_EQ(0, details.TotalRecipients);
    EXPECT_EQ(std::string(kPrefix) + "ConvertFromWebBulkJobStatusId - Value not supported", Failure([&] {
                  BulkJobStatusDetails ignored;
                  m_Client.GetBulkJobStatus("a", "s", "1", ignored);
              }));
    details = Status("1");
    EXPECT_EQ(0u, details.Status);
    EXPECT_EQ(0.0, details.ScheduledTime);

    // No result element at all.
    m_Simulator.Control("POST", "script",
                        R"({"page": "bulkjob.asmx/AbortBulkJob", "replies": [{"body": "<?xml version=\"1.0\"?><soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><soap:Body><AbortBulkJobResponse xmlns=\"http://www.zentavosms.com/api/webservices/\"/></soap:Body></soap:Envelope>"}]})");
    EXPECT_EQ(std::string(kPrefix) + "AbortBulkJob - pResult is NULL",
              Failure([&] { m_Client.AbortBulkJob("a", "s", "1"); }));
}

TEST_F(BulkJobClient, FaultsAndErrorPagesAreCallFailuresWithTheirReason)
{
    Script("CreateSMSTextBulkJob", R"([{"fault": {"code": "Receiver", "reason": "Server was unable to process request."}},
                                      {"fault": {"code": "Sender", "reason": "Bad request"}},
                                      {"body": "<html><body><h1>Service Unavailable</h1></body></html>",
                                       "http_status": 503, "content_type": "text/html"}])");
    bool httpError = true;
    EXPECT_EQ(std::string(kPrefix) +
                  "CreateSMSTextBulkJob - Soap call failed (Server was unable to process request., Error:2)",
              Failure([&] { Create(TestSubmission()); }, &httpError));
    EXPECT_FALSE(httpError);
    EXPECT_EQ(std::string(kPrefix) + "CreateSMSTextBulkJob - Soap call failed (Bad request, Error:1)",
              Failure([&] { Create(TestSubmission()); }));
    // An error page after a fault: no reason, and never the earlier one.
    const std::string page = Failure([&] { Create(TestSubmission()); }, &httpError);
    EXPECT_FALSE(httpError);
    EXPECT_EQ(0u, page.find(std::string(kPrefix) + "CreateSMSTextBulkJob - Soap call failed (Unknown Soap Fault, Error:"))
        << page;
}

// A page that is no answer of the service's, under a status of 400 to 499,
// is a refusal on the way; the service's own fault is read whatever its
// status.
TEST_F(BulkJobClient, APageUnderAClientErrorStatusIsARefusalOnTheWay)
{
    const struct
    {
        const char* what;
        const char* reply;
        DWORD refusal;  // 0: no refusal
        const char* message;
    } rows[] = {
        {"a firewall's page",
         R"({"body": "<html><body>Forbidden</body></html>", "http_status": 403, "content_type": "text/html"})",
         403, "CreateSMSTextBulkJob - Refused before the service (HTTP status 403)"},
        {"a text page", R"({"body": "Not Found", "http_status": 404})", 404,
         "CreateSMSTextBulkJob - Refused before the service (HTTP status 404)"},
        {"an empty answer", R"({"body": "", "http_status": 400})", 400,
         "CreateSMSTextBulkJob - Refused before the service (HTTP status 400)"},
        {"the service's fault", R"({"fault": {"code": "Sender", "reason": "Bad request"}, "http_status": 400})", 0,
         "CreateSMSTextBulkJob - Soap call failed (Bad request, Error:1)"},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        Script("CreateSMSTextBulkJob", std::string("[") + row.reply + "]");
        try
        {
            Create(TestSubmission());
            ADD_FAILURE() << "nothing thrown";
        }
        catch (const CHTTPRefusalException& refusal)
        {
            EXPECT_EQ(row.refusal, refusal.GetHTTPStatus());
            EXPECT_EQ(std::string(kPrefix) + row.message, refusal.what());
        }
        catch (const CGeneralException& failure)
        {
            EXPECT_EQ(0u, row.refusal);
            EXPECT_EQ(std::string(kPrefix) + row.message, failure.what());
        }
    }
}

TEST_F(BulkJobClient, AReplyElementWithoutItsEnvelopeIsNoAnswer)
{
    Script("SetBulkJobReady", R"([{"body": "<SetBulkJobReadyResponse xmlns=\"http://www.zentavosms.com/api/webservices/\"><SetBulkJobReadyResult><ErrorCode>OK</ErrorCode></SetBulkJobReadyResult></SetBulkJobReadyResponse>"}])");
    Script("CreateSMSTextBulkJob", R"([{"body": "<?xml version=\"1.0\"?><CreateSMSTextBulkJobResponse xmlns=\"http://www.zentavosms.com/api/webservices/\"><CreateSMSTextBulkJobResult><BulkJobId>77</BulkJobId><ErrorCode>OK</ErrorCode></CreateSMSTextBulkJobResult></CreateSMSTextBulkJobResponse>"}])");
    bool httpError = true;
    EXPECT_EQ(std::string(kPrefix) + "SetBulkJobReady - Soap call failed (Unknown Soap Fault, Error:3)",
              Failure([&] { m_Client.SetBulkJobReady(Seed::kAccessKey, Seed::kSecretKey, "1"); }, &httpError));
    EXPECT_FALSE(httpError);
    std::string jobId = "stale";
    EXPECT_EQ(std::string(kPrefix) + "CreateSMSTextBulkJob - Soap call failed (Unknown Soap Fault, Error:3)",
              Failure([&] {
                  m_Client.CreateSMSTextBulkJob(Seed::kAccessKey, Seed::kSecretKey, "n", TestSubmission(), &jobId);
              }));
    EXPECT_EQ("", jobId);
}

TEST_F(BulkJobClient, AFailedConnectionIsAnHttpError)
{
    const std::string nowhere = "https://localhost:1/api/webservices/bulkjob.asmx?wsdl";
    m_Client.GetProxy().endpoint = nowhere.c_str();
    bool httpError = false;
    EXPECT_EQ("HTTP Error", Failure([&] { m_Client.AbortBulkJob("a", "s", "1"); }, &httpError));
    EXPECT_TRUE(httpError);
    std::string jobId = "stale";
    EXPECT_EQ("HTTP Error", Failure([&] { m_Client.CreateSMSTextBulkJob("a", "s", "n", TestSubmission(), &jobId); }));
    EXPECT_EQ("", jobId);
    BulkJobStatusDetails details;
    details.MsgSent = 3;
    EXPECT_EQ("HTTP Error", Failure([&] { m_Client.GetBulkJobStatus("a", "s", "1", details); }));
    EXPECT_EQ(0, details.MsgSent);
}

TEST_F(BulkJobClient, RepliesCutShortOrDroppedFailTheCall)
{
    // WinINet may repeat a request whose connection closed unanswered.
    Script("AbortBulkJob", R"([{"truncate_at": 150}, {"drop": true, "repeat": 2}])");
    EXPECT_FALSE(Failure([&] { m_Client.AbortBulkJob(Seed::kAccessKey, Seed::kSecretKey, "1"); }).empty());
    EXPECT_FALSE(Failure([&] { m_Client.AbortBulkJob(Seed::kAccessKey, Seed::kSecretKey, "1"); }).empty());
    // The client is still usable afterwards.
    m_Simulator.Control("POST", "reset", R"({"scripts": true})");
    EXPECT_EQ(MSGID_INVALID, m_Client.AbortBulkJob(Seed::kAccessKey, Seed::kSecretKey, "1"));
}

TEST(BulkJobConversions, ReportSettingsAndTheirFlags)
{
    EXPECT_EQ(1u, Client::ConvertToWebServiceReportingSettingStatusFlags(1, 15));
    EXPECT_EQ(1u, Client::ConvertToWebServiceReportingSettingStatusFlags(2, 0));
    EXPECT_EQ(31u, Client::ConvertToWebServiceReportingSettingStatusFlags(2, 15));
    EXPECT_EQ(1u | 4u | 16u, Client::ConvertToWebServiceReportingSettingStatusFlags(2, 2 | 8 | 16));
    EXPECT_EQ(4u, Client::ConvertToWebServiceInterface(0x20000001));
    EXPECT_EQ(2u, Client::ConvertToWebServiceRoutingType(2));
    EXPECT_EQ(6u, Client::ConvertFromWebBulkJobStatusId(6));
    EXPECT_EQ(static_cast<std::uint32_t>(UNKNOWN), Client::ConvertFromWebReturnCode(4));
    EXPECT_THROW(Client::ConvertFromWebReturnCode(static_cast<std::uint32_t>(-1)), CGeneralException);
}

} // namespace
