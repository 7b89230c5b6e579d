// The WinINet plug-in under the gSOAP runtime, against the local test peer.
#include "tests/soaptransport/SoapTestClient.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
using Reply = std::map<std::string, std::string>;

std::string HeaderOf(const SeenRequest& seen, const std::string& name)
{
    EXPECT_EQ(1u, seen.headers.count(name)) << name;
    auto found = seen.headers.find(name);
    return found == seen.headers.end() ? std::string() : found->second;
}

void ExpectTransportFailure(struct soap* soap, int error)
{
    EXPECT_EQ(SOAP_HTTP_ERROR, error);
    EXPECT_EQ(SOAP_HTTP_ERROR, soap->error);
    const char* reason = soap_fault_string(soap);
    ASSERT_NE(nullptr, reason);
    EXPECT_NE(nullptr, std::strstr(reason, "WinINet error")) << reason;
    EXPECT_NE(0u, TransportOf(soap)->LastError());
}

// Runs a call that must fail, and says how long it took.
ULONGLONG TimedCall(struct soap* soap, const std::string& url, int* error)
{
    const ULONGLONG start = ::GetTickCount64();
    *error = Call(soap, url, "late");
    return ::GetTickCount64() - start;
}

struct ErrorDialogRecord
{
    int calls = 0;
    DWORD error = 0;
    DWORD flags = 0;
    DWORD status = 0;
    bool supplyCredentials = false;
    DWORD answer = ERROR_CANCELLED;
} g_Dialog;

DWORD FakeErrorDialog(HWND, HINTERNET request, DWORD error, DWORD flags)
{
    ++g_Dialog.calls;
    g_Dialog.error = error;
    g_Dialog.flags = flags;
    DWORD size = sizeof g_Dialog.status;
    ::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &g_Dialog.status, &size, nullptr);
    if (g_Dialog.supplyCredentials)
    {
        ::InternetSetOptionA(request, INTERNET_OPTION_USERNAME, const_cast<char*>("test"), 4);
        ::InternetSetOptionA(request, INTERNET_OPTION_PASSWORD, const_cast<char*>("secret"), 6);
    }
    return g_Dialog.answer;
}

class WinInetCredentials : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Dialog = ErrorDialogRecord();
        SetWinInetErrorDialogSink(FakeErrorDialog);
    }
    void TearDown() override { SetWinInetErrorDialogSink(nullptr); }
};

DWORD QueryTimeout(HINTERNET handle, DWORD option)
{
    DWORD value = 0;
    DWORD size = sizeof value;
    EXPECT_TRUE(::InternetQueryOptionA(handle, option, &value, &size));
    return value;
}
}  // namespace

TEST(WinInetTransport, RegistersItselfOnceWithIdAndDeleteFunction)
{
    SoapContext soap = NewContext();
    ASSERT_NE(nullptr, soap->plugins);
    EXPECT_STREQ("wininet-2.0", soap->plugins->id);
    EXPECT_NE(nullptr, soap->plugins->fdelete);
    EXPECT_NE(nullptr, TransportOf(soap.get())->InternetHandle());

    // A second registration changes nothing and the context still works.
    EXPECT_EQ(SOAP_OK, soap_register_plugin(soap.get(), wininet_plugin));
    EXPECT_EQ(nullptr, soap->plugins->next);
    EXPECT_EQ(SOAP_OK, Call(soap.get(), PeerUrl("http_port", "/echo"), "twice"));
}

TEST(WinInetTransport, FreeingTheContextClosesEveryHandle)
{
    HINTERNET internet = nullptr;
    {
        SoapContext soap = NewContext();
        internet = TransportOf(soap.get())->InternetHandle();
        // Leave a request open: connected and written, never read.
        soap_begin(soap.get());
        ASSERT_EQ(SOAP_OK, soap_connect(soap.get(), PeerUrl("http_port", "/echo").c_str(), "urn:a"));
        ASSERT_EQ(SOAP_OK, soap_send(soap.get(), "<x/>"));
        // The whole request is kept until its end, then posted.
        ASSERT_EQ(SOAP_OK, soap_end_send(soap.get()));
    }
    DWORD type = 0;
    DWORD size = sizeof type;
    EXPECT_FALSE(::InternetQueryOptionA(internet, INTERNET_OPTION_HANDLE_TYPE, &type, &size));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), ::GetLastError());
}

TEST(WinInetTransport, PostsTheEnvelopeWithTheRuntimesHeaders)
{
    SoapContext soap = NewContext();
    Reply reply;
    ASSERT_EQ(SOAP_OK, Call(soap.get(), PeerUrl("http_port", "/echo?wsdl&x=1"), "a & <b>", &reply,
                            "urn:zentavo-test#Append"))
        << soap_fault_string(soap.get());
    const SeenRequest seen = ParseSeenRequest(reply["t:Request"]);

    EXPECT_EQ("POST /echo?wsdl&x=1 HTTP/1.1", seen.requestLine);
    EXPECT_EQ("127.0.0.1:" + PeerValue("http_port"), HeaderOf(seen, "host"));
    EXPECT_EQ(0u, HeaderOf(seen, "user-agent").find("gSOAP"));
    EXPECT_EQ("application/soap+xml; charset=utf-8; action=\"urn:zentavo-test#Append\"",
              HeaderOf(seen, "content-type"));
    EXPECT_EQ("\"urn:zentavo-test#Append\"", HeaderOf(seen, "soapaction"));
    EXPECT_EQ("close", HeaderOf(seen, "connection"));
    EXPECT_EQ(std::to_string(seen.body.size()), HeaderOf(seen, "content-length"));
    EXPECT_EQ(0u, seen.body.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SOAP-ENV:Envelope "));
    EXPECT_NE(std::string::npos,
              seen.body.find("<SOAP-ENV:Body><t:Echo><t:Text>a &amp; &lt;b&gt;</t:Text></t:Echo></SOAP-ENV:Body>"));

    // A header value cannot smuggle in a header of its own.
    const int error = Call(soap.get(), PeerUrl("http_port", "/echo"), "x", &reply, "urn:a\r\nX-Smuggled: 1");
    ExpectTransportFailure(soap.get(), error);
}

TEST(WinInetTransport, HttpsGoesToTheDefaultOrGivenPortWithTheCertificateChecked)
{
    SoapContext soap = NewContext();
    Reply reply;
    ASSERT_EQ(SOAP_OK, Call(soap.get(), PeerUrl("https_port", "/echo"), "secure", &reply))
        << soap_fault_string(soap.get());
    EXPECT_EQ("POST /echo HTTP/1.1", ParseSeenRequest(reply["t:Request"]).requestLine);

    // A certificate from a CA that nobody trusts is refused, not offered.
    g_Dialog = ErrorDialogRecord();
    SetWinInetErrorDialogSink(FakeErrorDialog);
    const int error = Call(soap.get(), PeerUrl("untrusted_port", "/echo"), "secret", &reply);
    SetWinInetErrorDialogSink(nullptr);
    ExpectTransportFailure(soap.get(), error);
    EXPECT_EQ(0, g_Dialog.calls);

    // The context is usable again after a failure.
    EXPECT_EQ(SOAP_OK, Call(soap.get(), PeerUrl("https_port", "/echo"), "again"));
}

TEST(WinInetTransport, ReceivesLargeAndChunkedRepliesInFull)
{
    SoapContext soap = NewContext();
    for (const char* path : {"/large", "/chunked"})
    {
        for (size_t bytes : {0u, 1u, 65535u, 65536u, 1500000u})
        {
            Reply reply;
            ASSERT_EQ(SOAP_OK,
                      Call(soap.get(), PeerUrl("http_port", std::string(path) + "?bytes=" + std::to_string(bytes)),
                           "more", &reply))
                << path << " " << bytes;
            EXPECT_EQ(std::to_string(bytes), reply["t:Length"]);
            EXPECT_TRUE(reply["t:Data"] == PeerPattern(bytes)) << path << " " << bytes;
        }
    }
}

TEST(WinInetTransport, SendsLargeRequestsInFull)
{
    SoapContext soap = NewContext();
    const std::string text = PeerPattern(2000000);
    Reply reply;
    ASSERT_EQ(SOAP_OK, Call(soap.get(), PeerUrl("https_port", "/echo"), text, &reply));
    const SeenRequest seen = ParseSeenRequest(reply["t:Request"]);
    EXPECT_NE(std::string::npos, seen.body.find("<t:Text>" + text + "</t:Text>"));
    EXPECT_EQ(std::to_string(seen.body.size()), HeaderOf(seen, "content-length"));
}

TEST(WinInetTransport, ConnectionFailuresAndTimeoutsEndInError29)
{
    SoapContext soap = NewContext();
    int error = 0;
    TimedCall(soap.get(), PeerUrl("refused_port", "/echo"), &error);
    ExpectTransportFailure(soap.get(), error);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT), TransportOf(soap.get())->LastError());

    // A reply that does not come. (Wine reports the time-out as 12030, an
    // aborted connection, where Windows says 12002.)
    soap->recv_timeout = soap->send_timeout = soap->connect_timeout = 2;
    EXPECT_LT(TimedCall(soap.get(), PeerUrl("http_port", "/slow?seconds=60"), &error), 30000u);
    ExpectTransportFailure(soap.get(), error);

    // A request that the server does not take: larger than what the socket
    // buffers hold, so the send stalls.
    const ULONGLONG sendStart = ::GetTickCount64();
    error = Call(soap.get(), PeerUrl("http_port", "/unread?seconds=60"), PeerPattern(32000000));
    EXPECT_LT(::GetTickCount64() - sendStart, 30000u);
    ExpectTransportFailure(soap.get(), error);

    // Not a web address at all.
    error = Call(soap.get(), "ftp://127.0.0.1/echo", "x");
    ExpectTransportFailure(soap.get(), error);
}

// Wine keeps only the connect time-out on an internet handle (and ignores it
// when connecting); the receive time-out shows its effect above.
TEST(WinInetTransport, AppliesTheContextsTimeoutsInMilliseconds)
{
    SoapContext soap = NewContext();
    HINTERNET internet = TransportOf(soap.get())->InternetHandle();
    soap->connect_timeout = 3;
    EXPECT_EQ(SOAP_OK, wininet_apply_timeouts(soap.get()));
    EXPECT_EQ(3000u, QueryTimeout(internet, INTERNET_OPTION_CONNECT_TIMEOUT));

    // Zero and negative (microsecond) values are left alone.
    for (int seconds : {0, -500000})
    {
        soap->connect_timeout = seconds;
        EXPECT_EQ(SOAP_OK, wininet_apply_timeouts(soap.get()));
        EXPECT_EQ(3000u, QueryTimeout(internet, INTERNET_OPTION_CONNECT_TIMEOUT));
    }
    soap->connect_timeout = 1;
    EXPECT_EQ(SOAP_OK, wininet_apply_timeouts(soap.get()));
    EXPECT_EQ(1000u, QueryTimeout(internet, INTERNET_OPTION_CONNECT_TIMEOUT));

    SoapContext plain = NewContext(false);
    EXPECT_EQ(SOAP_HTTP_ERROR, wininet_apply_timeouts(plain.get()));
}

// The HTTP status is not looked at: the body decides.
TEST(WinInetTransport, ErrorStatusesAreReadByTheirBodies)
{
    SoapContext soap = NewContext();
    EXPECT_EQ(SOAP_SVR_FAULT, Call(soap.get(), PeerUrl("http_port", "/fault"), "x"));
    ASSERT_NE(nullptr, soap_fault_string(soap.get()));
    EXPECT_STREQ("Job store & queue unavailable", soap_fault_string(soap.get()));
    EXPECT_STREQ("t:JobStore", soap_fault_subcode(soap.get()));
    EXPECT_STREQ("<t:Retry>30</t:Retry>", soap_fault_detail(soap.get()));
    EXPECT_EQ(SOAP_CLI_FAULT, Call(soap.get(), PeerUrl("http_port", "/fault?code=Sender"), "x"));

    // Other bodies fail as gSOAP 2.8 reads them: an HTML page as "no data",
    // an empty or cut-off body as the end of the input.
    const struct
    {
        const char* path;
        int error;
    } cases[] = {{"/status?code=404", SOAP_NO_DATA},
                 {"/status?code=500", SOAP_NO_DATA},
                 {"/empty?code=503", SOAP_EOF},
                 {"/empty?code=200", SOAP_EOF},
                 {"/truncated?bytes=70000", SOAP_EOF}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.error, Call(soap.get(), PeerUrl("http_port", c.path), "x")) << c.path;
    }
}

TEST_F(WinInetCredentials, AreAskedForAndTheRequestGoesAgain)
{
    SoapContext soap = NewContext();
    int error = Call(soap.get(), PeerUrl("http_port", "/auth"), "who");
    EXPECT_EQ(1, g_Dialog.calls);
    EXPECT_EQ(401u, g_Dialog.status);
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), g_Dialog.error);
    EXPECT_TRUE(g_Dialog.flags & FLAGS_ERROR_UI_FILTER_FOR_ERRORS);
    EXPECT_NE(SOAP_OK, error);
    EXPECT_NE(SOAP_HTTP_ERROR, error);

    // A dialogue that always asks to retry, without credentials, is not
    // shown for ever.
    g_Dialog = ErrorDialogRecord();
    g_Dialog.answer = ERROR_INTERNET_FORCE_RETRY;
    EXPECT_NE(SOAP_OK, Call(soap.get(), PeerUrl("http_port", "/auth"), "who"));
    EXPECT_EQ(5, g_Dialog.calls);

    // No dialogue for a request that needs no credentials.
    g_Dialog = ErrorDialogRecord();
    EXPECT_EQ(SOAP_OK, Call(soap.get(), PeerUrl("http_port", "/echo"), "who"));
    EXPECT_EQ(0, g_Dialog.calls);

    g_Dialog = ErrorDialogRecord();
    g_Dialog.supplyCredentials = true;
    g_Dialog.answer = ERROR_INTERNET_FORCE_RETRY;
    Reply reply;
    ASSERT_EQ(SOAP_OK, Call(soap.get(), PeerUrl("http_port", "/auth"), "who", &reply))
        << soap_fault_string(soap.get());
    EXPECT_EQ(1, g_Dialog.calls);
    const SeenRequest seen = ParseSeenRequest(reply["t:Request"]);
    EXPECT_EQ("Basic dGVzdDpzZWNyZXQ=", HeaderOf(seen, "authorization"));
    EXPECT_NE(std::string::npos, seen.body.find("<t:Text>who</t:Text>"));
}
