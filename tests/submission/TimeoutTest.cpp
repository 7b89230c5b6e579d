// The requests Outlook's thread waits for carry their own time-outs: 20000 ms
// for balance checks and logins, 60000 ms for a send (WinINet's default
// would be 30000 ms). The three slow exchanges run side by side, so the test
// takes as long as the slowest, about 35 s.
#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"
#include "gateway/ZentavoSMSGatewayAuthenticationManager.h"
#include "gateway/ZentavoSMSGatewayHTTPSSubmitter.h"
#include "tests/submission/SubmissionTestSupport.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

namespace
{
using namespace GatewaySimulatorSeed;
using SubmissionTest::NewHTTPSSubmission;
using SubmissionTest::Recipients;
using CServiceConnectionException = CSMSGatewayHTTPInterfaceClientUIHelper::CServiceConnectionException;

struct Timed
{
    CZentavoSMSGatewaySubmissionResults results;
    DWORD elapsedMs;
};

Timed SubmitTimed(const CZentavoSMSGatewaySubmission& submission)
{
    const DWORD start = ::GetTickCount();
    CZentavoSMSGatewayHTTPSSubmitter submitter(5, kAccessKey, kSecretKey, "");
    Timed timed{submitter.MakeSubmission(IDispatchPtr(), submission), 0};
    timed.elapsedMs = ::GetTickCount() - start;
    return timed;
}

using TimeoutTest = CGatewayTest;

TEST_F(TimeoutTest, BalanceAndLoginGiveUpAfter20sAndASendWaitsLonger)
{
    StoreSeededLogin();
    m_Primary.Script("getbalance.aspx", CScriptedReply::Normal().Wait(30).Repeat(2));
    m_Primary.Script("sendmsg.aspx", CScriptedReply::Normal().Wait(35));

    CZentavoSMSGatewaySubmission checked = NewHTTPSSubmission(Recipients(1));
    std::future<Timed> balance = std::async(std::launch::async, [checked] { return SubmitTimed(checked); });

    CZentavoSMSGatewaySubmission unchecked = NewHTTPSSubmission(Recipients(1));
    unchecked.m_CheckBalance = 0;
    std::future<Timed> send = std::async(std::launch::async, [unchecked] { return SubmitTimed(unchecked); });

    // Assertions stay on the test's own thread.
    struct LoginOutcome
    {
        std::string failedStep;
        DWORD elapsedMs;
    };
    std::future<LoginOutcome> login = std::async(std::launch::async, [] {
        const DWORD start = ::GetTickCount();
        LoginOutcome outcome{"<no exception>", 0};
        try
        {
            CZentavoSMSGatewayAuthenticationResult result;
            AuthManager().Authentication(kUsername, kPassword, result);
        }
        catch (const CServiceConnectionException& e)
        {
            outcome.failedStep = e.m_Text;
        }
        outcome.elapsedMs = ::GetTickCount() - start;
        return outcome;
    });

    const Timed balanceOutcome = balance.get();
    EXPECT_EQ(0, balanceOutcome.results.m_Success);
    EXPECT_EQ(10u, balanceOutcome.results.m_ResultCode);
    EXPECT_GE(balanceOutcome.elapsedMs, 18000u);
    const LoginOutcome loginOutcome = login.get();
    EXPECT_EQ("TestAuthentication", loginOutcome.failedStep);
    EXPECT_GE(loginOutcome.elapsedMs, 18000u);

    const Timed sendOutcome = send.get();
    EXPECT_EQ(1, sendOutcome.results.m_Success);
    EXPECT_GE(sendOutcome.elapsedMs, 34000u);
    EXPECT_EQ(kAccessKey, Config().GetAccessKey());
}
} // namespace
