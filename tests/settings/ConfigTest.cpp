#include "core/ConfigZentavoSMSOutlookAddin.h"

#include "core/ZentavoEncryption.h"

#include "tests/support/RegistryFixture.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace
{
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

const std::vector<std::string> kSavedValues = {
    "ZentavoSMSUsername",
    "ZentavoSMSPasswordEncrypted",
    "ZentavoSMSAccessKey",
    "ZentavoSMSSecretKeyEncrypted",
    "ZentavoSMSBulkSendThreshold",
    "ZentavoSMSAuthMode",
    "ZentavoSMSMasterKey",
    "ZentavoSMSCompanyName",
    "ZentavoSMSTraceLogFilename",
    "ZentavoSMSUIOptionsButton",
    "ZentavoSMSUIAllowRepliesCheckbox",
    "ZentavoSMSUIFromFieldEditbox",
    "ZentavoSMSUIBuyCreditsButton",
    "ZentavoSMSUIAvailableBalanceButton",
    "ZentavoSMSUIOptionsPropertyPage",
    "ZentavoSMSUIFromFieldEntryMode",
};

class ConfigTest : public RegistryFixture
{
protected:
    std::string Decipher(const std::string& name)
    {
        const auto stored = ReadText(kSettings, name);
        return stored ? CZentavoEncryption().Decrypt(*stored) : "<missing>";
    }

    std::string errorText;
    CConfigZentavoSMSOutlookAddin_Config config{&errorText};
};

TEST_F(ConfigTest, AnEmptyKeyLoadsTheDefaultsAndSavesSixteenValues)
{
    config.Load();
    EXPECT_TRUE(KeyExists(kSettings));
    EXPECT_EQ("", config.GetUsername());
    EXPECT_EQ("", config.GetPassword());
    EXPECT_EQ("", config.GetAccessKey());
    EXPECT_EQ("", config.GetSecretKey());
    EXPECT_EQ("", config.GetMasterKey());
    EXPECT_EQ("", config.GetTraceLogFilename());
    EXPECT_EQ("Outlook Customer Manager", config.GetAddressBookExclusionList());
    EXPECT_EQ("", config.GetUIOptionsButton());
    EXPECT_EQ("", config.GetUIOptionsPropertyPage());
    EXPECT_EQ("", config.GetUIAllowRepliesCheckbox());
    EXPECT_EQ("", config.GetUIFromFieldEditbox());
    EXPECT_EQ("", config.GetUIBuyCreditsButton());
    EXPECT_EQ("", config.GetUIAvailableBalanceButton());
    EXPECT_EQ(2, config.m_AuthMode);
    EXPECT_EQ(2, config.m_FromFieldEntryMode);
    EXPECT_THAT(ValueNames(kSettings), IsEmpty());
    EXPECT_THAT(Events(), IsEmpty());

    config.Save();
    EXPECT_THAT(ValueNames(kSettings), UnorderedElementsAreArray(kSavedValues));
    EXPECT_EQ("5", ReadText(kSettings, "ZentavoSMSBulkSendThreshold"));
    EXPECT_EQ("2", ReadText(kSettings, "ZentavoSMSAuthMode"));
    EXPECT_EQ("2", ReadText(kSettings, "ZentavoSMSUIFromFieldEntryMode"));
    EXPECT_EQ("", ReadText(kSettings, "ZentavoSMSPasswordEncrypted"));
    EXPECT_EQ("", ReadText(kSettings, "ZentavoSMSUsername"));
}

TEST_F(ConfigTest, EveryValueIsStoredAsTextAndLoadsBack)
{
    WriteRaw(kSettings, "ZentavoSMSMasterKey", "master");
    WriteRaw(kSettings, "ZentavoSMSCompanyName", "Acme Ltd");
    WriteRaw(kSettings, "ZentavoSMSTraceLogFilename", "C:\\logs\\trace.log");
    WriteRaw(kSettings, "ZentavoSMSAddressBookExclusionList", "Book A,Book B");
    WriteRaw(kSettings, "ZentavoSMSUIOptionsButton", "Hidden");
    WriteRaw(kSettings, "ZentavoSMSUIAllowRepliesCheckbox", "Disabled");
    WriteRaw(kSettings, "ZentavoSMSUIFromFieldEditbox", "Enabled");
    WriteRaw(kSettings, "ZentavoSMSUIBuyCreditsButton", "x");
    WriteRaw(kSettings, "ZentavoSMSUIAvailableBalanceButton", "y");
    WriteRaw(kSettings, "ZentavoSMSUIOptionsPropertyPage", "z");
    WriteRaw(kSettings, "ZentavoSMSUIFromFieldEntryMode", "1");
    WriteRaw(kSettings, "ZentavoSMSBulkSendThreshold", "250");
    config.Load();
    config.SetUsername("user_1");
    config.SetPassword("pass^word");
    config.SetAccessKey("AK-123");
    config.SetSecretKey("sk/+=");
    config.m_AuthMode = 5;
    config.Save();

    EXPECT_EQ("user_1", ReadText(kSettings, "ZentavoSMSUsername"));
    EXPECT_EQ("AK-123", ReadText(kSettings, "ZentavoSMSAccessKey"));
    EXPECT_EQ("pass^word", Decipher("ZentavoSMSPasswordEncrypted"));
    EXPECT_EQ("sk/+=", Decipher("ZentavoSMSSecretKeyEncrypted"));
    EXPECT_EQ("250", ReadText(kSettings, "ZentavoSMSBulkSendThreshold"));
    EXPECT_EQ("5", ReadText(kSettings, "ZentavoSMSAuthMode"));
    EXPECT_EQ("master", ReadText(kSettings, "ZentavoSMSMasterKey"));
    EXPECT_EQ("Acme Ltd", ReadText(kSettings, "ZentavoSMSCompanyName"));
    EXPECT_EQ("C:\\logs\\trace.log", ReadText(kSettings, "ZentavoSMSTraceLogFilename"));
    EXPECT_EQ("Hidden", ReadText(kSettings, "ZentavoSMSUIOptionsButton"));
    EXPECT_EQ("Disabled", ReadText(kSettings, "ZentavoSMSUIAllowRepliesCheckbox"));
    EXPECT_EQ("Enabled", ReadText(kSettings, "ZentavoSMSUIFromFieldEditbox"));
    EXPECT_EQ("x", ReadText(kSettings, "ZentavoSMSUIBuyCreditsButton"));
    EXPECT_EQ("y", ReadText(kSettings, "ZentavoSMSUIAvailableBalanceButton"));
    EXPECT_EQ("z", ReadText(kSettings, "ZentavoSMSUIOptionsPropertyPage"));
    EXPECT_EQ("1", ReadText(kSettings, "ZentavoSMSUIFromFieldEntryMode"));
    EXPECT_EQ("Book A,Book B", ReadText(kSettings, "ZentavoSMSAddressBookExclusionList"));

    // What was read from the raw values above went back unchanged; the
    // secrets and the numbers also load back.
    std::string otherError;
    CConfigZentavoSMSOutlookAddin_Config reloaded(&otherError);
    reloaded.Load();
    EXPECT_EQ("pass^word", reloaded.GetPassword());
    EXPECT_EQ("sk/+=", reloaded.GetSecretKey());
    EXPECT_EQ(5, reloaded.m_AuthMode);
    EXPECT_EQ(1, reloaded.m_FromFieldEntryMode);
}

TEST_F(ConfigTest, UnreadableNumbersAndSecretsLoadWithoutFailing)
{
    WriteRaw(kSettings, "ZentavoSMSAuthMode", "two");
    WriteRaw(kSettings, "ZentavoSMSBulkSendThreshold", "99999999999");
    WriteRaw(kSettings, "ZentavoSMSUIFromFieldEntryMode", "-1");
    // Base64 of bytes enciphered under other keys, and text that is no
    // Base64 at all: neither deciphers to anything meaningful.
    WriteRaw(kSettings, "ZentavoSMSPasswordEncrypted", "AAECAwQFBgcICQoLDA0ODxAREhMUFRYX");
    WriteRaw(kSettings, "ZentavoSMSSecretKeyEncrypted", "%%%not base64%%%");
    config.Load();
    EXPECT_EQ(0, config.m_AuthMode);
    EXPECT_EQ(-1, config.m_FromFieldEntryMode);
    EXPECT_NE("AAECAwQFBgcICQoLDA0ODxAREhMUFRYX", config.GetPassword());

    // Saving keeps whatever was deciphered; a second load reads it back.
    config.Save();
    EXPECT_EQ("2147483647", ReadText(kSettings, "ZentavoSMSBulkSendThreshold"));
    EXPECT_EQ("4294967295", ReadText(kSettings, "ZentavoSMSUIFromFieldEntryMode"));
    std::string otherError;
    CConfigZentavoSMSOutlookAddin_Config reloaded(&otherError);
    reloaded.Load();
    EXPECT_EQ(config.GetPassword(), reloaded.GetPassword());
    EXPECT_EQ(config.GetSecretKey(), reloaded.GetSecretKey());
}

TEST_F(ConfigTest, LongValuesSurviveALoadAndASave)
{
    const std::string longPath = "C:\\" + std::string(3000, 'p') + "\\trace.log";
    const std::string longKey(1500, 'k');
    WriteRaw(kSettings, "ZentavoSMSTraceLogFilename", longPath);
    WriteRaw(kSettings, "ZentavoSMSMasterKey", longKey);
    config.Load();
    config.SetPassword(std::string(1200, 'w'));
    config.Save();
    EXPECT_EQ(longPath, ReadText(kSettings, "ZentavoSMSTraceLogFilename"));
    EXPECT_EQ(longKey, ReadText(kSettings, "ZentavoSMSMasterKey"));

    std::string otherError;
    CConfigZentavoSMSOutlookAddin_Config reloaded(&otherError);
    reloaded.Load();
    EXPECT_EQ(longPath, reloaded.GetTraceLogFilename());
    EXPECT_EQ(std::string(1200, 'w'), reloaded.GetPassword());
}

TEST_F(ConfigTest, ALegacyPasswordMovesToItsEncipheredValue)
{
    WriteRaw(kSettings, "ZentavoSMSPassword", "legacy");
    config.Load();
    EXPECT_EQ("legacy", config.GetPassword());
    EXPECT_FALSE(ReadRaw(kSettings, "ZentavoSMSPassword"));
    EXPECT_EQ("legacy", Decipher("ZentavoSMSPasswordEncrypted"));
    EXPECT_THAT(ValueNames(kSettings), UnorderedElementsAreArray(kSavedValues));
}

TEST_F(ConfigTest, AnEncipheredPasswordWinsOverTheLegacyOneWhichIsDropped)
{
    config.Load();
    config.SetPassword("current");
    config.Save();
    const auto stored = ReadText(kSettings, "ZentavoSMSPasswordEncrypted");
    WriteRaw(kSettings, "ZentavoSMSPassword", "legacy");

    std::string otherError;
    CConfigZentavoSMSOutlookAddin_Config reloaded(&otherError);
    reloaded.Load();
    EXPECT_EQ("current", reloaded.GetPassword());
    EXPECT_FALSE(ReadRaw(kSettings, "ZentavoSMSPassword"));
    EXPECT_EQ(stored, ReadText(kSettings, "ZentavoSMSPasswordEncrypted"));
}

TEST_F(ConfigTest, AReadOnlyKeyLoadsAndKeepsALegacyPasswordInMemoryOnly)
{
    WriteRaw(kSettings, "ZentavoSMSUsername", "locked");
    WriteRaw(kSettings, "ZentavoSMSPassword", "legacy");
    LockKey(kSettings);

    config.Load();
    EXPECT_EQ("", errorText);
    EXPECT_EQ("locked", config.GetUsername());
    EXPECT_EQ("legacy", config.GetPassword());
    EXPECT_EQ("legacy", ReadText(kSettings, "ZentavoSMSPassword"));
    EXPECT_FALSE(ReadRaw(kSettings, "ZentavoSMSPasswordEncrypted"));

    config.SetUsername("changed");
    EXPECT_COM_ERROR(config.Save(), E_FAIL, "Insufficent rights to write to the registry");
    EXPECT_EQ("locked", ReadText(kSettings, "ZentavoSMSUsername"));
}

TEST_F(ConfigTest, AKeyThatCannotBeOpenedFailsTheLoadWithTheOwnersErrorText)
{
    WriteRaw(kSettings, "ZentavoSMSUsername", "x");
    LockKey(kSettings, false);
    EXPECT_COM_ERROR(config.Load(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED),
                     "Could not open SOFTWARE\\ZentavoSoftware\\ZentavoSMSOutlookPlugin key");
    EXPECT_EQ("Could not open configuration", errorText);
}

TEST_F(ConfigTest, CopiesTakeTheAccountSettingsOrTheThresholdOnly)
{
    WriteRaw(kSettings, "ZentavoSMSBulkSendThreshold", "40");
    config.Load();
    config.SetUsername("u");
    config.SetPassword("p");
    config.SetAccessKey("a");
    config.SetSecretKey("s");
    config.m_AuthMode = 5;

    std::string copyError;
    CConfigZentavoSMSOutlookAddin_Config copy(&copyError);
    EXPECT_EQ(&copy, &copy.CopyAccountSettings(config));
    EXPECT_EQ("u", copy.GetUsername());
    EXPECT_EQ("p", copy.GetPassword());
    EXPECT_EQ("a", copy.GetAccessKey());
    EXPECT_EQ("s", copy.GetSecretKey());
    EXPECT_EQ(5, copy.m_AuthMode);

    // Only the threshold comes back from the working copy.
    copy.SetUsername("other");
    copy.m_AuthMode = 1;
    config.CopyBulkSendThreshold(copy);
    EXPECT_EQ("u", config.GetUsername());
    EXPECT_EQ(5, config.m_AuthMode);
    config.Save();
    EXPECT_EQ("40", ReadText(kSettings, "ZentavoSMSBulkSendThreshold"));
}

TEST_F(ConfigTest, InstallScopeIsAllUsersOnlyForThatExactText)
{
    EXPECT_EQ(2, config.GetInstallScope());
    ASSERT_EQ(1u, Events().size());
    EXPECT_EQ("Could not find reg value: InstallOptionUserScope", Events()[0].text);
    WriteRaw(kSettings, "InstallOptionUserScope", "AllUsers");
    EXPECT_EQ(1, config.GetInstallScope());
    WriteRaw(kSettings, "InstallOptionUserScope", "allusers");
    EXPECT_EQ(2, config.GetInstallScope());
}

TEST_F(ConfigTest, ValidateChecksNameAndPasswordInPasswordModesOnly)
{
    config.Load();
    config.SetUsername("john.smith");
    EXPECT_EQ("Username may only contain: A-Z a-z 0-9 _ ^\nPlease enter your account Password\n", config.Validate());
    config.SetUsername("");
    config.SetPassword("a b");
    config.m_AuthMode = 1;
    EXPECT_EQ("Please enter your account Username\nPassword may only contain: A-Z a-z 0-9 _ ^\n", config.Validate());
    config.SetUsername("Az09_^");
    config.SetPassword("^_^");
    EXPECT_EQ("", config.Validate());
    config.SetUsername("");
    for (const int mode : {0, 3, 4, 5})
    {
        config.m_AuthMode = mode;
        EXPECT_EQ("", config.Validate()) << mode;
    }
}
}  // namespace
