// Tests against the gateway simulator, as the add-in talks to it: the
// primary server through a relay that tests can switch off (an unreachable
// gateway), the backup directly. The gateway addresses are handed to the
// product through its environment variables before the first test runs, so
// an executable that links this fixture needs require_gateway_simulator().
// Settings live in the real registry of the Wine prefix, under the add-in's
// own key, which every test starts without.
#pragma once

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "contacts/SMSContact.h"
#include "gateway/ZentavoSMSGatewayAuthenticationManager.h"
#include "tests/support/EventCapture.h"
#include "tests/support/GatewaySimulator.h"
#include "tests/support/TcpRelay.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace GatewayTest
{
// The relay in front of the primary server.
CTcpRelay& PrimaryRelay();

// Polls until the condition holds or timeoutMs has passed; the last answer.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000);

// "+4477009" and five digits: valid numbers for the simulator.
std::string TestNumber(int index);
// "Recipient <i>" with TestNumber(i), for i from 0.
CSMSContactVector Recipients(int count);
} // namespace GatewayTest

class CGatewayTest : public ::testing::Test
{
protected:
    CGatewayTest();
    void SetUp() override;
    void TearDown() override;

    static CConfigZentavoSMSOutlookAddin_Config& Config()
    {
        return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_Config;
    }
    // A manager over the plug-in core's configuration, as the add-in builds one.
    static CZentavoSMSGatewayAuthenticationManager AuthManager()
    {
        return CZentavoSMSGatewayAuthenticationManager(Config());
    }
    // Removes the add-in's settings key and loads the configuration afresh.
    static void ResetSettings();
    // Stores and saves a login, as a successful Authentication does.
    static void StoreLogin(const std::string& username, const std::string& accessKey, const std::string& secretKey);
    // The seeded key pair of testuser.
    static void StoreSeededLogin();

    CGatewaySimulator m_Primary;
    CGatewaySimulator m_Backup;
    CEventLogCapture m_Events;
    CMessageBoxCapture m_Boxes;
};
