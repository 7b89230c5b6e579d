#include "tests/support/GatewayTest.h"

#include "core/GatewayAddresses.h"
#include "gateway/SMSGatewayService.h"
#include "gateway/ZentavoSMSGatewayAuthenticationManager.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace
{
std::unique_ptr<CTcpRelay> s_PrimaryRelay;

// Runs once before the first test: the product reads the gateway addresses
// once per process.
class CGatewayEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        const CGatewaySimulator primary = CGatewaySimulator::Primary();
        const CGatewaySimulator backup = CGatewaySimulator::Backup();
        s_PrimaryRelay.reset(new CTcpRelay(primary.HttpsPort()));
        const std::string primaryURL = "https://localhost:" + std::to_string(s_PrimaryRelay->Port());
        ::SetEnvironmentVariableA(GatewayAddresses::kPrimaryURLVariable, primaryURL.c_str());
        ::SetEnvironmentVariableA(GatewayAddresses::kBackupURLVariable, backup.HttpsServer().c_str());
        // The bulk-job service of the primary instance, behind the same relay.
        ::SetEnvironmentVariableA(GatewayAddresses::kBulkJobURLVariable, primaryURL.c_str());
        if (GetGatewayPrimaryURL() != primaryURL || GetBulkJobServiceURL().find(primaryURL) != 0)
            throw std::runtime_error("the gateway addresses were read before the tests set them");
    }

    void TearDown() override
    {
        s_PrimaryRelay.reset();
    }
};

::testing::Environment* const s_Environment = ::testing::AddGlobalTestEnvironment(new CGatewayEnvironment);
} // namespace

namespace GatewayTest
{
CTcpRelay& PrimaryRelay()
{
    return *s_PrimaryRelay;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;)
    {
        if (condition())
            return true;
        if (::GetTickCount() - start > timeoutMs)
            return condition();
        ::Sleep(20);
    }
}

std::string TestNumber(int index)
{
    char number[32];
    std::snprintf(number, sizeof(number), "+4477009%05d", index);
    return number;
}

CSMSContactVector Recipients(int count)
{
    CSMSContactVector recipients;
    for (int i = 0; i < count; ++i)
        recipients.emplace_back("Recipient " + std::to_string(i), TestNumber(i));
    return recipients;
}
} // namespace GatewayTest

CGatewayTest::CGatewayTest() : m_Primary(CGatewaySimulator::Primary()), m_Backup(CGatewaySimulator::Backup())
{
}

void CGatewayTest::SetUp()
{
    GatewayTest::PrimaryRelay().SetReachable(true);
    m_Primary.Reset();
    m_Backup.Reset();
    g_PrimaryServerLastFailure.SetNull();
    g_BackupServerLastFailure.SetNull();
    SetGatewayDelayWaitFunction(nullptr);
    ResetSettings();
}

void CGatewayTest::TearDown()
{
    GatewayTest::PrimaryRelay().SetReachable(true);
    SetGatewayDelayWaitFunction(nullptr);
}

void CGatewayTest::ResetSettings()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, CConfigZentavoSMSOutlookAddin::SettingsKeyPath);
    Config().Load();
}

void CGatewayTest::StoreLogin(const std::string& username, const std::string& accessKey, const std::string& secretKey)
{
    CZentavoSMSGatewayLoginDetails details;
    details.m_LoggedIn = 1;
    details.m_Username = username;
    details.m_AccessKeys.m_AccessKey = accessKey;
    details.m_AccessKeys.m_SecretKey = secretKey;
    CZentavoSMSGatewayAuthenticationManager::StoreLoginDetails(Config(), details);
    Config().Save();
}

void CGatewayTest::StoreSeededLogin()
{
    StoreLogin(GatewaySimulatorSeed::kUsername, GatewaySimulatorSeed::kAccessKey, GatewaySimulatorSeed::kSecretKey);
}
