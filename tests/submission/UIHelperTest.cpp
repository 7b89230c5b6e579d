#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"

#include "gateway/SMSGatewayService.h"
#include "gateway/ZentavoSMSGatewaySubmissionManager.h"
#include "tests/submission/SubmissionTestSupport.h"
#include "tests/support/TestMessageWindow.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{
using namespace GatewaySimulatorSeed;
using SubmissionTest::NewHTTPSSubmission;
using SubmissionTest::Recipients;
using CServiceConnectionException = CSMSGatewayHTTPInterfaceClientUIHelper::CServiceConnectionException;

const char* const kCaption = "ZentavoSMS Outlook Add-in";
const char* const kConnectionText =
    "Error occurred connecting to the ZentavoSoftware Service.\n\nPlease check you internet connection and firewall "
    "settings";
// The boxes' owner: a live window of the test's thread, as a box takes no
// other.
HWND Owner()
{
    static CTestMessageWindow window;
    return window.Handle();
}

TEST(GatewayErrorMessage, EachCodeHasItsText)
{
    struct Case
    {
        std::uint32_t code;
        bool login;
        std::string tail;
    };
    const Case cases[] = {
        {6, true, "Username or Password incorrect"},
        {6, false, "Login session no longer valid. Please log back in to your account again."},
        {10, false, kConnectionText},
        {10, true, kConnectionText},
        {4, false, "No valid recipients numbers were provided"},
        {27, true, "Please update the ZentavoSMS Outlook Addin to the latest version"},
        {25, true,
         "The user account requires MFA Authentication but this is not supported by the current ZentavoSMS Outlook "
         "Addin"},
        {7, false, "Insufficient credit to complete the request"},
        {20, false, "You remaining daily allowance in insufficient to complete the request"},
        {21, false, "You remaining monthly allowance in insufficient to complete the request"},
        {13, false, "ResultCode: 13\n\nthe description"},
        {0, true, "ResultCode: 0\n\nthe description"},
        {11, false, "ResultCode: 11\n\nthe description"},
    };
    for (const Case& c : cases)
    {
        CMessageBoxCapture boxes(IDCANCEL);
        CSMSGatewayHTTPInterfaceClientUIHelper::ShowGatewayErrorMessage(Owner(), c.login, "Login Failed!",
                                                                         "the description", c.code);
        const std::vector<CapturedMessageBox> shown = boxes.Boxes();
        ASSERT_EQ(1u, shown.size()) << c.code;
        EXPECT_EQ("Login Failed!\n\n" + c.tail, shown[0].text) << c.code;
        EXPECT_EQ(kCaption, shown[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK), shown[0].style);
        EXPECT_EQ(Owner(), shown[0].owner);
    }
}

// After an answer lost as a whole, the box still names what the gateway had
// refused before, or counts what it refused unnamed.
TEST(RecipientOutcomes, ALostAnswerStillTellsTheRefusalsKnown)
{
    const std::string lost = "The message may have been sent.\n\nThe ZentavoSoftware Service's answer was lost, so "
                             "whether it sent (or scheduled) the message is not known. Please check your messages on "
                             "the ZentavoSoftware portal before sending it again.";
    const auto status = [](const char* number, SMSGatewayResultCode code) {
        CSMSSendStatus status;
        status.m_Number = number;
        status.m_StatusCode = code;
        return status;
    };
    const struct
    {
        const char* what;
        std::vector<CSMSSendStatus> statuses;
        std::uint32_t unnamed;
        std::string text;
    } rows[] = {
        {"named refusals", {status("111", UNKNOWN), status("12345", INVALID_NUMBER), status("", NO_TO)}, 0,
         lost + "\n\nIt was not sent to these numbers, which the ZentavoSoftware Service refused:\n\n12345: not a "
                "valid number\n(none): no number"},
        {"two refused unnamed", {status("111", UNKNOWN), status("222", UNKNOWN), status("333", UNKNOWN)}, 2,
         lost + "\n\nThe ZentavoSoftware Service refused 2 of its 3 numbers (not a valid number) without saying "
                "which: the message was not sent to them."},
    };
    for (const auto& row : rows)
    {
        CZentavoSMSGatewaySubmissionResults results;
        results.m_ResultCode = CONNECTION_ERROR;
        results.m_OutcomeUnknown = 1;
        results.m_SendStatuses = row.statuses;
        results.m_UnnamedRefusals = row.unnamed;
        EXPECT_EQ(row.text, CSMSGatewayHTTPInterfaceClientUIHelper::RecipientOutcomesText(results)) << row.what;
    }
}

TEST(ServiceConnectionError, RetryIsOfferedOnlyWhenAllowed)
{
    CServiceConnectionException exception;
    exception.m_Text = "CreateAuthFactor";
    exception.m_RetryAllowed = 1;
    {
        CMessageBoxCapture boxes;
        boxes.QueueAnswers({IDYES, IDNO});
        EXPECT_TRUE(CSMSGatewayHTTPInterfaceClientUIHelper::ShowServiceConnectionError(Owner(), exception));
        EXPECT_FALSE(CSMSGatewayHTTPInterfaceClientUIHelper::ShowServiceConnectionError(Owner(), exception));
        const std::vector<CapturedMessageBox> shown = boxes.Boxes();
        ASSERT_EQ(2u, shown.size());
        EXPECT_EQ(std::string(kConnectionText) + "\n\nDo you want to try again?", shown[0].text);
        EXPECT_EQ(20u, shown[0].style);
        EXPECT_EQ(kCaption, shown[0].caption);
        EXPECT_EQ(Owner(), shown[0].owner);
    }
    exception.m_RetryAllowed = 0;
    {
        CMessageBoxCapture boxes(IDYES);
        EXPECT_FALSE(CSMSGatewayHTTPInterfaceClientUIHelper::ShowServiceConnectionError(nullptr, exception));
        const std::vector<CapturedMessageBox> shown = boxes.Boxes();
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(kConnectionText, shown[0].text);
        EXPECT_EQ(16u, shown[0].style);
    }
}

class UIHelperTest : public CGatewayTest
{
protected:
    CZentavoSMSGatewaySubmissionResults Run(const CZentavoSMSGatewaySubmission& submission,
                                            const std::string& accessKey = kAccessKey)
    {
        CZentavoSMSGatewaySubmissionManager manager(5, accessKey, kSecretKey, "");
        return CSMSGatewayHTTPInterfaceClientUIHelper().MakeSubmission(Owner(), "Send Message Failed!", manager,
                                                                       IDispatchPtr(), submission);
    }

    void ExpectOneBox(const std::string& text)
    {
        const std::vector<CapturedMessageBox> shown = m_Boxes.Boxes();
        ASSERT_EQ(1u, shown.size());
        EXPECT_EQ(text, shown[0].text);
        EXPECT_EQ(kCaption, shown[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK), shown[0].style);
        EXPECT_EQ(Owner(), shown[0].owner);
    }
};

TEST_F(UIHelperTest, SuccessShowsNothing)
{
    const CZentavoSMSGatewaySubmissionResults results = Run(NewHTTPSSubmission(Recipients(3)));
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(3u, results.m_SendStatuses.size());
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(UIHelperTest, RefusedKeysShowTheSessionText)
{
    const CZentavoSMSGatewaySubmissionResults results = Run(NewHTTPSSubmission(Recipients(1)), "EXPIRED");
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(6u, results.m_ResultCode);
    ExpectOneBox("Send Message Failed!\n\nLogin session no longer valid. Please log back in to your account again.");
    EXPECT_TRUE(m_Primary.Requests("sendmsg.aspx").empty());
}

TEST_F(UIHelperTest, SendReachingNobodyShowsTheFirstRecipientsCode)
{
    const CZentavoSMSGatewaySubmissionResults results =
        Run(NewHTTPSSubmission(CSMSContactVector{CSMSContact("A", "1"), CSMSContact("B", "2")}));
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(11u, results.m_ResultCode);
    ExpectOneBox("Send Message Failed!\n\nResultCode: 11\n\nNo Description");
}

TEST_F(UIHelperTest, RepeatedDelayIsShownByNumber)
{
    SetGatewayDelayWaitFunction([](DWORD) {});
    m_Primary.Script("getbalance.aspx", CScriptedReply::Delay(5).Repeat(2));
    const CZentavoSMSGatewaySubmissionResults results = Run(NewHTTPSSubmission(Recipients(1)));
    EXPECT_EQ(13u, results.m_ResultCode);
    ExpectOneBox("Send Message Failed!\n\nResultCode: 13\n\nNo Description");
}

TEST_F(UIHelperTest, UnreachableGatewayShowsTheConnectionText)
{
    SubmissionTest::PrimaryRelay().SetReachable(false);
    const CZentavoSMSGatewaySubmissionResults results = Run(NewHTTPSSubmission(Recipients(1)));
    EXPECT_EQ(10u, results.m_ResultCode);
    ExpectOneBox(std::string("Send Message Failed!\n\n") + kConnectionText);
}

// The delay wait is the one place a test can make the send itself raise.
TEST_F(UIHelperTest, HTTPAndGatewayExceptionsBecomeResultsWithABox)
{
    m_Primary.Script("getbalance.aspx", CScriptedReply::Delay(1).Repeat(3));

    SetGatewayDelayWaitFunction([](DWORD) { throw CHTTPException("link lost", E_FAIL); });
    CZentavoSMSGatewaySubmissionResults results = Run(NewHTTPSSubmission(Recipients(1)));
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(10u, results.m_ResultCode);
    ExpectOneBox(std::string("Send Message Failed!\n\n") + kConnectionText);

    CMessageBoxCapture boxes;
    SetGatewayDelayWaitFunction([](DWORD) { throw CZentavoSMSGatewayException("job refused", 18, E_FAIL); });
    results = Run(NewHTTPSSubmission(Recipients(1)));
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(18u, results.m_ResultCode);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("Send Message Failed!\n\nResultCode: 18\n\njob refused", boxes.Boxes()[0].text);

    CMessageBoxCapture none;
    SetGatewayDelayWaitFunction([](DWORD) { throw std::runtime_error("other"); });
    EXPECT_THROW(Run(NewHTTPSSubmission(Recipients(1))), std::runtime_error);
    EXPECT_TRUE(none.Boxes().empty());
}

TEST_F(UIHelperTest, ExceptionsOfTheManagerItselfReachTheCaller)
{
    CZentavoSMSGatewaySubmission submission = NewHTTPSSubmission(Recipients(1));
    submission.m_Method = 0;
    EXPECT_THROW(Run(submission), CGeneralException);
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}
} // namespace
