#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"

#include "gateway/SMSGatewayService.h"
#include "gateway/ZentavoSMSGatewaySubmissionManager.h"
#include "tests/submission/SubmissionTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
using namespace GatewaySimulatorSeed;
using SubmissionTest::FieldOf;
using SubmissionTest::NewHTTPSSubmission;
using SubmissionTest::PrimaryRelay;
using SubmissionTest::Recipients;
using SubmissionTest::TestNumber;

TEST(SubmissionRecord, NewRecordSendsAtOnceWithOnePartToTheUserDefinedSender)
{
    const CZentavoSMSGatewaySubmission submission;
    EXPECT_EQ(0u, submission.m_Action);
    EXPECT_EQ(0u, submission.m_Method);
    EXPECT_EQ(1, submission.m_CheckBalance);
    EXPECT_TRUE(submission.m_Recipients.empty());
    EXPECT_EQ(1u, submission.m_SenderType);
    EXPECT_EQ(1u, submission.m_MaxConCat);
    const SYSTEMTIME zero = {};
    EXPECT_EQ(0, std::memcmp(&zero, &submission.m_ScheduledTime, sizeof(zero)));
    EXPECT_EQ(0u, submission.m_MessageSource.m_InterfaceId);
    EXPECT_EQ(0u, submission.m_ReplyTo.m_InterfaceId);
    EXPECT_EQ(0u, submission.m_DeliveryReportSetting);
    EXPECT_EQ(0u, submission.m_DeliveryReportStatusMask);
    EXPECT_EQ(0u, submission.m_RoutingType);
    EXPECT_EQ(0, submission.m_StoreInSentItems);
}

class HTTPSSubmitterTest : public CGatewayTest
{
protected:
    CZentavoSMSGatewaySubmissionResults Submit(const CZentavoSMSGatewaySubmission& submission,
                                               const std::string& accessKey = kAccessKey,
                                               const std::string& secretKey = kSecretKey)
    {
        CZentavoSMSGatewayHTTPSSubmitter submitter(5, accessKey, secretKey, "");
        return submitter.MakeSubmission(IDispatchPtr(), submission);
    }

    std::vector<std::string> Pages()
    {
        std::vector<std::string> pages;
        for (const CLoggedRequest& request : m_Primary.Requests())
            pages.push_back(request.m_Page);
        return pages;
    }

    const std::vector<std::string> m_BalanceThenSend{"api/https/getbalance.aspx", "api/https/sendmsg.aspx"};
};

TEST_F(HTTPSSubmitterTest, OneRecipientAfterABalanceCheck)
{
    const CZentavoSMSGatewaySubmissionResults results = Submit(NewHTTPSSubmission(Recipients(1), "Hi there"));
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1u, results.m_ResultCode);
    EXPECT_EQ(0, results.m_JobIdReply);
    ASSERT_EQ(1u, results.m_SendStatuses.size());
    EXPECT_EQ(TestNumber(0), results.m_SendStatuses[0].m_Number);
    EXPECT_FALSE(results.m_SendStatuses[0].m_MessageId.empty());
    EXPECT_EQ(1u, results.m_SendStatuses[0].m_StatusCode);

    EXPECT_EQ(m_BalanceThenSend, Pages());
    const CLoggedRequest send = m_Primary.Requests("sendmsg.aspx").at(0);
    EXPECT_EQ("536870913", FieldOf(send, "interface"));
    EXPECT_EQ(kAccessKey, FieldOf(send, "accesskey"));
    EXPECT_EQ(TestNumber(0), FieldOf(send, "to"));
    EXPECT_EQ("Hi there", FieldOf(send, "text"));
    EXPECT_EQ("1", FieldOf(send, "delrpt"));
    EXPECT_EQ("<absent>", FieldOf(send, "userkey"));
    EXPECT_EQ("<absent>", FieldOf(send, "startat"));
    EXPECT_EQ("<absent>", FieldOf(send, "maxconcat"));
    EXPECT_EQ("ZentavoSMS", FieldOf(send, "clientid"));
    EXPECT_TRUE(m_Backup.Requests().empty());
}

TEST_F(HTTPSSubmitterTest, HundredRecipientsInOneRequest)
{
    const CSMSContactVector recipients = Recipients(100);
    CZentavoSMSGatewaySubmission submission = NewHTTPSSubmission(recipients);
    submission.m_MaxConCat = 3;
    const CZentavoSMSGatewaySubmissionResults results = Submit(submission);
    ASSERT_EQ(1, results.m_Success);
    ASSERT_EQ(100u, results.m_SendStatuses.size());
    for (size_t i = 0; i < recipients.size(); ++i)
    {
        EXPECT_EQ(recipients[i].m_Number, results.m_SendStatuses[i].m_Number);
        EXPECT_EQ(1u, results.m_SendStatuses[i].m_StatusCode);
    }
    EXPECT_EQ(m_BalanceThenSend, Pages());
    const CLoggedRequest send = m_Primary.Requests("sendmsg.aspx").at(0);
    EXPECT_EQ(CSMSContactUtils::GenerateNumberCSVList(recipients), FieldOf(send, "to"));
    EXPECT_EQ("3", FieldOf(send, "maxconcat"));
}

TEST_F(HTTPSSubmitterTest, PartlyRefusedSendIsASuccessWithEachRecipientsCode)
{
    CSMSContactVector recipients = Recipients(3);
    recipients[1].m_Number = "12";
    const CZentavoSMSGatewaySubmissionResults results = Submit(NewHTTPSSubmission(recipients));
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1u, results.m_ResultCode);
    ASSERT_EQ(3u, results.m_SendStatuses.size());
    EXPECT_EQ(1u, results.m_SendStatuses[0].m_StatusCode);
    EXPECT_EQ(11u, results.m_SendStatuses[1].m_StatusCode);
    EXPECT_EQ("12", results.m_SendStatuses[1].m_Number);
    EXPECT_EQ("", results.m_SendStatuses[1].m_MessageId);
    EXPECT_EQ(1u, results.m_SendStatuses[2].m_StatusCode);
}

// A send that reached nobody is a failure the user must see.
TEST_F(HTTPSSubmitterTest, SendRefusedForEveryRecipientFailsWithTheFirstCode)
{
    const CSMSContactVector single{CSMSContact("Nobody", "12")};
    CZentavoSMSGatewaySubmissionResults results = Submit(NewHTTPSSubmission(single));
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(11u, results.m_ResultCode);
    ASSERT_EQ(1u, results.m_SendStatuses.size());
    EXPECT_EQ("12", results.m_SendStatuses[0].m_Number);

    const CSMSContactVector both{CSMSContact("", "12"), CSMSContact("", "34")};
    results = Submit(NewHTTPSSubmission(both));
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(11u, results.m_ResultCode);
    EXPECT_EQ(2u, results.m_SendStatuses.size());

    // The first recipient's code, whatever the others say.
    m_Primary.Script("sendmsg.aspx", CScriptedReply::Body("111,ERR:INVALID_NUMBER\n222,ERR:INVALID_REQUEST\n"));
    results = Submit(NewHTTPSSubmission(Recipients(2)));
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(11u, results.m_ResultCode);
    ASSERT_EQ(2u, results.m_SendStatuses.size());
    EXPECT_EQ(12u, results.m_SendStatuses[1].m_StatusCode);
}

TEST_F(HTTPSSubmitterTest, RefusedBalanceCheckStopsBeforeTheSend)
{
    CZentavoSMSGatewaySubmissionResults results = Submit(NewHTTPSSubmission(Recipients(2)), "BAD", "KEYS");
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(6u, results.m_ResultCode);
    EXPECT_TRUE(results.m_SendStatuses.empty());
    EXPECT_EQ(std::vector<std::string>{"api/https/getbalance.aspx"}, Pages());

    m_Primary.Reset();
    m_Primary.Script("getbalance.aspx", CScriptedReply::Error("UPGRADE_CLIENTAPP"));
    results = Submit(NewHTTPSSubmission(Recipients(2)));
    EXPECT_EQ(27u, results.m_ResultCode);
    EXPECT_TRUE(m_Primary.Requests("sendmsg.aspx").empty());
}

TEST_F(HTTPSSubmitterTest, WithoutBalanceCheckTheSendIsTheOnlyRequest)
{
    CZentavoSMSGatewaySubmission submission = NewHTTPSSubmission(Recipients(2));
    submission.m_CheckBalance = 0;
    EXPECT_EQ(1, Submit(submission).m_Success);
    EXPECT_EQ(std::vector<std::string>{"api/https/sendmsg.aspx"}, Pages());
}

TEST_F(HTTPSSubmitterTest, EmptyAccountPassesTheBalanceCheckAndIsRefusedOnTheSend)
{
    m_Primary.SetBalance(kUsername, 0);
    const CZentavoSMSGatewaySubmissionResults results = Submit(NewHTTPSSubmission(Recipients(1)));
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(7u, results.m_ResultCode);
    EXPECT_TRUE(results.m_SendStatuses.empty());
    EXPECT_EQ(m_BalanceThenSend, Pages());
}

TEST_F(HTTPSSubmitterTest, OnlyNewSendsAreAccepted)
{
    for (const std::uint32_t action : {2u, 3u, 0u})
    {
        CZentavoSMSGatewaySubmission submission = NewHTTPSSubmission(Recipients(1));
        submission.m_Action = action;
        try
        {
            Submit(submission);
            ADD_FAILURE() << "no exception for action " << action;
        }
        catch (const CGeneralException& e)
        {
            EXPECT_STREQ(
                "CZentavoSMSGatewaySubmissionResults CZentavoSMSGatewayHTTPSSubmitter - SubmissionActions not support",
                e.what());
            EXPECT_EQ(E_FAIL, e.GetHResult());
        }
    }
    EXPECT_TRUE(m_Primary.Requests().empty());
}

TEST_F(HTTPSSubmitterTest, SenderSettingsMapToTheGatewaysFromFields)
{
    struct Case
    {
        const char* userContext;
        std::uint32_t senderType;
        const char* fromType;
        const char* from;
    };
    const Case cases[] = {
        {"", 1, "1", "Zentavo"},           // as typed
        {"", 2, "2", "<absent>"},          // replyable: the gateway picks the number
        {"", 3, "<absent>", ""},           // the account's own setting
        {"", 9, "<absent>", "Zentavo"},    // unknown type: the text without a type
        {"ctx", 1, "<absent>", ""},        // a user context overrides the sender
        {"ctx", 2, "<absent>", ""},
    };
    for (const Case& c : cases)
    {
        m_Primary.Reset();
        CZentavoSMSGatewaySubmission submission = NewHTTPSSubmission(Recipients(1));
        submission.m_CheckBalance = 0;
        submission.m_UserContext = c.userContext;
        submission.m_SenderType = c.senderType;
        const CZentavoSMSGatewaySubmissionResults results = Submit(submission);
        EXPECT_EQ(1, results.m_Success) << c.senderType << c.userContext;
        const CLoggedRequest send = m_Primary.Requests("sendmsg.aspx").at(0);
        EXPECT_EQ(c.fromType, FieldOf(send, "fromtype")) << c.senderType << c.userContext;
        EXPECT_EQ(c.from, FieldOf(send, "from")) << c.senderType << c.userContext;
        EXPECT_EQ(*c.userContext ? c.userContext : "<absent>", FieldOf(send, "usercontext"));
    }
}

TEST_F(HTTPSSubmitterTest, EndPointsScheduleAndReportSettingsGoIntoTheRequest)
{
    CZentavoSMSGatewaySubmission submission = NewHTTPSSubmission(Recipients(2));
    submission.m_MessageSource.m_Id = L"ann@example.com";
    submission.m_MessageSource.m_Name = L"Ann Lee";
    submission.m_MessageSource.m_InterfaceId = 0x20000001;
    submission.m_ReplyTo = submission.m_MessageSource;
    submission.m_DeliveryReportSetting = 2;
    submission.m_DeliveryReportStatusMask = 3;
    submission.m_RoutingType = 2;
    ::GetLocalTime(&submission.m_ScheduledTime);
    submission.m_ScheduledTime.wYear += 1;
    submission.m_ScheduledTime.wDay = 1;
    const CZentavoSMSGatewaySubmissionResults results = Submit(submission);

    // A scheduled send becomes a job at the gateway.
    EXPECT_EQ(1, results.m_Success);
    EXPECT_EQ(1, results.m_JobIdReply);
    EXPECT_FALSE(results.m_SubmissionId.empty());
    EXPECT_TRUE(results.m_SendStatuses.empty());
    const CLoggedRequest send = m_Primary.Requests("sendmsg.aspx").at(0);
    EXPECT_EQ("JOBID:" + results.m_SubmissionId, send.m_ReplyBody);
    EXPECT_EQ("536870913", FieldOf(send, "msgsrcintf"));
    EXPECT_EQ("ann@example.com", FieldOf(send, "msgsrcid"));
    EXPECT_EQ("Ann Lee", FieldOf(send, "msgsrcname"));
    EXPECT_EQ("ann@example.com", FieldOf(send, "rplyid"));
    EXPECT_EQ("MessageSent|DeliverySuccess", FieldOf(send, "delrpt_reqstatus"));
    EXPECT_EQ("MsgSource", FieldOf(send, "delrpt_routingtype"));
    EXPECT_EQ(std::to_string(submission.m_ScheduledTime.wYear), FieldOf(send, "startat").substr(0, 4));
}

TEST_F(HTTPSSubmitterTest, OnlyThePrimaryIsTriedEvenWhenItIsMarkedAsFailed)
{
    g_PrimaryServerLastFailure.SetToNow();
    EXPECT_EQ(1, Submit(NewHTTPSSubmission(Recipients(1))).m_Success);
    EXPECT_EQ(m_BalanceThenSend, Pages());
    EXPECT_TRUE(m_Backup.Requests().empty());

    PrimaryRelay().SetReachable(false);
    const CZentavoSMSGatewaySubmissionResults results = Submit(NewHTTPSSubmission(Recipients(1)));
    EXPECT_EQ(0, results.m_Success);
    EXPECT_EQ(10u, results.m_ResultCode);
    EXPECT_TRUE(m_Backup.Requests().empty());
}

TEST_F(HTTPSSubmitterTest, ManagerRefusesMethodsItCannotRun)
{
    CZentavoSMSGatewaySubmissionManager manager(5, kAccessKey, kSecretKey, "");
    for (const std::uint32_t method : {0u, 4u})
    {
        CZentavoSMSGatewaySubmission submission = NewHTTPSSubmission(Recipients(1));
        submission.m_Method = method;
        submission.m_StoreInSentItems = 1;
        try
        {
            manager.MakeSubmission(IDispatchPtr(), submission);
            ADD_FAILURE() << "no exception for method " << method;
        }
        catch (const CGeneralException& e)
        {
            EXPECT_STREQ("CZentavoSMSGatewaySubmissionManager::MakeSubmission - SubmissionMethod not support",
                         e.what());
        }
    }
    // The bulk-job route is not part of this build yet.
    for (const std::uint32_t method : {2u})
    {
        CZentavoSMSGatewaySubmission submission = NewHTTPSSubmission(Recipients(1));
        submission.m_Method = method;
        EXPECT_THROW(manager.MakeSubmission(IDispatchPtr(), submission), CGeneralException) << method;
    }
    EXPECT_TRUE(m_Primary.Requests().empty());
}
} // namespace
