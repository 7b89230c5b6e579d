#include "core/ConfigZentavoSMSOutlookAddin_UserPreferences.h"

#include "core/ErrorReports.h"

#include <comdef.h>

#include <cstdint>
#include <utility>

namespace
{
const char* const kAppointmentTemplatesKey = "AppointmentTemplates";
const char* const kTemplateTextValue = "Text";
const int kDefaultMaxMsgParts = 5;
const int kMostMaxMsgParts = 10;

// Checked before any template changes, rather than lose one the registry
// cannot hold. From the end, so that of two names equal but for case the
// later one is named.
void CheckTemplateNamesCanBeStored(const CSMSTemplateVector& templates)
{
    for (auto item = templates.rbegin(); item != templates.rend(); ++item)
    {
        if (FindTemplateNameFault(item->Name, templates, &*item) != TemplateNameFault::None)
            ThrowCOMError(E_FAIL, _bstr_t(("CConfigZentavoSMSOutlookAddin_UserPreferences::WriteAppointmentTemplates"
                                           " - The template name \"" +
                                           item->Name + "\" cannot be stored; please rename the template")
                                              .c_str()));
    }
}
}  // namespace

// Flags and numbers start at their defaults so that a copy that is never
// loaded holds no indeterminate values.
CConfigZentavoSMSOutlookAddin_UserPreferences::CConfigZentavoSMSOutlookAddin_UserPreferences(std::string* errorText)
    : CConfigZentavoSMSOutlookAddin(errorText),
      m_DefaultSendersIdUseReplyable(true),
      m_DefaultSendersIdUseAccountSettings(false),
      m_CheckBalanceBeforeSending(true),
      m_ShowCurrentBalance(true),
      m_WarnIfMsgBeingTruncated(true),
      m_SaveSentMsgsToSentItemsFolder(true),
      m_EnableUserContextSupport(false),
      m_RecipientEntryEditboxAutoCompleteEnabled(true),
      m_DefaultDeliveryReportSetting(3),
      m_DefaultDeliveryReportStatusFilter(15),
      m_SelectableSendersIdListAutoAdd(true),
      m_SelectableSendersIdListMaxLength(5),
      m_MaxMsgParts(kDefaultMaxMsgParts)
{
}

CConfigZentavoSMSOutlookAddin_UserPreferences::~CConfigZentavoSMSOutlookAddin_UserPreferences() = default;

CConfigZentavoSMSOutlookAddin_UserPreferences& CConfigZentavoSMSOutlookAddin_UserPreferences::operator=(
    const CConfigZentavoSMSOutlookAddin_UserPreferences& other)
{
    if (this == &other)
        return *this;
    m_DefaultAddressBook = other.m_DefaultAddressBook;
    m_DefaultSendersId = other.m_DefaultSendersId;
    m_DefaultSendersIdUseReplyable = other.m_DefaultSendersIdUseReplyable;
    m_DefaultSendersIdUseAccountSettings = other.m_DefaultSendersIdUseAccountSettings;
    m_DefaultMessageSignature = other.m_DefaultMessageSignature;
    m_CheckBalanceBeforeSending = other.m_CheckBalanceBeforeSending;
    m_ShowCurrentBalance = other.m_ShowCurrentBalance;
    m_WarnIfMsgBeingTruncated = other.m_WarnIfMsgBeingTruncated;
    m_SaveSentMsgsToSentItemsFolder = other.m_SaveSentMsgsToSentItemsFolder;
    m_EnableUserContextSupport = other.m_EnableUserContextSupport;
    m_RecipientEntryEditboxAutoCompleteEnabled = other.m_RecipientEntryEditboxAutoCompleteEnabled;
    m_DefaultDeliveryReportSetting = other.m_DefaultDeliveryReportSetting;
    m_DefaultDeliveryReportStatusFilter = other.m_DefaultDeliveryReportStatusFilter;
    m_UsersMobilePhoneNumber = other.m_UsersMobilePhoneNumber;
    m_SelectableSendersIdList = other.m_SelectableSendersIdList;
    m_SelectableSendersIdListAutoAdd = other.m_SelectableSendersIdListAutoAdd;
    m_SelectableSendersIdListMaxLength = other.m_SelectableSendersIdListMaxLength;
    m_MaxMsgParts = other.m_MaxMsgParts;
    m_DefaultAppointmentTemplateId = other.m_DefaultAppointmentTemplateId;
    m_DefaultAppointmentScheduleDescription = other.m_DefaultAppointmentScheduleDescription;
    m_UIRibbonSendSMSButton = other.m_UIRibbonSendSMSButton;
    m_AppointmentTemplates = other.m_AppointmentTemplates;
    return *this;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::Load()
{
    CConfigZentavoSMSOutlookAddin::Load();
    Serialize(true);
    ReadAppointmentTemplates(GetKey(), kAppointmentTemplatesKey, m_AppointmentTemplates);
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::Save()
{
    Serialize(false);
    WriteAppointmentTemplates(GetKey(), kAppointmentTemplatesKey, m_AppointmentTemplates);
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::Serialize(bool load)
{
    auto lock = LockSettings();
    const HKEY key = GetKey();
    if (load)
    {
        m_DefaultAddressBook = GetString(key, "DefaultAddressBook", true, "", false);
        m_DefaultSendersId = GetString(key, "DefaultSendersId", true, "", false);
        m_DefaultSendersIdUseReplyable = GetBool(key, "DefaultSendersIdUseReplyable", true, true, false);
        m_DefaultSendersIdUseAccountSettings = GetBool(key, "DefaultSendersIdUseAccountSettings", true, false, false);
        m_DefaultMessageSignature = GetString(key, "DefaultMessageSignature", true, "", false);
        m_CheckBalanceBeforeSending = GetBool(key, "ZentavoSMSCheckBalanceBeforeSending", true, true, false);
        m_ShowCurrentBalance = GetBool(key, "ZentavoSMSShowCurrentBalance", true, true, false);
        m_WarnIfMsgBeingTruncated = GetBool(key, "ZentavoSMSWarnIfMsgBeingTruncated", true, true, false);
        m_SaveSentMsgsToSentItemsFolder = GetBool(key, "ZentavoSaveSentMsgsToSentItemsFolder", true, true, false);
        m_EnableUserContextSupport = GetBool(key, "ZentavoSMSEnableUserContextSupport", true, false, false);
        m_RecipientEntryEditboxAutoCompleteEnabled =
            GetBool(key, "ZentavoSMSRecipientEntryEditboxAutoCompleteEnabled", true, true, false);
        // Each number outside what it can mean, or stored as another type,
        // reads as its default rather than as a value nobody chose.
        m_DefaultDeliveryReportSetting = GetNumber(key, "DefaultDeliveryReportSetting", 3, 1, 3);
        // No status ticked (0) is a choice the delivery-reports dialog stores.
        m_DefaultDeliveryReportStatusFilter = GetNumber(key, "DefaultDeliveryReportStatusFilter", 15, 0, 15);
        m_UsersMobilePhoneNumber = GetString(key, "ZentavoSMSUsersMobilePhoneNumber", true, "", false);
        // A second load replaces the list rather than appending to it.
        m_SelectableSendersIdList.clear();
        GetStringList("ZentavoSMSSelectableSendersIdList", m_SelectableSendersIdList, true, "", false);
        m_SelectableSendersIdListAutoAdd = GetBool(key, "ZentavoSMSSelectableSendersIdList_AutoAdd", true, true, false);
        // Below 1 the next send would forget every id, the one it used too.
        m_SelectableSendersIdListMaxLength =
            GetNumber(key, "ZentavoSMSSelectableSendersIdList_MaxLength", 5, 1, INT32_MAX);
        // The settings page offers 1 to 10; 0 would reach the gateway as no
        // limit.
        m_MaxMsgParts = GetNumber(key, "ZentavoSMSMaxMsgParts", kDefaultMaxMsgParts, 1, kMostMaxMsgParts);
        m_DefaultAppointmentTemplateId = GetString(key, "DefaultAppointmentTemplateId", true, "", false);
        m_DefaultAppointmentScheduleDescription =
            GetString(key, "DefaultAppointmentScheduleDescription", true, "", false);
        m_UIRibbonSendSMSButton = GetString(key, "ZentavoSMSUIRibbonSendSMSButton", true, "", false);
    }
    else
    {
        SetString(key, "DefaultAddressBook", m_DefaultAddressBook);
        SetString(key, "DefaultSendersId", m_DefaultSendersId);
        SetBool(key, "DefaultSendersIdUseReplyable", m_DefaultSendersIdUseReplyable);
        SetBool(key, "DefaultSendersIdUseAccountSettings", m_DefaultSendersIdUseAccountSettings);
        SetString(key, "DefaultMessageSignature", m_DefaultMessageSignature);
        SetBool(key, "ZentavoSMSCheckBalanceBeforeSending", m_CheckBalanceBeforeSending);
        SetBool(key, "ZentavoSMSShowCurrentBalance", m_ShowCurrentBalance);
        SetBool(key, "ZentavoSMSWarnIfMsgBeingTruncated", m_WarnIfMsgBeingTruncated);
        SetBool(key, "ZentavoSaveSentMsgsToSentItemsFolder", m_SaveSentMsgsToSentItemsFolder);
        SetBool(key, "ZentavoSMSEnableUserContextSupport", m_EnableUserContextSupport);
        SetBool(key, "ZentavoSMSRecipientEntryEditboxAutoCompleteEnabled", m_RecipientEntryEditboxAutoCompleteEnabled);
        SetDWORD(key, "DefaultDeliveryReportSetting", m_DefaultDeliveryReportSetting);
        SetDWORD(key, "DefaultDeliveryReportStatusFilter", m_DefaultDeliveryReportStatusFilter);
        SetString(key, "ZentavoSMSUsersMobilePhoneNumber", m_UsersMobilePhoneNumber);
        SetStringList(key, "ZentavoSMSSelectableSendersIdList", m_SelectableSendersIdList);
        SetBool(key, "ZentavoSMSSelectableSendersIdList_AutoAdd", m_SelectableSendersIdListAutoAdd);
        SetDWORD(key, "ZentavoSMSSelectableSendersIdList_MaxLength", m_SelectableSendersIdListMaxLength);
        SetDWORD(key, "ZentavoSMSMaxMsgParts", m_MaxMsgParts);
        SetString(key, "DefaultAppointmentTemplateId", m_DefaultAppointmentTemplateId);
        SetString(key, "DefaultAppointmentScheduleDescription", m_DefaultAppointmentScheduleDescription);
        SetString(key, "ZentavoSMSUIRibbonSendSMSButton", m_UIRibbonSendSMSButton);
    }
}

std::string CConfigZentavoSMSOutlookAddin_UserPreferences::Validate()
{
    return std::string();
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::ReadAppointmentTemplates(HKEY key, const std::string& subKeyName,
                                                                             CSMSTemplateVector& templates)
{
    templates.clear();
    bool readOnly = false;
    CScopedRegKey templatesKey = RegOpenOrCreateKey(key, subKeyName, readOnly, true);
    if (!templatesKey)
        return;

    std::vector<std::string> names;
    EnumerateSubKeys(templatesKey.get(), names);
    for (const std::string& name : names)
    {
        CScopedRegKey templateKey = RegOpenOrCreateKey(templatesKey.get(), name, readOnly, true);
        if (!templateKey)
            continue;
        const std::string text = GetString(templateKey.get(), kTemplateTextValue, true, "", true);
        if (text.empty())
            continue;
        CSMSTemplate item;
        item.Name = name;
        item.Text = text;
        templates.push_back(item);
    }
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::WriteAppointmentTemplates(HKEY key, const std::string& subKeyName,
                                                                              const CSMSTemplateVector& templates)
{
    if (m_ReadOnly)
        ThrowCOMError(E_FAIL, _bstr_t("Insufficent rights to write to the registry"));
    CheckTemplateNamesCanBeStored(templates);

    bool readOnly = false;
    CScopedRegKey templatesKey = RegOpenOrCreateKey(key, subKeyName, readOnly, true);
    if (!templatesKey)
        return;

    // Names compare exactly: a template renamed only in case loses its old
    // subkey here and is written afresh below.
    std::vector<std::string> storedNames;
    EnumerateSubKeys(templatesKey.get(), storedNames);
    for (const std::string& name : storedNames)
    {
        if (!templates.ContainsName(name))
            ::RegDeleteTreeA(templatesKey.get(), name.c_str());
    }

    for (const CSMSTemplate& item : templates)
    {
        CScopedRegKey templateKey = RegOpenOrCreateKey(templatesKey.get(), item.Name, readOnly, true);
        if (!templateKey)
            continue;
        SetString(templateKey.get(), kTemplateTextValue, item.Text);
    }
}

// Accessors: each copies under the object's lock; none saves.

std::string CConfigZentavoSMSOutlookAddin_UserPreferences::GetDefaultAddressBook()
{
    auto lock = LockSettings();
    return m_DefaultAddressBook;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetDefaultAddressBook(std::string value)
{
    auto lock = LockSettings();
    m_DefaultAddressBook = std::move(value);
}

std::string CConfigZentavoSMSOutlookAddin_UserPreferences::GetDefaultSendersId()
{
    auto lock = LockSettings();
    return m_DefaultSendersId;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetDefaultSendersId(std::string value)
{
    auto lock = LockSettings();
    m_DefaultSendersId = std::move(value);
}

bool CConfigZentavoSMSOutlookAddin_UserPreferences::GetDefaultSendersIdUseReplyable()
{
    auto lock = LockSettings();
    return m_DefaultSendersIdUseReplyable;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetDefaultSendersIdUseReplyable(bool value)
{
    auto lock = LockSettings();
    m_DefaultSendersIdUseReplyable = value;
}

bool CConfigZentavoSMSOutlookAddin_UserPreferences::GetDefaultSendersIdUseAccountSettings()
{
    auto lock = LockSettings();
    return m_DefaultSendersIdUseAccountSettings;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetDefaultSendersIdUseAccountSettings(bool value)
{
    auto lock = LockSettings();
    m_DefaultSendersIdUseAccountSettings = value;
}

std::string CConfigZentavoSMSOutlookAddin_UserPreferences::GetDefaultMessageSignature()
{
    auto lock = LockSettings();
    return m_DefaultMessageSignature;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetDefaultMessageSignature(std::string value)
{
    auto lock = LockSettings();
    m_DefaultMessageSignature = std::move(value);
}

bool CConfigZentavoSMSOutlookAddin_UserPreferences::GetCheckBalanceBeforeSending()
{
    auto lock = LockSettings();
    return m_CheckBalanceBeforeSending;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetCheckBalanceBeforeSending(bool value)
{
    auto lock = LockSettings();
    m_CheckBalanceBeforeSending = value;
}

bool CConfigZentavoSMSOutlookAddin_UserPreferences::GetShowCurrentBalance()
{
    auto lock = LockSettings();
    return m_ShowCurrentBalance;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetShowCurrentBalance(bool value)
{
    auto lock = LockSettings();
    m_ShowCurrentBalance = value;
}

bool CConfigZentavoSMSOutlookAddin_UserPreferences::GetWarnIfMsgBeingTruncated()
{
    auto lock = LockSettings();
    return m_WarnIfMsgBeingTruncated;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetWarnIfMsgBeingTruncated(bool value)
{
    auto lock = LockSettings();
    m_WarnIfMsgBeingTruncated = value;
}

bool CConfigZentavoSMSOutlookAddin_UserPreferences::GetSaveSentMsgsToSentItemsFolder()
{
    auto lock = LockSettings();
    return m_SaveSentMsgsToSentItemsFolder;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetSaveSentMsgsToSentItemsFolder(bool value)
{
    auto lock = LockSettings();
    m_SaveSentMsgsToSentItemsFolder = value;
}

bool CConfigZentavoSMSOutlookAddin_UserPreferences::GetEnableUserContextSupport()
{
    auto lock = LockSettings();
    return m_EnableUserContextSupport;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetEnableUserContextSupport(bool value)
{
    auto lock = LockSettings();
    m_EnableUserContextSupport = value;
}

bool CConfigZentavoSMSOutlookAddin_UserPreferences::GetRecipientEntryEditboxAutoCompleteEnabled()
{
    auto lock = LockSettings();
    return m_RecipientEntryEditboxAutoCompleteEnabled;
}

std::string CConfigZentavoSMSOutlookAddin_UserPreferences::GetUsersMobilePhoneNumber()
{
    auto lock = LockSettings();
    return m_UsersMobilePhoneNumber;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetUsersMobilePhoneNumber(std::string value)
{
    auto lock = LockSettings();
    m_UsersMobilePhoneNumber = std::move(value);
}

std::vector<std::string>& CConfigZentavoSMSOutlookAddin_UserPreferences::GetSelectableSendersIdList()
{
    {
        auto lock = LockSettings();
    }
    return m_SelectableSendersIdList;
}

bool CConfigZentavoSMSOutlookAddin_UserPreferences::GetSelectableSendersIdListAutoAdd()
{
    auto lock = LockSettings();
    return m_SelectableSendersIdListAutoAdd;
}

std::string CConfigZentavoSMSOutlookAddin_UserPreferences::GetDefaultAppointmentTemplateId()
{
    auto lock = LockSettings();
    return m_DefaultAppointmentTemplateId;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetDefaultAppointmentTemplateId(std::string value)
{
    auto lock = LockSettings();
    m_DefaultAppointmentTemplateId = std::move(value);
}

std::string CConfigZentavoSMSOutlookAddin_UserPreferences::GetDefaultAppointmentScheduleDescription()
{
    auto lock = LockSettings();
    return m_DefaultAppointmentScheduleDescription;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetDefaultAppointmentScheduleDescription(std::string value)
{
    auto lock = LockSettings();
    m_DefaultAppointmentScheduleDescription = std::move(value);
}

std::string CConfigZentavoSMSOutlookAddin_UserPreferences::GetUIRibbonSendSMSButton()
{
    auto lock = LockSettings();
    return m_UIRibbonSendSMSButton;
}

void CConfigZentavoSMSOutlookAddin_UserPreferences::SetUIRibbonSendSMSButton(std::string value)
{
    auto lock = LockSettings();
    m_UIRibbonSendSMSButton = std::move(value);
}
