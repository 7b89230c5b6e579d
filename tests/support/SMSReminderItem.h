// What the SMS reminder tests share about an appointment: the names of the
// user properties the reminder keeps on it, as Outlook stores them (the
// names are stored data: a change would lose every reminder already saved),
// the test appointment's times, and reading and presetting those properties.
#pragma once

#include "tests/support/FakeOutlook.h"

#include <windows.h>

#include <oleauto.h>

#include <string>

namespace SMSReminderItem
{
constexpr char kTo[] = "ZentavoOLSMSAddinSMSReminderRecipientsTo";
constexpr char kMyMobile[] = "ZentavoOLSMSAddinSMSReminderRecipientsIncludeMyMobile";
constexpr char kSchedule[] = "ZentavoOLSMSAddinSMSReminderSchedule";
constexpr char kTemplate[] = "ZentavoOLSMSAddinSMSReminderFormatMessageTemplate";
constexpr char kFrom[] = "ZentavoOLSMSAddinSMSReminderFormatMessageFrom";
constexpr char kJobId[] = "ZentavoOLSMSAddinSMSReminderSMSGatewaySubmissionId";
constexpr char kJobOwner[] = "ZentavoOLSMSAddinSMSReminderSMSGatewaySubmissionOwner";
constexpr char kStatus[] = "ZentavoOLSMSAddinServerSavedStatus";
constexpr char kUpdateCount[] = "ZentavoOLSMSAddinItemUpdateCount";

// 10 June 2030 (summer time in London) 14:30 to 15:00.
constexpr DATE kStart = 47644.0 + 14.5 / 24;
constexpr DATE kEnd = 47644.0 + 15.0 / 24;

inline std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

inline CFakeUserProperties& PropertiesOf(const CFakeObjectPtr& item)
{
    return *CFakeUserProperties::Of(FakeCollectionOf(item->Value(L"UserProperties")));
}

// A user property's value as the item stores it, or "<absent>".
inline _variant_t Stored(const CFakeObjectPtr& item, const char* name)
{
    const CFakeObjectPtr property = PropertiesOf(item).Property(Wide(name));
    return property ? property->Value(L"Value") : _variant_t(L"<absent>");
}

// A user property on the item before the add-in sees it.
inline void Preset(const CFakeObjectPtr& item, const char* name, const _variant_t& value)
{
    PropertiesOf(item).Preset(Wide(name), value);
}
} // namespace SMSReminderItem
