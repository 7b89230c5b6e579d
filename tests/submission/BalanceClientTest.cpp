#include "gateway/SMSGatewayHTTPInterfaceClientAsync.h"

#include "core/WorkerThread.h"
#include "gateway/SMSGatewayService.h"
#include "tests/submission/SubmissionTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{
using namespace GatewaySimulatorSeed;
using SubmissionTest::FieldOf;
using SubmissionTest::PrimaryRelay;
using SubmissionTest::WaitUntil;

class BalanceClientTest : public CGatewayTest
{
protected:
    void SetUp() override
    {
        CGatewayTest::SetUp();
        m_ThreadsAtStart = ModuleThreadCount();
        m_Client.SetInterface(0x20000001);
        m_Client.Initialise();
    }

    void TearDown() override
    {
        m_Client.Uninitialise();
        // A request the stop abandoned goes on under Wine until its reply;
        // left running, it would reach the simulator in the next test.
        EXPECT_TRUE(WaitUntil([&] { return ModuleThreadCount() == m_ThreadsAtStart; }))
            << "a balance request outlived its test";
        CGatewayTest::TearDown();
    }

    struct Balance
    {
        std::int32_t value;
        bool valid;
    };

    Balance Last()
    {
        Balance balance{0, false};
        balance.value = m_Client.GetLastBalance(balance.valid);
        return balance;
    }

    // Requests a refresh and waits until the balance is the expected one.
    bool RefreshUntil(std::int32_t value, bool valid)
    {
        m_Client.RequestBalanceRefresh();
        return WaitUntil([&] {
            const Balance balance = Last();
            return balance.value == value && balance.valid == valid;
        });
    }

    size_t BalanceRequests(const CGatewaySimulator& server) { return server.Requests("getbalance.aspx").size(); }

    SMSGatewayHTTPInterfaceClientAsync m_Client;
    LONG m_ThreadsAtStart = 0;
};

TEST(BalanceClient, NothingIsReadBeforeTheFirstRefresh)
{
    SMSGatewayHTTPInterfaceClientAsync client;
    bool valid = true;
    EXPECT_EQ(0, client.GetLastBalance(valid));
    EXPECT_FALSE(valid);
    // Never started: returns at once, and the destructor repeats it harmlessly.
    client.Uninitialise();
}

TEST_F(BalanceClientTest, RefreshReadsTheBalanceWithTheGivenKeys)
{
    m_Client.SetAccessKeys(kAccessKey, kSecretKey);
    ASSERT_TRUE(RefreshUntil(static_cast<std::int32_t>(kBalance), true));

    m_Primary.SetBalance(kUsername, 250);
    ASSERT_TRUE(RefreshUntil(250, true));

    const std::vector<CLoggedRequest> requests = m_Primary.Requests("getbalance.aspx");
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("536870913", FieldOf(requests[0], "interface"));
    EXPECT_EQ(kAccessKey, FieldOf(requests[0], "accesskey"));
    EXPECT_EQ(kSecretKey, FieldOf(requests[0], "secretkey"));
    EXPECT_EQ("ZentavoSMS", FieldOf(requests[0], "clientid"));
    EXPECT_TRUE(m_Events.Events().empty());
}

TEST_F(BalanceClientTest, RefusedRefreshMakesTheBalanceInvalid)
{
    m_Client.SetAccessKeys(kAccessKey, kSecretKey);
    ASSERT_TRUE(RefreshUntil(static_cast<std::int32_t>(kBalance), true));

    m_Primary.Script("getbalance.aspx", CScriptedReply::Error("LOGIN_INVALID"));
    ASSERT_TRUE(RefreshUntil(0, false));

    // Empty keys are sent as they are, and refused.
    ASSERT_TRUE(RefreshUntil(static_cast<std::int32_t>(kBalance), true));
    m_Client.SetAccessKeys("", "");
    const size_t before = BalanceRequests(m_Primary);
    ASSERT_TRUE(RefreshUntil(0, false));
    // Other keys made the balance unknown at once: the refusal comes after.
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<CLoggedRequest> requests = m_Primary.Requests("getbalance.aspx");
        return requests.size() > before && !requests.back().m_ReplyBody.empty();
    }));
    const CLoggedRequest last = m_Primary.Requests("getbalance.aspx").back();
    EXPECT_EQ("", FieldOf(last, "accesskey"));
    EXPECT_EQ("ERR:AUTH_PARAMETER_MISSING", last.m_ReplyBody);
    // Refusals are not reported: the window simply shows no balance.
    EXPECT_TRUE(m_Events.Events().empty());
}

// Other keys are another account: the balance held is not its balance, and
// the answer of a refresh still under way for the old keys is dropped.
TEST_F(BalanceClientTest, OtherKeysMakeTheBalanceUnknownAndDropTheOldAnswer)
{
    m_Client.SetAccessKeys(kAccessKey, kSecretKey);
    ASSERT_TRUE(RefreshUntil(static_cast<std::int32_t>(kBalance), true));
    // The same keys again are no change.
    m_Client.SetAccessKeys(kAccessKey, kSecretKey);
    EXPECT_TRUE(Last().valid);

    m_Primary.Script("getbalance.aspx", CScriptedReply::Normal().Wait(3));
    m_Client.RequestBalanceRefresh();
    ASSERT_TRUE(WaitUntil([&] { return BalanceRequests(m_Primary) == 2; }));
    CZentavoSMSGatewayAuthenticationResult login;
    AuthManager().Authentication(kEmptyUsername, kEmptyPassword, login);
    ASSERT_EQ(OK, login.m_ResultCode);
    m_Client.SetAccessKeys(login.m_AccessKeys.m_AccessKey, login.m_AccessKeys.m_SecretKey);
    const Balance atOnce = Last();
    EXPECT_FALSE(atOnce.valid);
    EXPECT_EQ(0, atOnce.value);

    // The held answer (the first account's) arrives, then the new account's.
    m_Client.RequestBalanceRefresh();
    bool oldBalanceSeen = false;
    EXPECT_TRUE(WaitUntil([&] {
        const Balance balance = Last();
        oldBalanceSeen = oldBalanceSeen || (balance.valid && balance.value != 0);
        return balance.valid && BalanceRequests(m_Primary) == 3;
    }));
    EXPECT_FALSE(oldBalanceSeen);
    EXPECT_EQ(0, Last().value);
    EXPECT_EQ(login.m_AccessKeys.m_AccessKey, FieldOf(m_Primary.Requests("getbalance.aspx").back(), "accesskey"));
}

TEST_F(BalanceClientTest, UnreachablePrimaryFailsOverToTheBackup)
{
    m_Client.SetAccessKeys(kAccessKey, kSecretKey);
    PrimaryRelay().SetReachable(false);
    ASSERT_TRUE(RefreshUntil(static_cast<std::int32_t>(kBalance), true));
    EXPECT_EQ(1u, BalanceRequests(m_Backup));
    // The backup never gets the client details.
    EXPECT_EQ("<absent>", FieldOf(m_Backup.Requests().at(0), "clientid"));
    EXPECT_EQ(0u, BalanceRequests(m_Primary));
    EXPECT_FALSE(g_PrimaryServerLastFailure.Load().IsNull());
}

void ThrowingDelayWait(DWORD)
{
    throw std::runtime_error("wait refused");
}

// A refresh that raises must not end the worker: later requests are served.
TEST_F(BalanceClientTest, WorkerSurvivesARefreshThatRaises)
{
    m_Client.SetAccessKeys(kAccessKey, kSecretKey);
    ASSERT_TRUE(RefreshUntil(static_cast<std::int32_t>(kBalance), true));

    SetGatewayDelayWaitFunction(&ThrowingDelayWait);
    m_Primary.Script("getbalance.aspx", CScriptedReply::Delay(1));
    ASSERT_TRUE(RefreshUntil(0, false));
    ASSERT_TRUE(m_Events.WaitForCount(1, 30000));
    const std::vector<CapturedEvent> events = m_Events.Events();
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, events[0].type);
    EXPECT_EQ("Standard Exception raised\nFunction: SMSGatewayHTTPInterfaceClientAsync::Run\nDescription: wait "
              "refused",
              events[0].text);

    SetGatewayDelayWaitFunction(nullptr);
    ASSERT_TRUE(RefreshUntil(static_cast<std::int32_t>(kBalance), true));
}

TEST_F(BalanceClientTest, RequestsMadeWhileIdleMergeIntoAtMostTwoRefreshes)
{
    m_Client.SetAccessKeys(kAccessKey, kSecretKey);
    m_Client.RequestBalanceRefresh();
    m_Client.RequestBalanceRefresh();
    m_Client.RequestBalanceRefresh();
    ASSERT_TRUE(WaitUntil([&] {
        const Balance balance = Last();
        return balance.valid && balance.value == static_cast<std::int32_t>(kBalance);
    }));
    // Time for a second refresh, had there been one more request.
    ::Sleep(500);
    m_Client.Uninitialise();
    const size_t requests = BalanceRequests(m_Primary);
    EXPECT_GE(requests, 1u);
    EXPECT_LE(requests, 2u);
    m_Client.Initialise();
}

// A stop ends the worker at once, whatever its refresh waits for: a reply
// the gateway holds, or the "DELAY:" before its one retry. The refresh is
// aborted (the balance stays as it was, nothing is reported, no retry is
// made, the server is not taken for failed) and what is left of it ends by
// itself; the client starts again and serves refreshes as before.
TEST_F(BalanceClientTest, StopEndsTheRefreshUnderWay)
{
    struct Case
    {
        const char* name;
        CScriptedReply reply;
    };
    const Case cases[] = {
        {"held reply", CScriptedReply::Normal().Wait(8)},
        {"DELAY:60", CScriptedReply::Delay(60)},
    };
    m_Client.SetAccessKeys(kAccessKey, kSecretKey);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_Primary.Reset();
        // The worker's own thread, idle.
        const LONG threadsBefore = ModuleThreadCount();
        const Balance before = Last();
        m_Primary.Script("getbalance.aspx", c.reply);
        m_Client.RequestBalanceRefresh();
        ASSERT_TRUE(WaitUntil([&] { return BalanceRequests(m_Primary) == 1; }));
        const DWORD start = ::GetTickCount();
        EXPECT_NO_THROW(m_Client.Uninitialise());
        EXPECT_LT(::GetTickCount() - start, 4000u);
        const Balance balance = Last();
        EXPECT_EQ(before.valid, balance.valid);
        EXPECT_EQ(before.value, balance.value);
        EXPECT_TRUE(WaitUntil([&] { return ModuleThreadCount() == threadsBefore - 1; })) << "the request never ended";
        EXPECT_EQ(1u, BalanceRequests(m_Primary)) << "no retry after the abort";
        EXPECT_TRUE(g_PrimaryServerLastFailure.Load().IsNull()) << "an abort is no failure of the server";
        EXPECT_TRUE(m_Events.Events().empty()) << m_Events.Texts().front();

        m_Client.Initialise();
        ASSERT_TRUE(RefreshUntil(static_cast<std::int32_t>(kBalance), true));
    }
}
} // namespace
