#include "core/StringUtils.h"
#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"
#include "gateway/ZentavoSMSGatewaySubmissionManager.h"
#include "tests/gateway/EmailTestSupport.h"
#include "tests/submission/SubmissionTestSupport.h"
#include "tests/support/FakeOutlook.h"

#include <gtest/gtest.h>

namespace
{
using namespace GatewaySimulatorSeed;
using SubmissionTest::NewHTTPSSubmission;
using SubmissionTest::Recipients;

class ManagerEmailAndSentItemsTest : public CGatewayTest
{
protected:
    CZentavoSMSGatewaySubmissionResults Run(const CZentavoSMSGatewaySubmission& submission,
                                            std::uint32_t authMode = 5, const std::string& accessKey = kAccessKey)
    {
        CZentavoSMSGatewaySubmissionManager manager(authMode, accessKey, kSecretKey, "CorpKey-77");
        return manager.MakeSubmission(m_Outlook->Application(), submission);
    }

    static CZentavoSMSGatewaySubmission NewEmailSubmission()
    {
        CZentavoSMSGatewaySubmission submission = NewHTTPSSubmission(Recipients(2), "By e-mail");
        submission.m_Method = smSMTP;
        return submission;
    }

    std::wstring SentItemsSubject() const
    {
        const CFakeObjectPtr copy = FakeElementOf(m_Outlook->DefaultFolder(5), L"Items", 0);
        return copy ? FakeArgumentText({copy->Value(L"Subject")}, 0) : L"<no copy>";
    }

    CFakeObjectPtr OutboxMail() const { return FakeElementOf(m_Outlook->DefaultFolder(4), L"Items", 0); }

    CPrivateTempFolder m_Temp;
    // Made after the fixture's own set-up and gone before its checks.
    std::unique_ptr<CFakeOutlook> m_Outlook{new CFakeOutlook()};
};

TEST_F(ManagerEmailAndSentItemsTest, EmailRouteSendsThroughOutlookAndReportsSuccess)
{
    CZentavoSMSGatewaySubmission submission = NewEmailSubmission();
    const CZentavoSMSGatewaySubmissionResults results = Run(submission);

    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1u, results.m_ResultCode);
    EXPECT_EQ(0, results.m_HasSubmissionId);
    ASSERT_TRUE(OutboxMail());
    EXPECT_EQ(L"True", FakeVariantText(OutboxMail()->Value(L"Sent")));
    EXPECT_EQ(L"<no copy>", SentItemsSubject());
    EXPECT_TRUE(m_Primary.Requests().empty());

    submission.m_StoreInSentItems = 1;
    Run(submission, 4);
    EXPECT_EQ(L"SMS Message Sent", SentItemsSubject());
    EXPECT_TRUE(m_Temp.Files().empty());
}

TEST_F(ManagerEmailAndSentItemsTest, EmailSuccessShowsNoErrorBox)
{
    CZentavoSMSGatewaySubmissionManager manager(5, kAccessKey, kSecretKey, "");
    const CZentavoSMSGatewaySubmissionResults results = CSMSGatewayHTTPInterfaceClientUIHelper().MakeSubmission(
        nullptr, "Send Message Failed!", manager, m_Outlook->Application(), NewEmailSubmission());
    EXPECT_EQ(1, results.m_Success);
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(ManagerEmailAndSentItemsTest, HTTPSCopyOnlyForAnAcceptedSend)
{
    CZentavoSMSGatewaySubmission submission = NewHTTPSSubmission(Recipients(1), "Stored copy");
    submission.m_StoreInSentItems = 1;

    // Refused keys: the gateway sent nothing, so there is nothing to copy.
    const CZentavoSMSGatewaySubmissionResults refused = Run(submission, 5, "not-a-key");
    EXPECT_EQ(0, refused.m_Success);
    EXPECT_EQ(L"<no copy>", SentItemsSubject());

    const CZentavoSMSGatewaySubmissionResults accepted = Run(submission);
    EXPECT_EQ(1, accepted.m_Success);
    EXPECT_EQ(L"SMS Message Sent", SentItemsSubject());
    const CFakeObjectPtr copy = FakeElementOf(m_Outlook->DefaultFolder(5), L"Items", 0);
    const std::wstring body = FakeArgumentText({copy->Value(L"Body")}, 0);
    EXPECT_NE(std::wstring::npos, body.find(L"\n\nMessage:\nStored copy"));
}

TEST_F(ManagerEmailAndSentItemsTest, FailuresPassToTheCaller)
{
    // Outlook refuses to send: no copy of a message that never left.
    CZentavoSMSGatewaySubmission submission = NewEmailSubmission();
    submission.m_StoreInSentItems = 1;
    FakeObjectOf(m_Outlook->DefaultFolder(4)->Value(L"Items"))->Fail(L"Add", E_ACCESSDENIED, L"Denied");
    EXPECT_THROW(Run(submission), _com_error);
    EXPECT_EQ(L"<no copy>", SentItemsSubject());
    EXPECT_TRUE(m_Events.Events().empty());
}

// An entry without a number is never put into the request on any route: it
// is refused in its place, and the copy does not list it as sent.
TEST_F(ManagerEmailAndSentItemsTest, EntriesWithoutANumberAreNeverSent)
{
    using SubmissionTest::TestNumber;
    const CSMSContact ann("Ann", TestNumber(0));
    const CSMSContact bob("Bob", "");
    const CSMSContact cy("Cy", " , ");
    const struct
    {
        const char* what;
        std::uint32_t method;
        CSMSContactVector recipients;
        std::string sent;  // the request's numbers; empty: no request
        std::vector<std::uint32_t> codes;
        std::uint32_t resultCode;
    } rows[] = {
        {"HTTPS, between two numbers", smHTTPS, {ann, bob, CSMSContact("", TestNumber(2))},
         TestNumber(0) + "," + TestNumber(2), {OK, NO_TO, OK}, OK},
        {"HTTPS, only blanks and separators", smHTTPS, {cy, ann}, TestNumber(0), {NO_TO, OK}, OK},
        {"a bulk job", smWebService, {ann, bob}, TestNumber(0), {OK, NO_TO}, OK},
        {"no number at all", smHTTPS, {bob, cy}, "", {}, NO_TO},
    };
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.what);
        m_Primary.Reset();
        m_Outlook.reset(new CFakeOutlook());
        CZentavoSMSGatewaySubmission submission = NewHTTPSSubmission(row.recipients, "Numbered only");
        submission.m_Method = row.method;
        submission.m_DeliveryReportSetting = drsAccountSetting;
        submission.m_StoreInSentItems = 1;
        const CZentavoSMSGatewaySubmissionResults results = Run(submission);

        EXPECT_EQ(row.resultCode, results.m_ResultCode);
        EXPECT_EQ(row.resultCode == OK, results.m_Success == 1);
        EXPECT_EQ(0, results.m_OutcomeUnknown);
        std::vector<std::uint32_t> codes;
        for (const CSMSSendStatus& status : results.m_SendStatuses)
            codes.push_back(status.m_StatusCode);
        EXPECT_EQ(row.codes, codes);
        const std::vector<CLoggedRequest> sends = m_Primary.Requests("sendmsg.aspx");
        const std::vector<CJsonValue> jobs = m_Primary.State()["jobs"].AsArray();
        if (row.sent.empty())
        {
            EXPECT_TRUE(sends.empty() && jobs.empty());
            EXPECT_EQ(L"<no copy>", SentItemsSubject());
            continue;
        }
        if (row.method == smHTTPS)
        {
            ASSERT_EQ(1u, sends.size());
            EXPECT_EQ(row.sent, sends[0].Field("to"));
        }
        else
        {
            ASSERT_EQ(1u, jobs.size());
            ASSERT_EQ(1u, jobs[0]["numbers"].AsArray().size());
            EXPECT_EQ(row.sent, jobs[0]["numbers"].AsArray()[0].AsString());
        }
        const CFakeObjectPtr copy = FakeElementOf(m_Outlook->DefaultFolder(5), L"Items", 0);
        ASSERT_TRUE(copy);
        const std::wstring body = FakeArgumentText({copy->Value(L"Body")}, 0);
        EXPECT_EQ(std::wstring::npos, body.find(L"Bob")) << WideToAnsi(body);
        EXPECT_EQ(std::wstring::npos, body.find(L"Cy")) << WideToAnsi(body);
        EXPECT_EQ(std::wstring::npos, body.find(L"Note:")) << WideToAnsi(body);
    }
}

// A full or offline store after the gateway took the message: the send
// stands, and the copy's failure goes to the event log on its own.
TEST_F(ManagerEmailAndSentItemsTest, AFailedCopyOfAnAcceptedSendIsReportedNotRaised)
{
    const CFakeCollectionPtr items = FakeCollectionOf(m_Outlook->DefaultFolder(5)->Value(L"Items"));
    items->Fail(L"Add", E_OUTOFMEMORY, L"No memory");
    CZentavoSMSGatewaySubmission https = NewHTTPSSubmission(Recipients(1));
    https.m_StoreInSentItems = 1;
    const CZentavoSMSGatewaySubmissionResults results = Run(https);

    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1u, results.m_ResultCode);
    EXPECT_EQ(1u, m_Primary.Requests("sendmsg.aspx").size());
    const std::vector<CapturedEvent> events = m_Events.Events();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, events[0].type);
    EXPECT_EQ("COM Exception raised\nFunction: CZentavoSMSGatewaySubmissionManager::MakeSubmission (message sent; "
              "Sent Items copy failed)\nDescription: COM exception thrown (Context:COutlookEmailSMS::"
              "StoreSubmissionInOutlookSentItem(Create NewMail)) - No memory\nHResult: " +
                  std::to_string(static_cast<long>(E_OUTOFMEMORY)),
              events[0].text);
    EXPECT_TRUE(m_Temp.Files().empty());
}
} // namespace
