#include "addin/ZentavoSMSOutlookPlugin.h"

#include "core/ErrorReports.h"
#include "core/TraceLogging.h"
#include "tests/submission/SubmissionTestSupport.h"

#include <sddl.h>
#include <windows.h>

#include <fstream>
#include <iterator>

namespace
{
using namespace GatewaySimulatorSeed;
using SubmissionTest::WaitUntil;

CZentavoSMSOutlookPlugin& Plugin()
{
    return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;
}

void SetSettingsDacl(const char* sddl)
{
    CScopedRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, CConfigZentavoSMSOutlookAddin::SettingsKeyPath, 0,
                                             WRITE_DAC, key.put()));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr));
    const LONG status = ::RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor);
    ::LocalFree(descriptor);
    ASSERT_EQ(ERROR_SUCCESS, status);
}

void WriteSetting(const char* name, const std::string& value)
{
    CScopedRegKey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, CConfigZentavoSMSOutlookAddin::SettingsKeyPath, 0,
                                               nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                              static_cast<DWORD>(value.size() + 1)));
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class PluginCoreTest : public CGatewayTest
{
protected:
    void TearDown() override
    {
        Plugin().Uninitialise();
        CGatewayTest::TearDown();
    }
};

TEST(PluginCore, CompanyNameTagIsReplacedEverywhere)
{
    std::string text = "{CompanyNameShort} and {CompanyNameShort}{CompanyNameShort}.";
    CZentavoSMSOutlookPlugin::ReplaceCompanyNameShortTag(text);
    EXPECT_EQ("ZentavoSoftware and ZentavoSoftwareZentavoSoftware.", text);
    text = "{companynameshort}";
    CZentavoSMSOutlookPlugin::ReplaceCompanyNameShortTag(text);
    EXPECT_EQ("{companynameshort}", text);
}

TEST(PluginCore, EventLogSourceBecomesTheAddinsOwn)
{
    const std::string before = GetEventLogSourceName();
    CZentavoSMSOutlookPlugin::InitialiseEventLogSource();
    EXPECT_EQ("ZentavoSMSOutlookAddin", GetEventLogSourceName());
    CEventLogCapture events;
    ReportError(EVENTLOG_ERROR_TYPE, "f", "d");
    ASSERT_EQ(1u, events.Events().size());
    EXPECT_EQ("ZentavoSMSOutlookAddin", events.Events()[0].source);
    SetEventLogSourceName(before);
}

TEST_F(PluginCoreTest, InitialiseLoadsTheSettingsAndStartsTheBalanceWorker)
{
    StoreSeededLogin();
    Config().SetUsername("not yet loaded");
    Plugin().Initialise();
    EXPECT_TRUE(m_Boxes.Boxes().empty());
    EXPECT_EQ(kUsername, Config().GetUsername());

    Plugin().m_BalanceClient.SetAccessKeys(Config().GetAccessKey(), Config().GetSecretKey());
    Plugin().m_BalanceClient.RequestBalanceRefresh();
    EXPECT_TRUE(WaitUntil([] {
        bool valid = false;
        return Plugin().m_BalanceClient.GetLastBalance(valid) == kBalance && valid;
    }));
    // The worker asks for the add-in's own interface.
    EXPECT_EQ("536870913", m_Primary.Requests("getbalance.aspx").at(0).Field("interface"));
}

TEST_F(PluginCoreTest, TraceLogStartsOnlyWhenAFileIsConfigured)
{
    Plugin().Initialise();
    EXPECT_EQ(nullptr, g_pTraceLogger);
    Plugin().Uninitialise();

    char folder[MAX_PATH];
    ASSERT_NE(0u, ::GetTempPathA(MAX_PATH, folder));
    const std::string file = std::string(folder) + "submission_trace_" + std::to_string(::GetCurrentProcessId()) + ".log";
    ::DeleteFileA(file.c_str());
    WriteSetting("ZentavoSMSTraceLogFilename", file);
    Plugin().Initialise();
    ASSERT_NE(nullptr, g_pTraceLogger);
    EXPECT_TRUE(m_Boxes.Boxes().empty());

    const std::string log = ReadWholeFile(file);
    const std::string prefix = "I " + std::to_string(::GetCurrentThreadId()) + " OLAddinCore CZentavoSMSOutlookPlugin ";
    EXPECT_NE(std::string::npos, log.find(prefix + "\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find(prefix + std::string(111, '=') + "\r\n")) << log;
    EXPECT_NE(std::string::npos, log.find(prefix + "Trace log started (ZentavoSMSOutlookAddin Ver:5.0.1 64bit ")) << log;

    // A second start in the same process keeps the logger it has.
    IZentavoSMSTraceLogging* const first = g_pTraceLogger;
    Plugin().Uninitialise();
    Plugin().Initialise();
    EXPECT_EQ(first, g_pTraceLogger);
    ::DeleteFileA(file.c_str());
}

TEST_F(PluginCoreTest, SettingsThatCannotBeOpenedStopTheStartWithOneErrorBox)
{
    SetSettingsDacl("D:P");
    Plugin().Initialise();
    SetSettingsDacl("D:P(A;;KA;;;WD)");

    const std::vector<CapturedMessageBox> boxes = m_Boxes.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("An error has occured (Ctrl-C to copy)\n\nCould not open "
              "SOFTWARE\\ZentavoSoftware\\ZentavoSMSOutlookPlugin key\n\n(-2147024891)\n\nFunction: "
              "CZentavoSMSOutlookPlugin::Initialise",
              boxes[0].text);
    EXPECT_EQ(GetEventLogSourceName() + " - Error Occurred", boxes[0].caption);
    EXPECT_EQ(nullptr, boxes[0].owner);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes[0].style);
    EXPECT_EQ("Could not open configuration", Plugin().m_ConfigErrorText);

    // The worker did not start: starting it now succeeds.
    EXPECT_NO_THROW(Plugin().m_BalanceClient.Initialise());
    Plugin().m_BalanceClient.Uninitialise();
    Plugin().m_ConfigErrorText.clear();
}

TEST_F(PluginCoreTest, UninitialiseStopsTheWorkerWhenThePreferencesCannotBeSaved)
{
    SetSettingsDacl("D:P(A;;KR;;;WD)");
    Plugin().Initialise();  // opens the key read-only
    Plugin().Uninitialise();
    SetSettingsDacl("D:P(A;;KA;;;WD)");

    const std::vector<CapturedMessageBox> boxes = m_Boxes.Boxes();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(std::string::npos, boxes[0].text.find("Function: CZentavoSMSOutlookPlugin::Uninitialise")) << boxes[0].text;
    // The worker was stopped: starting it again succeeds.
    EXPECT_NO_THROW(Plugin().m_BalanceClient.Initialise());
    Plugin().m_BalanceClient.Uninitialise();
}

// Only a stored access-key login counts. This executable carries no dialog
// templates, so the set-up dialog cannot open here; tests/ui runs it.
TEST_F(PluginCoreTest, CheckConfigurationNeedsAnAccessKeyLogin)
{
    struct Case
    {
        const char* name;
        int authMode;
        const char* secretKey;
        bool configured;
    };
    const Case cases[] = {
        {"access keys", 5, "secret", true},
        {"access key mode without a secret key", 5, "", false},
        {"encrypted password", 2, "secret", false},
        {"nothing stored", 0, "", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Config().m_AuthMode = c.authMode;
        Config().SetSecretKey(c.secretKey);
        if (c.authMode == 2)
            Config().SetPassword("stored password");
        EXPECT_EQ(c.configured, Plugin().CheckConfiguration());
    }
    EXPECT_TRUE(m_Boxes.Boxes().empty());
}

TEST_F(PluginCoreTest, UninitialiseSavesThePreferencesButNotTheConfiguration)
{
    Plugin().Initialise();
    Plugin().m_UserPreferences.SetDefaultSendersId("Saved Sender");
    Config().SetUsername("unsaved user");
    Plugin().Uninitialise();
    for (const CapturedMessageBox& box : m_Boxes.Boxes())
        ADD_FAILURE() << box.text;

    std::string errorText;
    CConfigZentavoSMSOutlookAddin_UserPreferences preferences(&errorText);
    preferences.Load();
    EXPECT_EQ("Saved Sender", preferences.GetDefaultSendersId());
    CConfigZentavoSMSOutlookAddin_Config config(&errorText);
    config.Load();
    EXPECT_EQ("", config.GetUsername());
}
} // namespace
