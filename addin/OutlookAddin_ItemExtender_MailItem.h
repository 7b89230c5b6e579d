// The extender for mail items: "Reply Via SMS" on a mail's context menu and
// "SMS Text Message" under New Items.
#pragma once

#include "addin/OutlookAddin_ItemExtender.h"

class COutlookAddin_ItemExtender_MailItem : public COutlookAddin_ServicedItemExtender
{
public:
    void Ribbon_ButtonOnAction(IDispatchPtr control) override;
    std::wstring GetContextMenusCustomUI() override;
};
