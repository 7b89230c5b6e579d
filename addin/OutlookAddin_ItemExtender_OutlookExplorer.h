// The extender for the explorer window: the Send SMS group on the Home tab. Its behaviour
// arrives with its ribbon; until then it keeps the do-nothing defaults.
#pragma once

#include "addin/OutlookAddin_ItemExtender.h"

class COutlookAddin_ItemExtender_OutlookExplorer : public COutlookAddin_ServicedItemExtender
{
};
