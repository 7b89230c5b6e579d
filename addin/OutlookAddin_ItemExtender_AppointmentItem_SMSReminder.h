// The extender for appointments: the SMS reminder on the appointment's ribbon tab. Its behaviour
// arrives with its ribbon; until then it keeps the do-nothing defaults.
#pragma once

#include "addin/OutlookAddin_ItemExtender.h"

class COutlookAddin_ItemExtender_AppointmentItem_SMSReminder : public COutlookAddin_ServicedItemExtender
{
};
