// The extender for contacts: send to and forward contacts from the contact
// context menu, and from the multiple-items menu when the selection holds a
// contact.
#pragma once

#include "addin/OutlookAddin_ItemExtender.h"

class COutlookAddin_ItemExtender_ContactItem : public COutlookAddin_ServicedItemExtender
{
public:
    void Ribbon_ButtonOnAction(IDispatchPtr control) override;
    // The multiple-items buttons show only for a selection with a contact;
    // anything else of this extender stays hidden.
    void Ribbon_GetVisible(IDispatchPtr control, long* visible) override;
    std::wstring GetContextMenusCustomUI() override;
};
