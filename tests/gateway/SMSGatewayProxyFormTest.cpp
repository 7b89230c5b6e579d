// Request forms and send-reply reading of the gateway client, without a
// network.
#include "gateway/SMSGatewayProxy.h"

#include "tests/support/EventCapture.h"

#include <gtest/gtest.h>

#include <regex>

namespace
{
struct SendArgs
{
    CSMSGatewaySendOptions options;
    std::string accessKey = "ak";
    std::string secretKey = "sk";
    std::string to = "447700900001";
    std::string from = "Zentavo";
    std::string text = "Hello world";
    std::string userKey;
    std::string userContext;
    BYTE deliveryReport = 0;
    std::uint32_t maxConCat = 1;
};

std::string Form(const SendArgs& a, std::uint32_t interfaceId = 0)
{
    CSMSGatewayProxy proxy;
    proxy.SetInterface(interfaceId);
    return proxy.BuildSendMessageForm(a.options, a.accessKey, a.secretKey, a.to, a.from, a.text, a.userKey,
                                      a.userContext, a.deliveryReport, a.maxConCat);
}

TEST(SMSGatewayProxyForm, PlainSendCarriesOnlyTheFieldsThatAlwaysGo)
{
    SendArgs a;
    EXPECT_EQ("accesskey=ak&secretkey=sk&to=447700900001&from=Zentavo&text=Hello+world", Form(a));
    a.from.clear();
    EXPECT_EQ("accesskey=ak&secretkey=sk&to=447700900001&from=&text=Hello+world", Form(a));
}

TEST(SMSGatewayProxyForm, EveryOptionalFieldInItsPlace)
{
    SendArgs a;
    a.accessKey = "a k";
    a.secretKey = "s&k=";
    a.to = "447700900001,447700900002";
    a.options.m_FromType = 1;
    a.from = "Zen-tavo";
    a.userKey = "uk";
    a.userContext = "ctx.1";
    a.deliveryReport = 1;
    a.maxConCat = 3;
    a.options.m_ReplyTo.m_InterfaceId = 0x20000001;
    a.options.m_ReplyTo.m_Id = L"me@example.com";
    a.options.m_ReplyTo.m_Name = L"J\x00FCrgen M";
    a.options.m_MessageSource.m_InterfaceId = 7;
    a.options.m_MessageSource.m_Id = L"src";
    a.options.m_DeliveryReportSetting = drsReportStatuses;
    a.options.m_DeliveryReportStatusMask = drsfMessageSent | drsfDeliverySuccess;
    a.options.m_RoutingType = rrtMsgSource;
    EXPECT_EQ("interface=536870913&accesskey=a+k&secretkey=s%26k%3d&to=447700900001%2c447700900002&fromtype=1&"
              "from=Zen%2dtavo&text=Hello+world&userkey=uk&usercontext=ctx%2e1&delrpt=1&maxconcat=3"
              "&rplyintf=536870913&rplyid=me%40example%2ecom&rplyname=J%c3%bcrgen+M&msgsrcintf=7&msgsrcid=src"
              "&delrpt_reqstatus=MessageSent%7cDeliverySuccess&delrpt_routingtype=MsgSource",
              Form(a, 0x20000001));
}

TEST(SMSGatewayProxyForm, TextIsCutAt1600CharactersAndEncodedAsUTF8)
{
    SendArgs a;
    a.text = std::string(2000, 'a');
    EXPECT_EQ("accesskey=ak&secretkey=sk&to=447700900001&from=Zentavo&text=" + std::string(1600, 'a'), Form(a));

    // Code page 1252 text with reserved characters.
    a.text = "Gr\xFC\xDF \x80 & = + % ? /\r\n";
    EXPECT_EQ("accesskey=ak&secretkey=sk&to=447700900001&from=Zentavo&"
              "text=Gr%c3%bc%c3%9f+%e2%82%ac+%26+%3d+%2b+%25+%3f+%2f%0d%0a",
              Form(a));
}

TEST(SMSGatewayProxyForm, FromTypeDecidesTheSenderFields)
{
    SendArgs a;
    a.options.m_FromType = 2;
    EXPECT_EQ("accesskey=ak&secretkey=sk&to=447700900001&fromtype=2&text=Hello+world", Form(a));
}

TEST(SMSGatewayProxyForm, MaxConCatOfOneIsLeftOut)
{
    SendArgs a;
    a.maxConCat = 0;
    EXPECT_EQ("accesskey=ak&secretkey=sk&to=447700900001&from=Zentavo&text=Hello+world&maxconcat=0", Form(a));
}

TEST(SMSGatewayProxyForm, EndPointsWithoutInterfaceAreNotSent)
{
    SendArgs a;
    a.options.m_ReplyTo.m_Id = L"me@example.com";
    a.options.m_ReplyTo.m_Name = L"Me";
    a.options.m_MessageSource.m_InterfaceId = 0x20000001;
    EXPECT_EQ("accesskey=ak&secretkey=sk&to=447700900001&from=Zentavo&text=Hello+world&msgsrcintf=536870913",
              Form(a));
}

TEST(SMSGatewayProxyForm, DeliveryReportSettings)
{
    SendArgs a;
    const std::string base = "accesskey=ak&secretkey=sk&to=447700900001&from=Zentavo&text=Hello+world";
    a.options.m_DeliveryReportStatusMask = 15;
    a.options.m_RoutingType = 1;
    a.options.m_DeliveryReportSetting = drsNoReports;
    EXPECT_EQ(base + "&delrpt_reqstatus=None", Form(a));
    a.options.m_DeliveryReportSetting = drsAccountSetting;
    EXPECT_EQ(base, Form(a));
    a.options.m_DeliveryReportSetting = 4;
    EXPECT_EQ(base, Form(a));
    a.options.m_DeliveryReportSetting = drsReportStatuses;
    a.options.m_DeliveryReportStatusMask = 0;
    a.options.m_RoutingType = 9;
    EXPECT_EQ(base + "&delrpt_reqstatus=None&delrpt_routingtype=", Form(a));
}

TEST(SMSGatewayProxyForm, ScheduledSendCarriesTheLocalTimeWithItsOffset)
{
    SendArgs a;
    a.options.m_StartTime.wYear = 2024;
    a.options.m_StartTime.wMonth = 3;
    a.options.m_StartTime.wDay = 5;
    a.options.m_StartTime.wHour = 9;
    a.options.m_StartTime.wMinute = 7;
    const std::string form = Form(a);
    EXPECT_TRUE(std::regex_match(form, std::regex("accesskey=ak&secretkey=sk&to=447700900001&from=Zentavo&"
                                                  "text=Hello\\+world&startat=2024%2d03%2d05T09%3a07%3a00"
                                                  "(%2b|%2d)[0-9]{2}%3a[0-9]{2}")))
        << form;
}

// ---- reading a send reply

struct Reply
{
    SMSGatewayResultCode status;
    std::vector<CSMSSendStatus> records;
};

Reply Read(SMSGatewayResultCode status, const std::string& raw, const std::string& to = "447700900001")
{
    Reply reply{status, {}};
    CSMSGatewayProxy::ParseSendMessageResponse(reply.records, to, reply.status, raw);
    return reply;
}

void ExpectRecord(const CSMSSendStatus& record, const std::string& number, const std::string& id,
                  SMSGatewayResultCode code)
{
    EXPECT_EQ(number, record.m_Number);
    EXPECT_EQ(id, record.m_MessageId);
    EXPECT_EQ(code, record.m_StatusCode);
}

TEST(SMSGatewayProxyReply, OneRecipientReplyNamesTheNumberFromTheToText)
{
    Reply r = Read(OK, "ID:1234567\r\n", "+44,7700900001");
    EXPECT_EQ(OK, r.status);
    ASSERT_EQ(1u, r.records.size());
    ExpectRecord(r.records[0], "+447700900001", "1234567", OK);

    r = Read(INVALID_NUMBER, "ERR:INVALID_NUMBER");
    EXPECT_EQ(OK, r.status);
    ASSERT_EQ(1u, r.records.size());
    ExpectRecord(r.records[0], "447700900001", "", INVALID_NUMBER);
}

TEST(SMSGatewayProxyReply, SeveralRecipientsGiveOneRecordPerLineInReplyOrder)
{
    Reply r = Read(OK, "447700900002,ID:22abc\r\n\n447700900001,ERR:INVALID_NUMBER\r\n4477009,junk,ID:9\n");
    EXPECT_EQ(OK, r.status);
    ASSERT_EQ(3u, r.records.size());
    ExpectRecord(r.records[0], "447700900002", "22", OK);
    ExpectRecord(r.records[1], "447700900001", "", INVALID_NUMBER);
    ExpectRecord(r.records[2], "4477009", "", UNKNOWN);

    // All recipients refused: the transport said 11, the records say why.
    r = Read(INVALID_NUMBER, "1,ERR:INVALID_NUMBER\n2,ERR:INVALID_NUMBER");
    EXPECT_EQ(OK, r.status);
    ASSERT_EQ(2u, r.records.size());
    ExpectRecord(r.records[1], "2", "", INVALID_NUMBER);
}

TEST(SMSGatewayProxyReply, LinesWithoutACommaGiveNoRecordInAMultiLineReply)
{
    Reply r = Read(OK, "1,ID:5\nID:6\n,ID:7\n");
    ASSERT_EQ(1u, r.records.size());
    ExpectRecord(r.records[0], "1", "5", OK);
}

TEST(SMSGatewayProxyReply, RefusalsOfTheWholeSendGiveNoRecords)
{
    Reply r = Read(LOGIN_INVALID, "ERR:LOGIN_INVALID");
    EXPECT_EQ(LOGIN_INVALID, r.status);
    EXPECT_TRUE(r.records.empty());

    r = Read(INVALID_REQUEST, "ERR:INVALID_REQUEST");
    EXPECT_EQ(INVALID_REQUEST, r.status);
    EXPECT_TRUE(r.records.empty());

    r = Read(CONNECTION_ERROR, "");
    EXPECT_EQ(CONNECTION_ERROR, r.status);
    EXPECT_TRUE(r.records.empty());

    // INVALID_REQUEST with a comma is read recipient by recipient.
    r = Read(INVALID_REQUEST, "1,ERR:INVALID_REQUEST\n2,ID:8");
    EXPECT_EQ(OK, r.status);
    ASSERT_EQ(2u, r.records.size());
    ExpectRecord(r.records[0], "1", "", INVALID_REQUEST);
    ExpectRecord(r.records[1], "2", "8", OK);
}

TEST(SMSGatewayProxyReply, EmptyReplyLeavesTheStatus)
{
    Reply r = Read(OK, "\n\n");
    EXPECT_EQ(OK, r.status);
    EXPECT_TRUE(r.records.empty());
}

TEST(SMSGatewayProxyReply, RandomRepliesNeverBreakTheReader)
{
    CEventLogCapture events;
    const char* const pieces[] = {"ID:", "ERR:", "INVALID_NUMBER", ",", "\n", "\r\n", "4477", "x", "\0", "JOBID:"};
    unsigned state = 777;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    const SMSGatewayResultCode starts[] = {OK, INVALID_NUMBER, INVALID_REQUEST, CONNECTION_ERROR};
    for (int round = 0; round < 5000; ++round)
    {
        std::string raw;
        const unsigned count = next() % 16;
        for (unsigned i = 0; i < count; ++i)
            raw += next() % 4 == 0 ? std::string(1, static_cast<char>(next() & 0xFF))
                                   : std::string(pieces[next() % (sizeof(pieces) / sizeof(pieces[0]))]);
        const SMSGatewayResultCode start = starts[next() % 4];
        Reply r = Read(start, raw, "1,2");
        ASSERT_TRUE(r.status == start || r.status == OK);
        for (const CSMSSendStatus& record : r.records)
        {
            ASSERT_TRUE(record.m_StatusCode <= UPGRADE_CLIENTAPP);
            ASSERT_TRUE(record.m_MessageId.empty() || record.m_StatusCode == OK);
        }
    }
}
} // namespace
