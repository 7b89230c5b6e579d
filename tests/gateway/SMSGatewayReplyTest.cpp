// The transport's reading of a reply, without a network.
#include "gateway/SMSGatewayService.h"

#include "tests/support/EventCapture.h"

#include <gtest/gtest.h>

namespace
{
struct Parsed
{
    SMSGatewayResultCode status;
    std::string value;
};

Parsed Parse(const std::string& reply, const std::string& expected)
{
    Parsed parsed{UNKNOWN, "stale"};
    parsed.status = CSMSGatewayService::ParseResponse(reply, expected, parsed.value);
    return parsed;
}

TEST(SMSGatewayReply, ExpectedTextGivesTheValueUpToTheLastDigit)
{
    CEventLogCapture events;
    Parsed p = Parse("BALANCE:250\r\n", "BALANCE:");
    EXPECT_EQ(OK, p.status);
    EXPECT_EQ("250", p.value);

    p = Parse("BALANCE:-3", "BALANCE:");
    EXPECT_EQ("-3", p.value);

    // The last digit of the whole reply, even on a later line.
    p = Parse("BALANCE:17\nnext 42x", "BALANCE:");
    EXPECT_EQ("17\nnext 42", p.value);

    // Letters after the id are cut; without any digit after the marker the
    // rest of the reply is the value.
    EXPECT_EQ("4711", Parse("ID:4711abc", "ID:").value);
    EXPECT_EQ("abc\r\n", Parse("ID:abc\r\n", "ID:").value);
    EXPECT_EQ("", Parse("7 ID:", "ID:").value);

    // The expected text is found first, wherever it stands.
    p = Parse("ERR:NO_TO ID:12", "ID:");
    EXPECT_EQ(OK, p.status);
    EXPECT_EQ("12", p.value);
    EXPECT_EQ(OK, Parse("xxOKxx", "OK").status);
    EXPECT_TRUE(events.Events().empty());
}

TEST(SMSGatewayReply, DelayComesBeforeErrorsAndErrorsGiveNoValue)
{
    Parsed p = Parse("DELAY:30\r\n", "ID:");
    EXPECT_EQ(DELAY_REQUESTED, p.status);
    EXPECT_EQ("30", p.value);
    EXPECT_EQ(DELAY_REQUESTED, Parse("ERR:GATEWAY_ERROR DELAY:5", "ID:").status);

    p = Parse("ERR:LOGIN_INVALID 42\r\n", "BALANCE:");
    EXPECT_EQ(LOGIN_INVALID, p.status);
    EXPECT_EQ("", p.value);
}

TEST(SMSGatewayReply, AnythingElseIsAConnectionErrorWithOneEvent)
{
    CEventLogCapture events;
    const std::string page = "<html><body>502 Bad Gateway</body></html>";
    Parsed p = Parse(page, "ID:");
    EXPECT_EQ(CONNECTION_ERROR, p.status);
    EXPECT_EQ("", p.value);
    EXPECT_EQ(CONNECTION_ERROR, Parse("", "BALANCE:").status);

    const std::vector<CapturedEvent> written = events.Events();
    ASSERT_EQ(2u, written.size());
    EXPECT_EQ("CSMSGatewayProxy::MakeHTTPRequest - Invalid Response: " + page, written[0].text);
    EXPECT_EQ("CorvasseServer", written[0].source);
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, written[0].type);
    EXPECT_EQ("CSMSGatewayProxy::MakeHTTPRequest - Invalid Response: ", written[1].text);
}

TEST(SMSGatewayReply, ParseIntegerReadsLikeAtoiWithoutOverflow)
{
    EXPECT_EQ(30, CSMSGatewayService::ParseInteger("30"));
    EXPECT_EQ(-3, CSMSGatewayService::ParseInteger(" \t-3x"));
    EXPECT_EQ(7, CSMSGatewayService::ParseInteger("+7"));
    EXPECT_EQ(0, CSMSGatewayService::ParseInteger("x12"));
    EXPECT_EQ(0, CSMSGatewayService::ParseInteger(""));
    EXPECT_EQ(0, CSMSGatewayService::ParseInteger("-"));
    EXPECT_LT(4294967296LL, CSMSGatewayService::ParseInteger("99999999999999999999999999"));
    EXPECT_GT(-4294967296LL, CSMSGatewayService::ParseInteger("-99999999999999999999999999"));
}

TEST(SMSGatewayReply, MaskSecretKeyHidesSecretsOnly)
{
    EXPECT_EQ("accesskey=a&secretkey=*******&to=1",
              CSMSGatewayService::MaskSecretKey("accesskey=a&secretkey=s%26x&to=1"));
    EXPECT_EQ("accesskey=a&secretkey=*******", CSMSGatewayService::MaskSecretKey("accesskey=a&secretkey=s"));
    EXPECT_EQ("accesskey=a&secretkey=*******", CSMSGatewayService::MaskSecretKey("accesskey=a&secretkey="));
    EXPECT_EQ("accesskey=a&to=1", CSMSGatewayService::MaskSecretKey("accesskey=a&to=1"));
    // A login must not put the user's password into the event log.
    EXPECT_EQ("interface=1&username=u&password=*******&af_intf=2",
              CSMSGatewayService::MaskSecretKey("interface=1&username=u&password=p%21w&af_intf=2"));
    EXPECT_EQ("accesskey=a&secretkey=*******&subacc_username=u&subacc_password=*******&subacc_service=1",
              CSMSGatewayService::MaskSecretKey(
                  "accesskey=a&secretkey=s&subacc_username=u&subacc_password=p&subacc_service=1"));
}

// A login reply the reader does not recognise reaches the event log without
// its keys.
TEST(SMSGatewayReply, MalformedLoginReplyIsReportedWithoutItsKeys)
{
    CEventLogCapture events;
    EXPECT_EQ(CONNECTION_ERROR, Parse("SECRETFIELD:s3cr3t\r\n", "PUBLICFIELD:").status);
    EXPECT_EQ(UNKNOWN, Parse("ERR:NEW_THING\nPUBLICFIELD:pub\nSECRETFIELD:sec", "BALANCE:").status);

    const std::vector<CapturedEvent> written = events.Events();
    ASSERT_EQ(2u, written.size());
    EXPECT_EQ("CSMSGatewayProxy::MakeHTTPRequest - Invalid Response: SECRETFIELD:*******\r\n", written[0].text);
    EXPECT_EQ("CSMSGatewayProxy::MakeHTTPRequest - Unrecognised Status: ERR:NEW_THING\nPUBLICFIELD:*******\n"
              "SECRETFIELD:*******",
              written[1].text);
}

// Random, truncated and binary replies never crash the reader and always end
// in a defined status with a value taken from the reply.
TEST(SMSGatewayReply, RandomRepliesAlwaysGiveADefinedStatus)
{
    CEventLogCapture events;
    const char* const seeds[] = {"ID:", "JOBID:", "DELAY:", "ERR:", "BALANCE:", "PUBLICFIELD:", "OK",
                                 "LOGIN_INVALID", ",", "\r\n", "\n", "4477", "\0", "-", "99999999999"};
    const char* const expected[] = {"ID:", "BALANCE:", "PUBLICFIELD:", "OK"};
    unsigned state = 12345;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    for (int round = 0; round < 5000; ++round)
    {
        std::string reply;
        const unsigned parts = next() % 12;
        for (unsigned i = 0; i < parts; ++i)
        {
            if (next() % 3 == 0)
                reply += static_cast<char>(next() & 0xFF);
            else
                reply += std::string(seeds[next() % (sizeof(seeds) / sizeof(seeds[0]))]);
        }
        reply = reply.substr(0, next() % (reply.size() + 1));
        const std::string want = expected[next() % 4];
        std::string value;
        const SMSGatewayResultCode status = CSMSGatewayService::ParseResponse(reply, want, value);
        ASSERT_TRUE(status <= UPGRADE_CLIENTAPP || status == DELAY_REQUESTED) << status;
        ASSERT_LE(value.size(), reply.size());
        if (status != OK && status != DELAY_REQUESTED)
        {
            ASSERT_TRUE(value.empty());
        }
        if (!value.empty())
        {
            ASSERT_NE(std::string::npos, reply.find(value));
        }
    }
}
} // namespace
