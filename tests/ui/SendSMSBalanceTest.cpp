// The balance on the Send SMS window's toolbar from the gateway simulator,
// through the plug-in core's balance client, as the window's timer polls it.
#include "tests/ui/SendSMSWindowFixture.h"

#include "tests/support/GatewayTest.h"
#include "tests/support/WindowDriver.h"
#include "tests/support/GatewaySimulator.h"


// The gateway addresses point at the simulator for the whole executable
// (tests/support/GatewayTest.cpp sets them before the first test).

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
    config.m_AuthMode = 5;  // logged in with the seeded key pair
    config.SetAccessKey(kAccessKey);
    config.SetSecretKey(kSecretKey);
    plugin.m_UserPreferences.SetShowCurrentBalance(true);
    SMSGatewayHTTPInterfaceClientAsync& client = plugin.m_BalanceClient;
    client.SetInterface(0x20000001);
    client.Initialise();

    // As the plug-in core makes it: with Outlook, whose address lists the To
    // field's auto-completion reads while the window initialises.
    const CFakeOutlook outlook;
    auto* dialog = new CSendSMSDlg;
    dialog->SetOutlookApplication(outlook.Application());
    CWindowDriver driver;  // any box is answered and reported, never left waiting
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
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ("", driver.Problems());
}
