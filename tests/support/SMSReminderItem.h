// What the SMS reminder tests share about an appointment: the names of the
// user properties the reminder keeps on it, as Outlook stores them (the
// names are stored data: a change would lose every reminder already saved),
// and the test appointment's times.
#pragma once

#include <windows.h>

#include <oleauto.h>

namespace SMSReminderItem
{
constexpr char kTo[] = "ZentavoOLSMSAddinSMSReminderRecipientsTo";
constexpr char kMyMobile[] = "ZentavoOLSMSAddinSMSReminderRecipientsIncludeMyMobile";
constexpr char kSchedule[] = "ZentavoOLSMSAddinSMSReminderSchedule";
constexpr char kTemplate[] = "ZentavoOLSMSAddinSMSReminderFormatMessageTemplate";
constexpr char kFrom[] = "ZentavoOLSMSAddinSMSReminderFormatMessageFrom";
constexpr char kJobId[] = "ZentavoOLSMSAddinSMSReminderSMSGatewaySubmissionId";
constexpr char kStatus[] = "ZentavoOLSMSAddinServerSavedStatus";
constexpr char kUpdateCount[] = "ZentavoOLSMSAddinItemUpdateCount";

// 10 June 2030 (summer time in London) 14:30 to 15:00.
constexpr DATE kStart = 47644.0 + 14.5 / 24;
constexpr DATE kEnd = 47644.0 + 15.0 / 24;
} // namespace SMSReminderItem
