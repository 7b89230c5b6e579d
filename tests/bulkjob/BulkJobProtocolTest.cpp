// The call functions over a fake transport: the exact requests, and replies
// in every shape a server (or something pretending to be one) can send.
#include "bulkjob/service/BulkJobElements.h"
#include "bulkjob/service/BulkJobSerializers.h"
#include "bulkjob/service/SoapEnvelope.h"
#include "bulkjob/service/ZentavoBulkJobSoap.h"
#include "platform/GSoapWinInet.h"
#include "tests/bulkjob/FakeSoapTransport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace
{

const char kEndpoint[] = "https://gateway.test/api/webservices/bulkjob.asmx?wsdl";
const char kServiceNs[] = "http://www.zentavosms.com/api/webservices/";

std::string Envelope(const std::string& body, const std::string& header = std::string())
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
           "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">" +
           header + "<soap:Body>" + body + "</soap:Body></soap:Envelope>";
}

std::string Result(const std::string& operation, const std::string& children)
{
    return Envelope("<" + operation + "Response xmlns=\"" + kServiceNs + "\"><" + operation + "Result>" +
                    children + "</" + operation + "Result></" + operation + "Response>");
}

std::string Fault(const std::string& code, const std::string& reason)
{
    return Envelope("<soap:Fault><soap:Code><soap:Value>soap:" + code +
                    "</soap:Value></soap:Code><soap:Reason><soap:Text xml:lang=\"en\">" + reason +
                    "</soap:Text></soap:Reason></soap:Fault>");
}

class BulkJobProtocol : public ::testing::Test
{
protected:
    BulkJobProtocol()
        : m_Transport(m_Proxy.soap)
    {
        m_Proxy.endpoint = kEndpoint;
        m_Credentials.SubmittedInterface = ns1__Interfaces__ZentavoSMSOutlookAddin;
        m_Credentials.AccessKey = &m_AccessKey;
        m_Credentials.SecretKey = &m_SecretKey;
    }

    // One GetBulkJobStatus call answered with reply.
    int Status(const std::string& reply, _ns1__GetBulkJobStatusResponse& response)
    {
        m_Transport.SetReply(reply);
        ns1__GetBulkJobStatusInput input;
        input.AuthenticationCredentials = &m_Credentials;
        input.BulkJobId = &m_JobId;
        _ns1__GetBulkJobStatus request;
        request.GetBulkJobStatusInput = &input;
        return m_Proxy.__ns2__GetBulkJobStatus(&request, &response);
    }

    int Abort(const std::string& reply, _ns1__AbortBulkJobResponse& response)
    {
        m_Transport.SetReply(reply);
        ns1__AbortBulkJobInput input;
        input.AuthenticationCredentials = &m_Credentials;
        input.BulkJobId = &m_JobId;
        _ns1__AbortBulkJob request;
        request.AbortBulkJobInput = &input;
        return m_Proxy.__ns2__AbortBulkJob(&request, &response);
    }

    const char* FaultReason() const
    {
        const SOAP_ENV__Fault* fault = m_Proxy.soap->fault;
        return fault && fault->SOAP_ENV__Reason ? fault->SOAP_ENV__Reason->SOAP_ENV__Text : nullptr;
    }

    ZentavoBulkJobSoap m_Proxy;
    CFakeSoapTransport m_Transport;
    std::wstring m_AccessKey = L"AK1";
    std::wstring m_SecretKey; // empty: still written
    std::wstring m_JobId = L"5000001";
    ns1__AuthenticationCredentialsAccessKeyAndSecretKey m_Credentials;
};

TEST_F(BulkJobProtocol, AnAbortRequestHasItsExactShape)
{
    _ns1__AbortBulkJobResponse response;
    ASSERT_EQ(SOAP_OK, Abort(Result("AbortBulkJob", "<ErrorCode>NO_TO</ErrorCode>"), response));
    ASSERT_NE(nullptr, response.AbortBulkJobResult);
    EXPECT_EQ(ns1__ExceptionTypes__NO_TO, response.AbortBulkJobResult->ErrorCode);

    EXPECT_EQ(kEndpoint, m_Transport.Endpoint());
    EXPECT_EQ("\"http://www.zentavosms.com/api/webservices/AbortBulkJob\"", m_Transport.Header("SOAPAction"));
    EXPECT_EQ(0u, m_Transport.Header("Content-Type").find("application/soap+xml; charset=utf-8"));
    EXPECT_EQ(std::to_string(m_Transport.Sent().size()), m_Transport.Header("Content-Length"));
    EXPECT_EQ(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://www.w3.org/2003/05/soap-envelope\" "
        "xmlns:SOAP-ENC=\"http://www.w3.org/2003/05/soap-encoding\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:ns2=\"http://www.zentavosms.com/api/webservices/ZentavoBulkJobSoap\" "
        "xmlns:ns1=\"http://www.zentavosms.com/api/webservices/\" "
        "xmlns:ns3=\"http://www.zentavosms.com/api/webservices/ZentavoBulkJobSoap12\">"
        "<SOAP-ENV:Body><ns1:AbortBulkJob><ns1:AbortBulkJobInput>"
        "<ns1:AuthenticationCredentials xsi:type=\"ns1:AuthenticationCredentialsAccessKeyAndSecretKey\">"
        "<ns1:SubmittedInterface>ZentavoSMSOutlookAddin</ns1:SubmittedInterface>"
        "<ns1:AccessKey>AK1</ns1:AccessKey><ns1:SecretKey></ns1:SecretKey></ns1:AuthenticationCredentials>"
        "<ns1:BulkJobId>5000001</ns1:BulkJobId></ns1:AbortBulkJobInput></ns1:AbortBulkJob>"
        "</SOAP-ENV:Body></SOAP-ENV:Envelope>\r\n",
        m_Transport.Sent());
}

TEST_F(BulkJobProtocol, ANewJobIsWrittenInSchemaOrderWithOnlyWhatIsSet)
{
    std::wstring name = L"SMS Appointment Reminder", body = L"Line 1\rCaf\u00e9 <\u20ac>", empty, address = L"me@x";
    ns1__TextMessage text;
    text.MessageBody = &body;
    ns1__ReportingSettings settings;
    settings.StatusFlags = static_cast<ns1__StatusCodeFlags>(0);
    settings.RoutingType = ns1__RoutingTypes__MsgSource;
    ns1__InterfaceEndPoint endPoint; // written twice in full: literal messages have no references
    endPoint.Interface = ns1__Interfaces__ZentavoSMSOutlookAddin;
    endPoint.Id = &address;
    ns1__ClientDetails client;
    client.ClientId = &name;
    ns1__BulkJobDetails details;
    details.BulkJobName = &name;
    details.MessageType = ns1__MessageTypes__Text;
    details.Message = &text;
    details.From = &empty;
    details.OAType = ns1__OATypes__DynamicRouting;
    details.MaxConCatMsgs = 3;
    details.ReportSettings = &settings;
    details.ReplyTo = &endPoint;
    details.MessageSource = &endPoint;
    details.ClientDetails = &client;
    ns1__CreateSMSTextBulkJobInput input;
    input.AuthenticationCredentials = &m_Credentials;
    input.BulkJobDetails = &details;
    _ns1__CreateSMSTextBulkJob request;
    request.CreateSMSTextBulkJobInput = &input;
    _ns1__CreateSMSTextBulkJobResponse response;
    m_Transport.SetReply(Result("CreateSMSTextBulkJob", "<BulkJobId>J9</BulkJobId><ErrorCode>OK</ErrorCode>"));
    ASSERT_EQ(SOAP_OK, m_Proxy.__ns2__CreateSMSTextBulkJob(&request, &response));
    EXPECT_EQ(L"J9", *response.CreateSMSTextBulkJobResult->BulkJobId);

    const std::string sent = m_Transport.Sent();
    const std::string expected =
        "<ns1:CreateSMSTextBulkJob><ns1:CreateSMSTextBulkJobInput><ns1:AuthenticationCredentials "
        "xsi:type=\"ns1:AuthenticationCredentialsAccessKeyAndSecretKey\">"
        "<ns1:SubmittedInterface>ZentavoSMSOutlookAddin</ns1:SubmittedInterface><ns1:AccessKey>AK1</ns1:AccessKey>"
        "<ns1:SecretKey></ns1:SecretKey></ns1:AuthenticationCredentials><ns1:BulkJobDetails>"
        "<ns1:BulkJobName>SMS Appointment Reminder</ns1:BulkJobName><ns1:MessageType>Text</ns1:MessageType>"
        "<ns1:Message xsi:type=\"ns1:TextMessage\"><ns1:MessageBody>Line 1&#xD;Caf\xC3\xA9 &lt;\xE2\x82\xAC&gt;"
        "</ns1:MessageBody><ns1:MaxConCat>0</ns1:MaxConCat></ns1:Message><ns1:From></ns1:From>"
        "<ns1:OAType>DynamicRouting</ns1:OAType><ns1:MaxConCatMsgs>3</ns1:MaxConCatMsgs>"
        "<ns1:ReportSettings><ns1:StatusFlags></ns1:StatusFlags><ns1:RoutingType>MsgSource</ns1:RoutingType>"
        "</ns1:ReportSettings>"
        "<ns1:ReplyTo><ns1:Interface>ZentavoSMSOutlookAddin</ns1:Interface><ns1:Id>me@x</ns1:Id></ns1:ReplyTo>"
        "<ns1:MessageSource><ns1:Interface>ZentavoSMSOutlookAddin</ns1:Interface><ns1:Id>me@x</ns1:Id>"
        "</ns1:MessageSource><ns1:ClientDetails><ns1:ClientId>SMS Appointment Reminder</ns1:ClientId>"
        "</ns1:ClientDetails></ns1:BulkJobDetails></ns1:CreateSMSTextBulkJobInput></ns1:CreateSMSTextBulkJob>";
    EXPECT_NE(std::string::npos, sent.find(expected)) << sent;
    EXPECT_EQ(std::string::npos, sent.find("ScheduledDate"));
    EXPECT_EQ(std::string::npos, sent.find("SOAP-ENV:Header"));
}

TEST_F(BulkJobProtocol, RepliesAreReadInAnyOrderWithUnknownRepeatedAndMissingElements)
{
    _ns1__GetBulkJobStatusResponse response;
    ASSERT_EQ(SOAP_OK, Status(Result("GetBulkJobStatus",
                                     "<ErrorCode>OK</ErrorCode><Unknown a=\"1\"><Deeper><x/>text</Deeper></Unknown>"
                                     "<MsgProcessed>7</MsgProcessed><TotalRecipients>2500</TotalRecipients>"
                                     "<MsgProcessed>99</MsgProcessed><StatusId>6</StatusId>"
                                     "<ScheduledDate>2026-12-08T09:30:00Z</ScheduledDate>"),
                              response));
    const ns1__GetBulkJobStatusOutput& result = *response.GetBulkJobStatusResult;
    EXPECT_EQ(6, result.StatusId); // numbers are kept; the wrapper judges them
    EXPECT_EQ(1796722200, result.ScheduledDate);
    EXPECT_EQ(2500, result.TotalRecipients);
    EXPECT_EQ(7, result.MsgProcessed);
    EXPECT_EQ(0, result.MsgSent);
    EXPECT_EQ(ns1__ExceptionTypes__OK, result.ErrorCode);

    // Prefixed names, an empty result, a header for whom it may concern.
    ASSERT_EQ(SOAP_OK, Status(Envelope("<p:GetBulkJobStatusResponse xmlns:p=\"http://www.zentavosms.com/api/webservices/\">"
                                       "<p:GetBulkJobStatusResult/></p:GetBulkJobStatusResponse>",
                                       "<soap:Header><h:Info xmlns:h=\"urn:h\">x</h:Info></soap:Header>"),
                              response));
    EXPECT_EQ(ns1__ExceptionTypes__OK, response.GetBulkJobStatusResult->ErrorCode);

    // No result element: the call succeeds, the wrapper reports the gap.
    ASSERT_EQ(SOAP_OK, Status(Envelope("<GetBulkJobStatusResponse xmlns=\"http://www.zentavosms.com/api/webservices/\"/>"),
                              response));
    EXPECT_EQ(nullptr, response.GetBulkJobStatusResult);
}

TEST_F(BulkJobProtocol, ValuesThatDoNotConvertFailTheCall)
{
    _ns1__GetBulkJobStatusResponse response;
    EXPECT_EQ(SOAP_TYPE, Status(Result("GetBulkJobStatus", "<ErrorCode>NOT_A_CODE</ErrorCode>"), response));
    EXPECT_EQ(SOAP_TYPE, Status(Result("GetBulkJobStatus", "<ScheduledDate>tomorrow</ScheduledDate>"), response));
    EXPECT_NE(SOAP_OK, Status(Result("GetBulkJobStatus", "<MsgSent>many</MsgSent>"), response));
    // An empty enumeration reads as its first value.
    ASSERT_EQ(SOAP_OK, Status(Result("GetBulkJobStatus", "<ErrorCode/><StatusId></StatusId>"), response));
    EXPECT_EQ(0, response.GetBulkJobStatusResult->ErrorCode);
}

TEST_F(BulkJobProtocol, FaultsSetTheErrorByTheirCodeAndKeepTheReason)
{
    const struct
    {
        const char* code;
        int error;
    } cases[] = {{"Receiver", SOAP_SVR_FAULT}, {"Sender", SOAP_CLI_FAULT}, {"MustUnderstand", SOAP_MUSTUNDERSTAND},
                 {"VersionMismatch", SOAP_VERSIONMISMATCH}, {"DataEncodingUnknown", SOAP_FAULT}};
    for (const auto& c : cases)
    {
        _ns1__AbortBulkJobResponse response;
        EXPECT_EQ(c.error, Abort(Fault(c.code, std::string("Reason ") + c.code), response)) << c.code;
        ASSERT_NE(nullptr, FaultReason());
        EXPECT_EQ(std::string("Reason ") + c.code, FaultReason());
        EXPECT_EQ(nullptr, response.AbortBulkJobResult);
    }
}

TEST_F(BulkJobProtocol, FaultCodesAreKnownWhateverPrefixTheServerUses)
{
    _ns1__AbortBulkJobResponse response;
    for (const char* prefix : {"SOAP-ENV", "env", "s12"})
    {
        const std::string p = prefix;
        const std::string reply = "<" + p + ":Envelope xmlns:" + p + "=\"http://www.w3.org/2003/05/soap-envelope\"><" + p +
                                  ":Body><" + p + ":Fault><" + p + ":Code><" + p + ":Value>" + p + ":Sender</" + p +
                                  ":Value></" + p + ":Code><" + p + ":Reason><" + p + ":Text>No</" + p + ":Text></" + p +
                                  ":Reason></" + p + ":Fault></" + p + ":Body></" + p + ":Envelope>";
        EXPECT_EQ(SOAP_CLI_FAULT, Abort(reply, response)) << prefix;
    }
    // A code of another namespace is just a fault.
    EXPECT_EQ(SOAP_FAULT, Abort(Envelope("<soap:Fault><soap:Code><soap:Value xmlns:o=\"urn:other\">o:Receiver</soap:Value>"
                                         "</soap:Code></soap:Fault>"),
                                response));
}

TEST_F(BulkJobProtocol, AnUnexpectedBodyIsDescribedAndNothingOfAnEarlierCallRemains)
{
    _ns1__AbortBulkJobResponse response;
    EXPECT_EQ(SOAP_SVR_FAULT, Abort(Fault("Receiver", "Earlier"), response));

    // Neither the reply nor a fault: the runtime's own description.
    EXPECT_EQ(SOAP_TAG_MISMATCH, Abort(Envelope("<Other xmlns=\"urn:x\"/>"), response));
    ASSERT_NE(nullptr, FaultReason());
    EXPECT_NE(std::string::npos, std::string(FaultReason()).find("Other")) << FaultReason();

    // Not a SOAP message at all, and no connection: no reason, not the earlier one.
    EXPECT_NE(SOAP_OK, Abort("<html><body><h1>500 Internal Server Error</h1></body></html>", response));
    EXPECT_EQ(nullptr, FaultReason());
    EXPECT_EQ(SOAP_SVR_FAULT, Abort(Fault("Receiver", "Earlier"), response));
    m_Transport.SetFailConnect(true);
    EXPECT_EQ(SOAP_HTTP_ERROR, Abort(Result("AbortBulkJob", ""), response));
    EXPECT_EQ(nullptr, FaultReason());
}

TEST_F(BulkJobProtocol, AHeaderThatMustBeUnderstoodRefusesTheReply)
{
    _ns1__AbortBulkJobResponse response;
    EXPECT_EQ(SOAP_MUSTUNDERSTAND,
              Abort(Envelope("<AbortBulkJobResponse xmlns=\"http://www.zentavosms.com/api/webservices/\"/>",
                             "<soap:Header><h:Must xmlns:h=\"urn:h\" soap:mustUnderstand=\"true\">x</h:Must>"
                             "</soap:Header>"),
                    response));
    // Envelope-namespace elements and mustUnderstand blocks inside the body are refused too.
    EXPECT_NE(SOAP_OK, Abort(Result("AbortBulkJob", "<soap:Fault/>"), response));
}

TEST_F(BulkJobProtocol, DeeplyNestedUnknownContentIsRefusedNotFollowed)
{
    std::string nested;
    for (int i = 0; i < 20000; ++i)
        nested += "<u>";
    _ns1__AbortBulkJobResponse response;
    EXPECT_NE(SOAP_OK, Abort(Result("AbortBulkJob", nested), response));
}

TEST_F(BulkJobProtocol, RandomAndTruncatedRepliesNeverBreakTheReader)
{
    const std::string reply =
        Result("GetBulkJobStatus", "<StatusId>Pending</StatusId><ScheduledDate>2026-12-08T09:30:00+01:00"
                                   "</ScheduledDate><TotalRecipients>3</TotalRecipients><MsgProcessed>1"
                                   "</MsgProcessed><MsgSent>1</MsgSent><ErrorCode>OK</ErrorCode>");
    _ns1__GetBulkJobStatusResponse response;
    ASSERT_EQ(SOAP_OK, Status(reply, response));
    for (size_t length = 0; length + 1 < reply.size(); ++length)
        EXPECT_NE(SOAP_OK, Status(reply.substr(0, length), response)) << length;

    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 3000; ++round)
    {
        std::string mutated = reply;
        const int changes = 1 + round % 8;
        for (int i = 0; i < changes; ++i)
            mutated[random() % mutated.size()] = static_cast<char>(byte(random));
        Status(mutated, response);
    }
    for (int round = 0; round < 300; ++round)
    {
        std::string noise(random() % 600, '\0');
        for (char& c : noise)
            c = static_cast<char>(byte(random));
        Status(round % 2 ? noise : "<" + noise, response);
    }
    // Still in working order.
    ASSERT_EQ(SOAP_OK, Status(reply, response));
    EXPECT_EQ(3, response.GetBulkJobStatusResult->TotalRecipients);
}

// A batch of recipients on a context with or without the WinINet transport
// (whose own network calls the fake replaces); the fake keeps the request.
int AppendOn(ZentavoBulkJobSoap& proxy, CFakeSoapTransport& transport, std::wstring* numbers)
{
    std::wstring key = L"AK1";
    std::wstring jobId = L"5000001";
    ns1__AuthenticationCredentialsAccessKeyAndSecretKey credentials;
    credentials.SubmittedInterface = ns1__Interfaces__ZentavoSMSOutlookAddin;
    credentials.AccessKey = &key;
    ns1__AppendRecipientsInput input;
    input.AuthenticationCredentials = &credentials;
    input.BulkJobId = &jobId;
    input.RecipientList = numbers;
    _ns1__AppendRecipients request;
    request.AppendRecipientsInput = &input;
    _ns1__AppendRecipientsResponse response;
    proxy.endpoint = kEndpoint;
    transport.SetReply(Result("AppendRecipients", "<ErrorCode>OK</ErrorCode>"));
    return proxy.__ns2__AppendRecipients(&request, &response);
}

std::wstring Numbers(size_t count, const std::wstring& between)
{
    std::wstring numbers;
    for (size_t i = 0; i < count; ++i)
        numbers += (i ? between : L"") + L"+4477009" + std::to_wstring(10000 + i);
    return numbers;
}

// The WinINet transport takes a request whole: the runtime keeps it and
// writes it once, in as few sends as the runtime's buffer allows, with its
// length given beforehand. The bytes are those a plain context counts and
// streams, request after request.
TEST(BulkJobStoredRequests, AreTheBytesOfCountedOnesInFewSends)
{
    const struct
    {
        const char* name;
        std::wstring numbers;
    } cases[] = {
        {"empty", L""},
        {"a batch", Numbers(1000, L",")},
        {"beyond the buffer, escapes and other planes", Numbers(6000, L" & <\"\xD83D\xDE00\">,")},
    };
    ZentavoBulkJobSoap stored;
    ASSERT_EQ(SOAP_OK, soap_register_plugin(stored.soap, wininet_plugin));
    CFakeSoapTransport storedWire(stored.soap);
    for (int round = 0; round < 2; ++round)
    {
        for (auto c : cases)
        {
            ZentavoBulkJobSoap plain;
            CFakeSoapTransport plainWire(plain.soap);
            ASSERT_EQ(SOAP_OK, AppendOn(plain, plainWire, &c.numbers)) << c.name;
            ASSERT_EQ(SOAP_OK, AppendOn(stored, storedWire, &c.numbers)) << c.name;

            const std::string& sent = storedWire.Sent();
            EXPECT_EQ(plainWire.Sent().size(), sent.size()) << c.name;
            EXPECT_TRUE(plainWire.Sent() == sent) << c.name;
            EXPECT_EQ(std::to_string(sent.size()), plainWire.Header("Content-Length")) << c.name;
            EXPECT_EQ(sent.size(), storedWire.PostedLength()) << c.name;
            EXPECT_EQ(static_cast<int>((sent.size() + SOAP_BUFLEN - 1) / SOAP_BUFLEN), storedWire.Sends()) << c.name;
        }
    }
}

TEST(BulkJobProxy, ACallWithoutAContextFailsAtOnce)
{
    ZentavoBulkJobSoap proxy;
    struct soap* soap = proxy.soap;
    proxy.soap = nullptr;
    _ns1__AbortBulkJob request;
    _ns1__AbortBulkJobResponse response;
    EXPECT_EQ(SOAP_EOM, proxy.__ns2__AbortBulkJob(&request, &response));
    proxy.soap = soap;
}

} // namespace
