#include "gateway/SMSGatewayResultCode.h"
#include "gateway/SMSGatewayService.h"

#include "tests/support/EventCapture.h"

#include <gtest/gtest.h>

namespace
{
SMSGatewayResultCode FromText(const std::string& text)
{
    return CSMSGatewayService::GetStatusFromErrorText(text);
}

TEST(SMSGatewayResultCode, EveryGatewayNameReadsBackAsItsOwnCode)
{
    CEventLogCapture events;
    for (std::uint32_t code = 2; code <= 27; ++code)
    {
        if (code == CONNECTION_ERROR || code == DELAY_REPEATED)
            continue;
        const std::string name = GetSMSGatewayResultCodeName(code);
        EXPECT_EQ(code, FromText("ERR:" + name)) << name;
        EXPECT_EQ(code, FromText("4477,ERR:" + name + "\r\n")) << name;
    }
    EXPECT_TRUE(events.Events().empty());
}

TEST(SMSGatewayResultCode, ErrorNamesAreSearchedInTheirFixedOrder)
{
    EXPECT_EQ(AUTH_PARAMETER_MISSING, FromText("ERR:AUTH_PARAMETER_MISSING"));
    EXPECT_EQ(AUTH_PARAMETER_INVALID, FromText("ERR:AUTH_PARAMETER_INVALID"));
    EXPECT_EQ(PARAMETER_MISSING, FromText("ERR:PARAMETER_MISSING"));
    // Two names in one text: the earlier in the search order wins.
    EXPECT_EQ(NO_TO, FromText("ERR:NO_TEXT ERR:NO_TO"));
    EXPECT_EQ(MSGID_INVALID, FromText("ERR:NO_MSGID MSGID_INVALID"));
    // Substrings anywhere count, even without "ERR:".
    EXPECT_EQ(LOGIN_INVALID, FromText("xxLOGIN_INVALIDxx"));
}

TEST(SMSGatewayResultCode, UnknownNamesGiveZeroAndOneEvent)
{
    CEventLogCapture events;
    EXPECT_EQ(UNKNOWN, FromText("ERR:SOMETHING_NEW"));
    EXPECT_EQ(UNKNOWN, FromText("ERR:login_invalid"));
    const std::vector<CapturedEvent> written = events.Events();
    ASSERT_EQ(2u, written.size());
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, written[0].type);
    EXPECT_EQ("CSMSGatewayProxy::MakeHTTPRequest - Unrecognised Status: ERR:SOMETHING_NEW", written[0].text);
    EXPECT_EQ("CorvasseServer", written[0].source);
    EXPECT_EQ("CSMSGatewayProxy::MakeHTTPRequest - Unrecognised Status: ERR:login_invalid", written[1].text);
}
} // namespace
