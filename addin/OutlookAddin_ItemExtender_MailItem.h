// The extender for mail items: Reply Via SMS on the mail context menu, SMS Text Message under New Items. Its behaviour
// arrives with its ribbon; until then it keeps the do-nothing defaults.
#pragma once

#include "addin/OutlookAddin_ItemExtender.h"

class COutlookAddin_ItemExtender_MailItem : public COutlookAddin_ServicedItemExtender
{
};
