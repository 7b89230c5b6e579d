#include "addin/OutlookAddin_ItemExtender_AppointmentItem_SMSReminder.h"

#include "addin/DateTimeRelativeScheduledEvent.h"
#include "core/ErrorReports.h"

using CProperties = COutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Properties;

const char CProperties::kRecipientsTo[] = "ZentavoOLSMSAddinSMSReminderRecipientsTo";
const char CProperties::kRecipientsIncludeMyMobile[] = "ZentavoOLSMSAddinSMSReminderRecipientsIncludeMyMobile";
const char CProperties::kSchedule[] = "ZentavoOLSMSAddinSMSReminderSchedule";
const char CProperties::kFormatMessageTemplate[] = "ZentavoOLSMSAddinSMSReminderFormatMessageTemplate";
const char CProperties::kFormatMessageFrom[] = "ZentavoOLSMSAddinSMSReminderFormatMessageFrom";
const char CProperties::kSMSGatewaySubmissionId[] = "ZentavoOLSMSAddinSMSReminderSMSGatewaySubmissionId";
const char CProperties::kSMSGatewaySubmissionOwner[] = "ZentavoOLSMSAddinSMSReminderSMSGatewaySubmissionOwner";
const char CProperties::kServerSavedStatus[] = "ZentavoOLSMSAddinServerSavedStatus";
const char CProperties::kItemUpdateCount[] = "ZentavoOLSMSAddinItemUpdateCount";
const char CProperties::kUseReplyableId[] = "<Use Replyable Id>";

void CProperties::SetString(const std::string& name, const std::string& value)
{
    Set(name, _variant_t(value.c_str()));
}

std::wstring CProperties::GetText(const std::string& name) const
{
    const CComVariant* value = Find(name);
    return value && V_VT(value) == VT_BSTR && V_BSTR(value) ? V_BSTR(value) : L"";
}

bool CProperties::GetBool(const std::string& name, bool defaultValue) const
{
    const CComVariant* value = Find(name);
    return value ? COutlookAddin_UserPropertiesPersistance::GetVariantAsBool(*value) : defaultValue;
}

std::string CProperties::GetRecipientsTo() const
{
    return GetString(kRecipientsTo, "");
}

void CProperties::SetRecipientsTo(const std::string& value)
{
    SetString(kRecipientsTo, value);
}

bool CProperties::GetRecipientsIncludeMyMobile() const
{
    return GetBool(kRecipientsIncludeMyMobile, false);
}

void CProperties::SetRecipientsIncludeMyMobile(bool value)
{
    Set(kRecipientsIncludeMyMobile, _variant_t(value));
}

std::string CProperties::GetSchedule() const
{
    return GetString(kSchedule, "");
}

void CProperties::SetSchedule(const std::string& value)
{
    SetString(kSchedule, value);
}

std::string CProperties::GetFormatMessageTemplate() const
{
    return GetString(kFormatMessageTemplate, "");
}

void CProperties::SetFormatMessageTemplate(const std::string& value)
{
    SetString(kFormatMessageTemplate, value);
}

std::string CProperties::GetFormatMessageFrom() const
{
    return GetString(kFormatMessageFrom, "");
}

void CProperties::SetFormatMessageFrom(const std::string& value)
{
    SetString(kFormatMessageFrom, value);
}

std::string CProperties::GetSMSGatewaySubmissionId() const
{
    return GetString(kSMSGatewaySubmissionId, "");
}

void CProperties::SetSMSGatewaySubmissionId(const std::string& value)
{
    SetString(kSMSGatewaySubmissionId, value);
}

std::string CProperties::GetSMSGatewaySubmissionOwner() const
{
    return GetString(kSMSGatewaySubmissionOwner, "");
}

void CProperties::SetSMSGatewaySubmissionOwner(const std::string& value)
{
    SetString(kSMSGatewaySubmissionOwner, value);
}

std::string CProperties::GetServerSavedStatus() const
{
    return GetString(kServerSavedStatus, "");
}

void CProperties::SetServerSavedStatus(const std::string& value)
{
    SetString(kServerSavedStatus, value);
}

void CProperties::LoadFromUserProperties(IDispatch* userProperties, const std::string& prefix)
{
    CNameVariantCollection stored;
    COutlookAddin_UserPropertiesPersistance::LoadNameVariantCollectionFromUserProperties(stored, userProperties,
                                                                                        prefix);
    TakeReadable(stored);
}

void CProperties::TakeReadable(const CNameVariantCollection& stored)
{
    for (const auto& entry : stored.GetEntries())
    {
        const std::string& name = entry.first;
        try
        {
            // Read as the reminder reads it: the flag as a flag, every other
            // entry as text.
            if (name == kRecipientsIncludeMyMobile)
                COutlookAddin_UserPropertiesPersistance::GetVariantAsBool(entry.second);
            else
                stored.GetString(name, "");
            Set(name, entry.second);
        }
        catch (...)
        {
            ReportCurrentException(
                "COutlookAddin_ItemExtender_AppointmentItem_SMSReminder_Properties::LoadFromUserProperties:Reading " +
                name);
        }
    }
}

bool CProperties::IsSMSReminderOn() const
{
    return !GetRecipientsTo().empty() || GetRecipientsIncludeMyMobile();
}

bool CProperties::Validate(std::vector<std::string>& errors) const
{
    const size_t before = errors.size();
    const std::string schedule = GetSchedule();
    if (schedule.empty())
        errors.push_back("Please enter Reminder Schedule");
    else if (!CDateTimeRelativeScheduledEvent::IsValidScheduleText(schedule))
        errors.push_back("The Reminder Schedule entered is not valid");
    return errors.size() == before;
}
