// The extender for contacts: send to and forward contacts from their context menus. Its behaviour
// arrives with its ribbon; until then it keeps the do-nothing defaults.
#pragma once

#include "addin/OutlookAddin_ItemExtender.h"

class COutlookAddin_ItemExtender_ContactItem : public COutlookAddin_ServicedItemExtender
{
};
