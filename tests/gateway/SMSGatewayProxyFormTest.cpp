// Send-form rules and the send-reply reader without a network; the exact
// bytes on the wire are checked against the simulator elsewhere.
#include "gateway/SMSGatewayProxy.h"

#include "tests/support/EventCapture.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
const std::string kBase = "accesskey=ak&secretkey=sk&to=447700900001&";

std::string Form(const CSMSGatewaySendOptions& options, const std::string& text = "Hi", std::uint32_t maxConCat = 1)
{
    CSMSGatewayProxy proxy;
    return proxy.BuildSendMessageForm(options, "ak", "sk", "447700900001", "Me", text, "", "", 0, maxConCat);
}

TEST(SMSGatewayProxyForm, OptionalFieldsFollowTheirConditions)
{
    const struct
    {
        const char* what;
        std::function<void(CSMSGatewaySendOptions&)> change;
        std::string form;
    } cases[] = {
        {"nothing set", [](CSMSGatewaySendOptions&) {}, kBase + "from=Me&text=Hi"},
        {"from type 2 sends no sender", [](CSMSGatewaySendOptions& o) { o.m_FromType = 2; },
         kBase + "fromtype=2&text=Hi"},
        {"reply end point without interface",
         [](CSMSGatewaySendOptions& o) {
             o.m_ReplyTo.m_Id = L"a@b.c";
             o.m_ReplyTo.m_Name = L"A";
         },
         kBase + "from=Me&text=Hi"},
        {"source end point with interface only", [](CSMSGatewaySendOptions& o) { o.m_MessageSource.m_InterfaceId = 9; },
         kBase + "from=Me&text=Hi&msgsrcintf=9"},
        {"no reports",
         [](CSMSGatewaySendOptions& o) {
             o.m_DeliveryReportSetting = drsNoReports;
             o.m_DeliveryReportStatusMask = 15;
             o.m_RoutingType = 1;
         },
         kBase + "from=Me&text=Hi&delrpt_reqstatus=None"},
        {"account setting", [](CSMSGatewaySendOptions& o) { o.m_DeliveryReportSetting = drsAccountSetting; },
         kBase + "from=Me&text=Hi"},
        {"unknown setting", [](CSMSGatewaySendOptions& o) { o.m_DeliveryReportSetting = 4; },
         kBase + "from=Me&text=Hi"},
        {"reports with unknown bits and routing",
         [](CSMSGatewaySendOptions& o) {
             o.m_DeliveryReportSetting = drsReportStatuses;
             o.m_DeliveryReportStatusMask = 16 | 8 | 1;
             o.m_RoutingType = 3;
         },
         kBase + "from=Me&text=Hi&delrpt_reqstatus=MessageSent%7cMessageExpired&delrpt_routingtype="},
    };
    for (const auto& c : cases)
    {
        CSMSGatewaySendOptions options;
        c.change(options);
        EXPECT_EQ(c.form, Form(options)) << c.what;
    }
    EXPECT_EQ(kBase + "from=Me&text=Hi&maxconcat=0", Form(CSMSGatewaySendOptions(), "Hi", 0));
    EXPECT_EQ(kBase + "from=Me&text=" + std::string(1600, 'a'), Form(CSMSGatewaySendOptions(), std::string(2000, 'a')));
}

TEST(SMSGatewayProxyForm, StatusFlagMaskAsText)
{
    std::string text = "stale";
    GetStatusFlagsText(0, text);
    EXPECT_EQ("None", text);
    GetStatusFlagsText(15, text);
    EXPECT_EQ("MessageSent|DeliverySuccess|DeliveryFailure|MessageExpired", text);
    GetStatusFlagsText(5, text);
    EXPECT_EQ("MessageSent|DeliveryFailure", text);
}

// Random, truncated and binary replies never break the recipient reader.
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
        raw = raw.substr(0, next() % (raw.size() + 1));
        const SMSGatewayResultCode start = starts[next() % 4];
        SMSGatewayResultCode status = start;
        std::vector<CSMSSendStatus> records(1);
        records.clear();
        CSMSGatewayProxy::ParseSendMessageResponse(records, "1,2", status, raw);
        ASSERT_TRUE(status == start || status == OK);
        for (const CSMSSendStatus& record : records)
        {
            ASSERT_TRUE(record.m_StatusCode <= UPGRADE_CLIENTAPP);
            ASSERT_TRUE(record.m_MessageId.empty() || record.m_StatusCode == OK);
        }
    }
}
} // namespace
