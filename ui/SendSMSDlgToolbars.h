// The Send SMS window's two toolbars: the main one (Send SMS, Options...,
// Help, the balance button, Advanced) and the advanced one (Schedule
// Delivery, Delivery Reports) that the Advanced button shows on a second
// rebar row.
#pragma once

#include "ui/ZentavoToolbars.h"

#include <cstdint>

class CSendSMSDlg_ToolbarBase : public CZentavoToolbar
{
public:
    using CZentavoToolbar::CZentavoToolbar;

protected:
    // The strip whose images suit the screen: 19 pixels at 96 dpi, 28 from
    // 24 scaled pixels, 38 from 34.
    void SetBitmapForDPI();
};

class CSendSMSDlg_MainToolbar : public CSendSMSDlg_ToolbarBase
{
public:
    using CSendSMSDlg_ToolbarBase::CSendSMSDlg_ToolbarBase;

    void EnableOptionsButton(bool enabled, bool visible);
    void EnableBalanceButton(bool enabled, bool visible);
    void SetAdvancedButtonImage(bool advancedHidden);
    // "Available Balance: " and the balance when valid; hidden when not
    // shown. Writes only on a change, so a steady balance never repaints.
    void UpdateBalanceButton(bool show, std::int32_t balance, bool valid);

protected:
    void PrepareButtons() override;

private:
    void EnableButtonAndSeparator(UINT command, UINT separator, bool enabled, bool visible);
};

class CSendSMSDlg_AdvancedToolbar : public CSendSMSDlg_ToolbarBase
{
public:
    using CSendSMSDlg_ToolbarBase::CSendSMSDlg_ToolbarBase;

    // "Schedule Delivery", with ": 5 Mar 09:07" when the day is not 0; the
    // month in the user's default locale.
    void SetScheduleButtonText(const SYSTEMTIME& time);
    // Scheduling and reports need an account that keeps them: modes 2, 4, 5.
    void EnableForAuthMode(int authMode);

protected:
    void PrepareButtons() override;
};
