// The user's preferences: Send SMS defaults, behaviour flags, the user's
// own mobile number, the remembered sender ids, SMS reminder defaults and the
// appointment templates (subkey "AppointmentTemplates", one subkey per
// template holding its "Text"). The plug-in core owns one object, loads it at
// start-up and saves it at shutdown; the settings dialog works on a copy.
#pragma once

#include "core/ConfigZentavoSMSOutlookAddin.h"
#include "core/SMSTemplate.h"

#include <windows.h>

#include <string>
#include <vector>

class CConfigZentavoSMSOutlookAddin_UserPreferences : protected CConfigZentavoSMSOutlookAddin
{
public:
    // errorText: see CConfigReg.
    explicit CConfigZentavoSMSOutlookAddin_UserPreferences(std::string* errorText);
    ~CConfigZentavoSMSOutlookAddin_UserPreferences() override;

    // Copies every preference, the sender-id list and the templates; the
    // key, the read-only state, the mutex and the error text stay. No lock.
    CConfigZentavoSMSOutlookAddin_UserPreferences& operator=(
        const CConfigZentavoSMSOutlookAddin_UserPreferences& other);

    void Load() override;
    // Writes every value, then brings the template subkeys in step with
    // the template list.
    void Save();
    void Serialize(bool load);
    // Always empty: the preferences have nothing to check.
    std::string Validate();

    // The live template list, without the lock (user-interface thread).
    CSMSTemplateVector& GetAppointmentTemplates() { return m_AppointmentTemplates; }

    std::string GetDefaultAddressBook();
    void SetDefaultAddressBook(std::string value);
    std::string GetDefaultSendersId();
    void SetDefaultSendersId(std::string value);
    bool GetDefaultSendersIdUseReplyable();
    void SetDefaultSendersIdUseReplyable(bool value);
    bool GetDefaultSendersIdUseAccountSettings();
    void SetDefaultSendersIdUseAccountSettings(bool value);
    std::string GetDefaultMessageSignature();
    void SetDefaultMessageSignature(std::string value);
    bool GetCheckBalanceBeforeSending();
    void SetCheckBalanceBeforeSending(bool value);
    bool GetShowCurrentBalance();
    void SetShowCurrentBalance(bool value);
    bool GetWarnIfMsgBeingTruncated();
    void SetWarnIfMsgBeingTruncated(bool value);
    bool GetSaveSentMsgsToSentItemsFolder();
    void SetSaveSentMsgsToSentItemsFolder(bool value);
    bool GetEnableUserContextSupport();
    void SetEnableUserContextSupport(bool value);
    bool GetRecipientEntryEditboxAutoCompleteEnabled();
    std::string GetUsersMobilePhoneNumber();
    void SetUsersMobilePhoneNumber(std::string value);
    // The live list, most recent first; read and changed in place on the
    // user-interface thread.
    std::vector<std::string>& GetSelectableSendersIdList();
    bool GetSelectableSendersIdListAutoAdd();
    std::string GetDefaultAppointmentTemplateId();
    void SetDefaultAppointmentTemplateId(std::string value);
    std::string GetDefaultAppointmentScheduleDescription();
    void SetDefaultAppointmentScheduleDescription(std::string value);
    std::string GetUIRibbonSendSMSButton();
    void SetUIRibbonSendSMSButton(std::string value);

    // Template subkeys of key\subKeyName; both skip silently when the
    // subkey cannot be opened.
    void ReadAppointmentTemplates(HKEY key, const std::string& subKeyName, CSMSTemplateVector& templates);
    void WriteAppointmentTemplates(HKEY key, const std::string& subKeyName, const CSMSTemplateVector& templates);

private:
    std::string m_DefaultAddressBook;
    std::string m_DefaultSendersId;
    bool m_DefaultSendersIdUseReplyable;
    bool m_DefaultSendersIdUseAccountSettings;
    std::string m_DefaultMessageSignature;
    bool m_CheckBalanceBeforeSending;
    bool m_ShowCurrentBalance;
    bool m_WarnIfMsgBeingTruncated;
    bool m_SaveSentMsgsToSentItemsFolder;
    bool m_EnableUserContextSupport;
    bool m_RecipientEntryEditboxAutoCompleteEnabled;

public:
    // Read and written directly, without the lock.
    // "DefaultDeliveryReportSetting": 1 none, 2 reports, 3 account settings.
    DWORD m_DefaultDeliveryReportSetting;
    // "DefaultDeliveryReportStatusFilter": 1 sent, 2 delivered, 4 failed,
    // 8 expired.
    DWORD m_DefaultDeliveryReportStatusFilter;

private:
    std::string m_UsersMobilePhoneNumber;
    std::vector<std::string> m_SelectableSendersIdList;
    bool m_SelectableSendersIdListAutoAdd;

public:
    // "ZentavoSMSSelectableSendersIdList_MaxLength" and
    // "ZentavoSMSMaxMsgParts", read and written directly, without the lock.
    int m_SelectableSendersIdListMaxLength;
    int m_MaxMsgParts;

private:
    std::string m_DefaultAppointmentTemplateId;
    std::string m_DefaultAppointmentScheduleDescription;
    std::string m_UIRibbonSendSMSButton;
    CSMSTemplateVector m_AppointmentTemplates;
};
