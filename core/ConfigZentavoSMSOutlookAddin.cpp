#include "core/ConfigZentavoSMSOutlookAddin.h"

#include <utility>

namespace
{
const char* const kLegacyPasswordValue = "ZentavoSMSPassword";

void CheckAccountField(const std::string& value, const std::string& fieldName, std::string& messages)
{
    if (value.empty())
    {
        messages += "Please enter your account " + fieldName + "\n";
        return;
    }
    for (const char c : value)
    {
        const bool allowed = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                             c == '_' || c == '^';
        if (!allowed)
        {
            messages += fieldName + " may only contain: A-Z a-z 0-9 _ ^\n";
            return;
        }
    }
}
}  // namespace

CConfigZentavoSMSOutlookAddin::CConfigZentavoSMSOutlookAddin(std::string* errorText) : CConfigReg(errorText)
{
}

CConfigZentavoSMSOutlookAddin::~CConfigZentavoSMSOutlookAddin() = default;

void CConfigZentavoSMSOutlookAddin::Load()
{
    try
    {
        CConfigReg::Load();
        OpenKey(HKEY_CURRENT_USER, SettingsKeyPath);
    }
    catch (...)
    {
        if (m_ErrorText != nullptr)
            *m_ErrorText = "Could not open configuration";
        throw;
    }
}

// The numbers start at their defaults so that an object that is never
// loaded (the settings dialog's working copy) holds no indeterminate values.
CConfigZentavoSMSOutlookAddin_Config::CConfigZentavoSMSOutlookAddin_Config(std::string* errorText)
    : CConfigZentavoSMSOutlookAddin(errorText), m_BulkSendThreshold(5), m_AuthMode(2), m_FromFieldEntryMode(2)
{
}

CConfigZentavoSMSOutlookAddin_Config::~CConfigZentavoSMSOutlookAddin_Config() = default;

void CConfigZentavoSMSOutlookAddin_Config::Load()
{
    CConfigZentavoSMSOutlookAddin::Load();
    auto lock = LockSettings();
    Serialize(true);
    MigrateLegacyPassword();
}

void CConfigZentavoSMSOutlookAddin_Config::Save()
{
    Serialize(false);
}

void CConfigZentavoSMSOutlookAddin_Config::Serialize(bool load)
{
    auto lock = LockSettings();
    const HKEY key = GetKey();
    if (load)
    {
        m_Username = GetString(key, "ZentavoSMSUsername", true, "", false);
        m_Password = GetEncryptedString(key, "ZentavoSMSPasswordEncrypted", true, "", false);
        m_AccessKey = GetString(key, "ZentavoSMSAccessKey", true, "", false);
        m_SecretKey = GetEncryptedString(key, "ZentavoSMSSecretKeyEncrypted", true, "", false);
        m_BulkSendThreshold = GetDWORD(key, "ZentavoSMSBulkSendThreshold", true, 5, false);
        m_AuthMode = GetDWORD(key, "ZentavoSMSAuthMode", true, 2, false);
        m_MasterKey = GetString(key, "ZentavoSMSMasterKey", true, "", false);
        m_CompanyName = GetString(key, "ZentavoSMSCompanyName", true, "", false);
        m_TraceLogFilename = GetString(key, "ZentavoSMSTraceLogFilename", true, "", false);
        m_AddressBookExclusionList =
            GetString(key, "ZentavoSMSAddressBookExclusionList", true, "Outlook Customer Manager", false);
        m_UIOptionsButton = GetString(key, "ZentavoSMSUIOptionsButton", true, "", false);
        m_UIAllowRepliesCheckbox = GetString(key, "ZentavoSMSUIAllowRepliesCheckbox", true, "", false);
        m_UIFromFieldEditbox = GetString(key, "ZentavoSMSUIFromFieldEditbox", true, "", false);
        m_UIBuyCreditsButton = GetString(key, "ZentavoSMSUIBuyCreditsButton", true, "", false);
        m_UIAvailableBalanceButton = GetString(key, "ZentavoSMSUIAvailableBalanceButton", true, "", false);
        m_UIOptionsPropertyPage = GetString(key, "ZentavoSMSUIOptionsPropertyPage", true, "", false);
        m_FromFieldEntryMode = GetDWORD(key, "ZentavoSMSUIFromFieldEntryMode", true, 2, false);
    }
    else
    {
        // The exclusion list is an administrator's setting: never written.
        SetString(key, "ZentavoSMSUsername", m_Username);
        SetEncryptedString(key, "ZentavoSMSPasswordEncrypted", m_Password);
        SetString(key, "ZentavoSMSAccessKey", m_AccessKey);
        SetEncryptedString(key, "ZentavoSMSSecretKeyEncrypted", m_SecretKey);
        SetDWORD(key, "ZentavoSMSBulkSendThreshold", m_BulkSendThreshold);
        SetDWORD(key, "ZentavoSMSAuthMode", m_AuthMode);
        SetString(key, "ZentavoSMSMasterKey", m_MasterKey);
        SetString(key, "ZentavoSMSCompanyName", m_CompanyName);
        SetString(key, "ZentavoSMSTraceLogFilename", m_TraceLogFilename);
        SetString(key, "ZentavoSMSUIOptionsButton", m_UIOptionsButton);
        SetString(key, "ZentavoSMSUIAllowRepliesCheckbox", m_UIAllowRepliesCheckbox);
        SetString(key, "ZentavoSMSUIFromFieldEditbox", m_UIFromFieldEditbox);
        SetString(key, "ZentavoSMSUIBuyCreditsButton", m_UIBuyCreditsButton);
        SetString(key, "ZentavoSMSUIAvailableBalanceButton", m_UIAvailableBalanceButton);
        SetString(key, "ZentavoSMSUIOptionsPropertyPage", m_UIOptionsPropertyPage);
        SetDWORD(key, "ZentavoSMSUIFromFieldEntryMode", m_FromFieldEntryMode);
    }
}

// An older version kept the password in plain text. The enciphered value
// wins when both exist; the plain one is removed either way. A key that
// may only be read keeps the plain value, which is then used in memory.
void CConfigZentavoSMSOutlookAddin_Config::MigrateLegacyPassword()
{
    const std::string legacy = GetString(GetKey(), kLegacyPasswordValue, true, "", false);
    if (legacy.empty())
        return;
    const bool adopt = m_Password.empty();
    if (adopt)
        m_Password = legacy;
    if (m_ReadOnly)
        return;
    if (adopt)
        Save();
    DeleteValue(GetKey(), kLegacyPasswordValue, true);
}

CConfigZentavoSMSOutlookAddin_Config& CConfigZentavoSMSOutlookAddin_Config::CopyAccountSettings(
    const CConfigZentavoSMSOutlookAddin_Config& other)
{
    m_Username = other.m_Username;
    m_Password = other.m_Password;
    m_AccessKey = other.m_AccessKey;
    m_SecretKey = other.m_SecretKey;
    m_AuthMode = other.m_AuthMode;
    return CopyBulkSendThreshold(other);
}

CConfigZentavoSMSOutlookAddin_Config& CConfigZentavoSMSOutlookAddin_Config::CopyBulkSendThreshold(
    const CConfigZentavoSMSOutlookAddin_Config& other)
{
    m_BulkSendThreshold = other.m_BulkSendThreshold;
    return *this;
}

int CConfigZentavoSMSOutlookAddin_Config::GetInstallScope()
{
    bool readOnly = false;
    CScopedRegKey key = RegOpenOrCreateKey(HKEY_CURRENT_USER, SettingsKeyPath, readOnly, false);
    const std::string scope = GetString(key.get(), "InstallOptionUserScope", true, "", true);
    return scope == "AllUsers" ? 1 : 2;
}

std::string CConfigZentavoSMSOutlookAddin_Config::Validate()
{
    std::string messages;
    if (m_AuthMode == 1 || m_AuthMode == 2)
    {
        CheckAccountField(GetUsername(), "Username", messages);
        CheckAccountField(GetPassword(), "Password", messages);
    }
    return messages;
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetUsername()
{
    auto lock = LockSettings();
    return m_Username;
}

void CConfigZentavoSMSOutlookAddin_Config::SetUsername(std::string value)
{
    auto lock = LockSettings();
    m_Username = std::move(value);
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetPassword()
{
    auto lock = LockSettings();
    return m_Password;
}

void CConfigZentavoSMSOutlookAddin_Config::SetPassword(std::string value)
{
    auto lock = LockSettings();
    m_Password = std::move(value);
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetAccessKey()
{
    auto lock = LockSettings();
    return m_AccessKey;
}

void CConfigZentavoSMSOutlookAddin_Config::SetAccessKey(std::string value)
{
    auto lock = LockSettings();
    m_AccessKey = std::move(value);
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetSecretKey()
{
    auto lock = LockSettings();
    return m_SecretKey;
}

void CConfigZentavoSMSOutlookAddin_Config::SetSecretKey(std::string value)
{
    auto lock = LockSettings();
    m_SecretKey = std::move(value);
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetMasterKey()
{
    auto lock = LockSettings();
    return m_MasterKey;
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetTraceLogFilename()
{
    auto lock = LockSettings();
    return m_TraceLogFilename;
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetAddressBookExclusionList()
{
    auto lock = LockSettings();
    return m_AddressBookExclusionList;
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetUIOptionsButton()
{
    auto lock = LockSettings();
    return m_UIOptionsButton;
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetUIOptionsPropertyPage()
{
    auto lock = LockSettings();
    return m_UIOptionsPropertyPage;
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetUIAllowRepliesCheckbox()
{
    auto lock = LockSettings();
    return m_UIAllowRepliesCheckbox;
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetUIFromFieldEditbox()
{
    auto lock = LockSettings();
    return m_UIFromFieldEditbox;
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetUIBuyCreditsButton()
{
    auto lock = LockSettings();
    return m_UIBuyCreditsButton;
}

std::string CConfigZentavoSMSOutlookAddin_Config::GetUIAvailableBalanceButton()
{
    auto lock = LockSettings();
    return m_UIAvailableBalanceButton;
}
