// The extender for the explorer window: a "ZentavoSMS" group with a large
// "Send SMS" button on the Home (mail) tab, hidden when the user's ribbon
// preference says "Hidden".
#pragma once

#include "addin/OutlookAddin_ItemExtender.h"

class COutlookAddin_ItemExtender_OutlookExplorer : public COutlookAddin_ServicedItemExtender
{
public:
    // Keeps the explorer ribbon for refreshes (a counted reference).
    void OnRibbonLoaded(IDispatchPtr ribbon) override;
    void Ribbon_ButtonOnAction(IDispatchPtr control) override;
    void Ribbon_GetVisible(IDispatchPtr control, long* visible) override;
    std::wstring GetRibbonTabsCustomUI() override;
    // Makes Outlook ask again whether the group is visible; nothing before a
    // ribbon has loaded.
    void UpdateCustomControls();

private:
    IDispatchPtr m_spRibbonUI;
};
