// The road of one Send SMS request against the gateway simulator, as the
// add-in drives it: start-up, login, the background balance, a send to 100
// recipients through the user-interface helper, the balance after it, and
// logout and shutdown.
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/ErrorReports.h"
#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"
#include "gateway/ZentavoSMSGatewayAuthenticationManager.h"
#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"
#include "gateway/ZentavoSMSGatewaySubmissionManager.h"
#include "tests/submission/SubmissionTestSupport.h"
#include "tests/support/FakeOutlook.h"

#include <gtest/gtest.h>

namespace
{
using namespace GatewaySimulatorSeed;
using SubmissionTest::FieldOf;
using SubmissionTest::Recipients;
using SubmissionTest::WaitUntil;

CZentavoSMSOutlookPlugin& Plugin()
{
    return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;
}

bool BalanceBecomes(std::int32_t expected)
{
    Plugin().m_BalanceClient.RequestBalanceRefresh();
    return WaitUntil([expected] {
        bool valid = false;
        return Plugin().m_BalanceClient.GetLastBalance(valid) == expected && valid;
    });
}

class EndToEndTest : public CGatewayTest
{
protected:
    void TearDown() override
    {
        Plugin().Uninitialise();
        CGatewayTest::TearDown();
    }
};

TEST_F(EndToEndTest, LoginBalanceAndAHundredRecipientSend)
{
    CZentavoSMSOutlookPlugin::InitialiseEventLogSource();
    Plugin().Initialise();

    // Login, as the setup page does it.
    CZentavoSMSGatewayAuthenticationResult login;
    AuthManager().Authentication("TestUser", kPassword, login);
    ASSERT_EQ(1u, login.m_ResultCode);
    CZentavoSMSGatewayLoginDetails details;
    AuthManager().GetLoginDetails(details);
    ASSERT_EQ(1, details.m_LoggedIn);

    // The Send SMS window hands the worker the keys and asks for the balance.
    Plugin().m_BalanceClient.SetAccessKeys(Config().GetAccessKey(), Config().GetSecretKey());
    ASSERT_TRUE(BalanceBecomes(static_cast<std::int32_t>(kBalance)));

    // Send: 100 recipients go over HTTPS, from the current Outlook user.
    CFakeOutlook outlook;
    outlook.SetCurrentUser(L"Ann Lee", L"ann.lee@example.com");
    IDispatchPtr application = outlook.Application();
    CZentavoSMSGatewaySubmission submission;
    submission.m_Action = saNewSendMessageSubmission;
    submission.m_Method = smHTTPS;
    submission.m_Recipients = Recipients(100);
    submission.m_SenderType = sstReplyable;
    submission.m_MessageText = "Meeting moved to 3pm";
    submission.m_DeliveryReportSetting = 3;
    submission.m_RoutingType = 2;
    SetSubmissionReplyAndSourceIdentity(application, submission, submission.m_UserContext);
    CZentavoSMSGatewaySubmissionManager manager(static_cast<std::uint32_t>(Config().m_AuthMode),
                                                Config().GetAccessKey(), Config().GetSecretKey(),
                                                Config().GetMasterKey());
    const CZentavoSMSGatewaySubmissionResults results = CSMSGatewayHTTPInterfaceClientUIHelper().MakeSubmission(
        nullptr, "Send Message Failed!", manager, application, submission);

    EXPECT_TRUE(m_Boxes.Boxes().empty());
    ASSERT_EQ(1, results.m_Success);
    ASSERT_EQ(100u, results.m_SendStatuses.size());
    for (size_t i = 0; i < 100; ++i)
    {
        EXPECT_EQ(submission.m_Recipients[i].m_Number, results.m_SendStatuses[i].m_Number);
        EXPECT_EQ(1u, results.m_SendStatuses[i].m_StatusCode);
        EXPECT_FALSE(results.m_SendStatuses[i].m_MessageId.empty());
    }
    const CLoggedRequest send = m_Primary.Requests("sendmsg.aspx").at(0);
    EXPECT_EQ(login.m_AccessKeys.m_AccessKey, FieldOf(send, "accesskey"));
    EXPECT_EQ("2", FieldOf(send, "fromtype"));
    EXPECT_EQ("ann.lee@example.com", FieldOf(send, "msgsrcid"));
    EXPECT_EQ("ann.lee@example.com", FieldOf(send, "rplyid"));

    // One part to each of 100 recipients.
    ASSERT_TRUE(BalanceBecomes(static_cast<std::int32_t>(kBalance) - 100));

    // A send refused for lack of credit is shown to the user.
    m_Primary.SetBalance(kUsername, 10);
    const CZentavoSMSGatewaySubmissionResults refused = CSMSGatewayHTTPInterfaceClientUIHelper().MakeSubmission(
        nullptr, "Send Message Failed!", manager, application, submission);
    EXPECT_EQ(0, refused.m_Success);
    EXPECT_EQ(7u, refused.m_ResultCode);
    ASSERT_EQ(1u, m_Boxes.Boxes().size());
    EXPECT_EQ("Send Message Failed!\n\nInsufficient credit to complete the request", m_Boxes.Boxes()[0].text);

    AuthManager().Logout();
    AuthManager().GetLoginDetails(details);
    EXPECT_EQ(0, details.m_LoggedIn);
    Plugin().Uninitialise();
    EXPECT_TRUE(m_Events.Events().empty());
    SetEventLogSourceName("CorvasseServer");
}
} // namespace
