// The add-in object over the test Outlook, disconnected while the balance
// worker waits for the gateway: the disconnection is prompt and quiet, the
// module stays loaded while anything of the request still runs, and the
// next connection's balance works.
#include "addin/Module.h"
#include "core/ErrorReports.h"
#include "core/WorkerThread.h"
#include "tests/submission/SubmissionTestSupport.h"
#include "tests/support/AddinObject.h"
#include "tests/support/FakeOutlook.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
using namespace GatewaySimulatorSeed;
using SubmissionTest::WaitUntil;

class AddinBalanceStop : public CGatewayTest
{
protected:
    void SetUp() override
    {
        CGatewayTest::SetUp();
        m_EventSource = GetEventLogSourceName();
        StoreSeededLogin();
    }
    void TearDown() override
    {
        SetEventLogSourceName(m_EventSource);
        CGatewayTest::TearDown();
    }

    // A new add-in object connected at start-up (its set-up starts the
    // balance worker), asked for the balance as the Send SMS window asks.
    static _IDTExtensibility2* ConnectAndRefresh(CFakeOutlook& outlook)
    {
        _IDTExtensibility2* addin = nullptr;
        EXPECT_EQ(S_OK, CreateAddinObject(IID__IDTExtensibility2, &addin));
        EXPECT_EQ(S_OK, addin->OnConnection(outlook.Application(), ext_cm_Startup, nullptr, nullptr));
        SMSGatewayHTTPInterfaceClientAsync& balance = CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_BalanceClient;
        balance.SetAccessKeys(Config().GetAccessKey(), Config().GetSecretKey());
        balance.RequestBalanceRefresh();
        return addin;
    }

    std::string m_EventSource;
};

TEST_F(AddinBalanceStop, DisconnectionDuringABalanceRequestIsPromptAndTheNextConnectionsBalanceWorks)
{
    struct Case
    {
        const char* name;
        CScriptedReply reply;
        // Under Wine a blocked WinINet call returns only with the reply.
        bool requestOutlivesTheStop;
    };
    const Case cases[] = {
        {"reply held", CScriptedReply::Normal().Wait(8), true},
        {"DELAY:60", CScriptedReply::Delay(60), false},
    };
    long long balance = 300;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ++balance;
        m_Primary.Reset();
        ASSERT_EQ(S_OK, CanUnloadModuleNow());
        m_Primary.Script("getbalance.aspx", c.reply);
        CFakeOutlook outlook;
        _IDTExtensibility2* addin = ConnectAndRefresh(outlook);
        ASSERT_TRUE(WaitUntil([&] { return m_Primary.Requests("getbalance.aspx").size() == 1; }));

        const DWORD start = ::GetTickCount();
        EXPECT_EQ(S_OK, addin->OnDisconnection(ext_dm_UserClosed, nullptr));
        EXPECT_LT(::GetTickCount() - start, 4000u);
        addin->Release();
        EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
        if (c.requestOutlivesTheStop)
        {
            EXPECT_EQ(1, ModuleThreadCount());
            EXPECT_EQ(S_FALSE, CanUnloadModuleNow()) << "a thread of the module still runs";
        }
        EXPECT_TRUE(WaitUntil([] { return CanUnloadModuleNow() == S_OK; }));
        EXPECT_EQ(1u, m_Primary.Requests("getbalance.aspx").size()) << "a request after the disconnection";

        m_Primary.SetBalance(kUsername, balance);
        addin = ConnectAndRefresh(outlook);
        EXPECT_TRUE(WaitUntil([&] {
            bool valid = false;
            return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_BalanceClient.GetLastBalance(valid) ==
                       balance &&
                   valid;
        }));
        EXPECT_EQ(S_OK, addin->OnDisconnection(ext_dm_HostShutdown, nullptr));
        addin->Release();
        EXPECT_TRUE(m_Boxes.Boxes().empty()) << m_Boxes.Boxes().front().text;
        EXPECT_TRUE(m_Events.Events().empty()) << m_Events.Texts().front();
        // A second refresh still under way at this disconnection ends with
        // its reply, after the stop; the next case starts without it.
        EXPECT_TRUE(WaitUntil([] { return CanUnloadModuleNow() == S_OK; }));
    }
}
} // namespace
