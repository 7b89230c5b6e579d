// The balance on the Send SMS window's toolbar from the gateway simulator,
// through the plug-in core's balance client, as the window's timer polls it.
#include "tests/ui/SendSMSWindowFixture.h"

#include "core/GatewayAddresses.h"
#include "tests/support/GatewaySimulator.h"

#include <stdexcept>

namespace
{
// The product reads the gateway addresses once per process: they are set
// before the first test.
class CSimulatorAddresses : public ::testing::Environment
{
public:
    void SetUp() override
    {
        const CGatewaySimulator primary = CGatewaySimulator::Primary();
        const CGatewaySimulator backup = CGatewaySimulator::Backup();
        ::SetEnvironmentVariableA(GatewayAddresses::kPrimaryURLVariable, primary.HttpsServer().c_str());
        ::SetEnvironmentVariableA(GatewayAddresses::kBackupURLVariable, backup.HttpsServer().c_str());
        if (GetGatewayPrimaryURL() != primary.HttpsServer())
            throw std::runtime_error("the gateway addresses were read before the tests set them");
    }
};

::testing::Environment* const s_Addresses = ::testing::AddGlobalTestEnvironment(new CSimulatorAddresses);
} // namespace

// Outside the scratch registry: WinINet takes its certificate settings from
// the prefix's own HKEY_CURRENT_USER.
TEST(SendSMSBalance, SeededBalanceAppearsAfterATick)
{
    using namespace GatewaySimulatorSeed;
    const CScopedComApartment apartment(COINIT_APARTMENTTHREADED);
    const CMessageBoxCapture boxes;
    const CEventLogCapture events;
    const CGatewaySimulator primary = CGatewaySimulator::Primary();
    primary.Reset();

    CZentavoSMSOutlookPlugin& plugin = CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;
    CConfigZentavoSMSOutlookAddin_Config& config = plugin.m_Config;
    const int savedMode = config.m_AuthMode;
    const std::string savedAccessKey = config.GetAccessKey();
    const std::string savedSecretKey = config.GetSecretKey();
    config.m_AuthMode = 2;
    config.SetAccessKey(kAccessKey);
    config.SetSecretKey(kSecretKey);
    plugin.m_UserPreferences.SetShowCurrentBalance(true);
    SMSGatewayHTTPInterfaceClientAsync& client = plugin.m_BalanceClient;
    client.SetInterface(0x20000001);
    client.Initialise();

    auto* dialog = new CSendSMSDlg;
    const HWND window = dialog->Create(nullptr);
    ASSERT_NE(nullptr, window);
    const std::string expected = "Available Balance: " + std::to_string(kBalance);
    for (int wait = 0; wait < 300 && dialog->MainToolbar().GetButtonText(ID_SENDSMS_BALANCE) != expected; ++wait)
        SendSMSWindow::Pump(100);
    EXPECT_EQ(expected, dialog->MainToolbar().GetButtonText(ID_SENDSMS_BALANCE));
    EXPECT_FALSE(dialog->MainToolbar().GetButtonState(ID_SENDSMS_BALANCE) & TBSTATE_HIDDEN);
    ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);

    client.Uninitialise();
    config.m_AuthMode = savedMode;
    config.SetAccessKey(savedAccessKey);
    config.SetSecretKey(savedSecretKey);
    const std::vector<CLoggedRequest> requests = primary.Requests("getbalance.aspx");
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(kAccessKey, requests.back().Field("accesskey"));
    EXPECT_TRUE(events.Texts().empty());
}
