// The add-in's settings key and its account configuration. The plug-in core
// owns one CConfigZentavoSMSOutlookAddin_Config for the life of the process;
// other code reads and writes it through the locked accessors (or the two
// public fields) and calls Save after a change.
#pragma once

#include "core/ConfigReg.h"

#include <string>

// Interface-policy texts of the "ZentavoSMSUI..." values. "Disabled" shows
// the control disabled, "Hidden" hides it; any other text (normally empty)
// leaves it shown and enabled. Compared exactly.
inline constexpr char UIPolicyEnabled[] = "Enabled";
inline constexpr char UIPolicyDisabled[] = "Disabled";
inline constexpr char UIPolicyHidden[] = "Hidden";

// Both configuration objects live under this key of HKEY_CURRENT_USER.
class CConfigZentavoSMSOutlookAddin : public CConfigReg
{
public:
    static constexpr const char* SettingsKeyPath = "SOFTWARE\\ZentavoSoftware\\ZentavoSMSOutlookPlugin";

    explicit CConfigZentavoSMSOutlookAddin(std::string* errorText);
    ~CConfigZentavoSMSOutlookAddin() override;

    // Opens (or creates) the settings key, read-only when it cannot be
    // written. On failure the owner's error text becomes "Could not open
    // configuration" and the error is raised again.
    void Load() override;
};

class CConfigZentavoSMSOutlookAddin_Config : protected CConfigZentavoSMSOutlookAddin
{
public:
    // errorText: see CConfigReg. Numbers have no value until Load.
    explicit CConfigZentavoSMSOutlookAddin_Config(std::string* errorText);
    ~CConfigZentavoSMSOutlookAddin_Config() override;

    // Opens the key, reads every value (missing ones take their defaults)
    // and moves a legacy plain-text password to its enciphered value.
    void Load() override;
    // Writes every value but the address-book exclusion list.
    void Save();
    void Serialize(bool load);

    // No lock: for the settings dialog's working copy.
    CConfigZentavoSMSOutlookAddin_Config& CopyAccountSettings(const CConfigZentavoSMSOutlookAddin_Config& other);
    CConfigZentavoSMSOutlookAddin_Config& CopyBulkSendThreshold(const CConfigZentavoSMSOutlookAddin_Config& other);

    // 1 when "InstallOptionUserScope" is "AllUsers", else 2.
    int GetInstallScope();
    // Messages about the account fields, empty when they are valid.
    std::string Validate();

    std::string GetUsername();
    void SetUsername(std::string value);
    std::string GetPassword();
    void SetPassword(std::string value);
    std::string GetAccessKey();
    void SetAccessKey(std::string value);
    std::string GetSecretKey();
    void SetSecretKey(std::string value);
    std::string GetMasterKey();
    std::string GetTraceLogFilename();
    std::string GetAddressBookExclusionList();
    std::string GetUIOptionsButton();
    std::string GetUIOptionsPropertyPage();
    std::string GetUIAllowRepliesCheckbox();
    std::string GetUIFromFieldEditbox();
    std::string GetUIBuyCreditsButton();
    std::string GetUIAvailableBalanceButton();

private:
    void MigrateLegacyPassword();

    std::string m_Username;
    std::string m_AccessKey;
    int m_BulkSendThreshold;

public:
    // "ZentavoSMSAuthMode", read and written directly without the lock:
    // 0 logged out, 1 plain password, 2 enciphered password (the default),
    // 3 the e-mail From address, 4 corporate master key, 5 access and
    // secret key.
    int m_AuthMode;

private:
    std::string m_MasterKey;
    std::string m_CompanyName;
    std::string m_TraceLogFilename;
    std::string m_AddressBookExclusionList;
    std::string m_UIOptionsButton;
    std::string m_UIAllowRepliesCheckbox;
    std::string m_UIFromFieldEditbox;
    std::string m_UIBuyCreditsButton;
    std::string m_UIAvailableBalanceButton;
    std::string m_UIOptionsPropertyPage;

public:
    // "ZentavoSMSUIFromFieldEntryMode", read directly without the lock:
    // 1 pick-only list, 2 editable combo box (the default).
    int m_FromFieldEntryMode;

private:
    // Both held deciphered; stored enciphered.
    std::string m_Password;
    std::string m_SecretKey;
};
