#include "ui/SendSMSDlgToolbars.h"

#include "resources/resource.h"
#include "ui/DPIScaler.h"

#include <cstdio>

namespace
{
constexpr BYTE kAutoSize = TBSTYLE_AUTOSIZE;
constexpr BYTE kDropDown = TBSTYLE_AUTOSIZE | TBSTYLE_DROPDOWN;
constexpr BYTE kSeparator = TBSTYLE_SEP;
constexpr int kImageCount = 8;
constexpr int kAdvancedHiddenImage = 5;
constexpr int kAdvancedShownImage = 6;

BYTE WithFlag(BYTE state, BYTE flag, bool set)
{
    return static_cast<BYTE>(set ? state | flag : state & ~flag);
}
} // namespace

void CSendSMSDlg_ToolbarBase::SetBitmapForDPI()
{
    m_BitmapId = IDB_SENDSMS_TOOLBAR_19;
    m_ImageWidth = m_ImageHeight = 19;
    if (!m_pScaler)
        return;
    const int scaled = m_pScaler->ScaleX(19);
    if (scaled >= 34)
    {
        m_BitmapId = IDB_SENDSMS_TOOLBAR_38;
        m_ImageWidth = m_ImageHeight = 38;
    }
    else if (scaled >= 24)
    {
        m_BitmapId = IDB_SENDSMS_TOOLBAR_28;
        m_ImageWidth = m_ImageHeight = 28;
    }
}

void CSendSMSDlg_MainToolbar::PrepareButtons()
{
    m_Buttons = {
        {0, ID_SENDSMS_SEND, kAutoSize, L"Send SMS"},
        {3, 0, kSeparator, L""},
        {1, ID_SENDSMS_OPTIONS, kAutoSize, L"Options..."},
        {3, ID_SENDSMS_OPTIONS_SEPARATOR, kSeparator, L""},
        {2, ID_SENDSMS_HELP, kAutoSize, L"Help"},
        {3, 0, kSeparator, L""},
        {I_IMAGENONE, ID_SENDSMS_BALANCE, kDropDown, L"Available Balance: "},
        {3, ID_SENDSMS_BALANCE_SEPARATOR, kSeparator, L""},
        {kAdvancedHiddenImage, ID_SENDSMS_ADVANCED, kAutoSize, L"Advanced"},
    };
    m_ImageCount = kImageCount;
    SetBitmapForDPI();
    m_ControlId = IDC_SENDSMS_MAIN_TOOLBAR;
}

void CSendSMSDlg_MainToolbar::EnableButtonAndSeparator(UINT command, UINT separator, bool enabled, bool visible)
{
    SetButtonState(command,
                   WithFlag(WithFlag(GetButtonState(command), TBSTATE_ENABLED, enabled), TBSTATE_HIDDEN, !visible));
    SetButtonState(separator, WithFlag(GetButtonState(separator), TBSTATE_HIDDEN, !visible));
}

void CSendSMSDlg_MainToolbar::EnableOptionsButton(bool enabled, bool visible)
{
    EnableButtonAndSeparator(ID_SENDSMS_OPTIONS, ID_SENDSMS_OPTIONS_SEPARATOR, enabled, visible);
}

void CSendSMSDlg_MainToolbar::EnableBalanceButton(bool enabled, bool visible)
{
    EnableButtonAndSeparator(ID_SENDSMS_BALANCE, ID_SENDSMS_BALANCE_SEPARATOR, enabled, visible);
}

void CSendSMSDlg_MainToolbar::SetAdvancedButtonImage(bool advancedHidden)
{
    SetButtonImage(ID_SENDSMS_ADVANCED, advancedHidden ? kAdvancedHiddenImage : kAdvancedShownImage);
}

void CSendSMSDlg_MainToolbar::UpdateBalanceButton(bool show, std::int32_t balance, bool valid)
{
    std::string label;
    if (show)
    {
        label = "Available Balance: ";
        if (valid)
            label += std::to_string(balance);
    }
    const std::string currentLabel = GetButtonText(ID_SENDSMS_BALANCE);
    const BYTE currentState = GetButtonState(ID_SENDSMS_BALANCE);
    const BYTE state = WithFlag(currentState, TBSTATE_HIDDEN, !show);
    if (label == currentLabel && state == currentState)
        return;
    SetButtonText(ID_SENDSMS_BALANCE, label);
    SetButtonState(ID_SENDSMS_BALANCE, state);
    SetButtonState(ID_SENDSMS_BALANCE_SEPARATOR, state);
}

void CSendSMSDlg_AdvancedToolbar::PrepareButtons()
{
    m_Buttons = {
        {3, ID_SENDSMS_SCHEDULE, kAutoSize, L"Schedule Delivery"},
        {3, 0, kSeparator, L""},
        {4, ID_SENDSMS_DELIVERY_REPORTS, kAutoSize, L"Delivery Reports"},
    };
    m_ImageCount = kImageCount;
    SetBitmapForDPI();
    m_ControlId = IDC_SENDSMS_ADVANCED_TOOLBAR;
}

void CSendSMSDlg_AdvancedToolbar::SetScheduleButtonText(const SYSTEMTIME& time)
{
    std::string label = "Schedule Delivery";
    if (time.wDay != 0)
    {
        char month[32] = {};
        ::GetDateFormatA(LOCALE_USER_DEFAULT, 0, &time, "MMM", month, sizeof(month));
        char clock[8] = {};
        std::snprintf(clock, sizeof(clock), "%02u:%02u", static_cast<unsigned>(time.wHour), static_cast<unsigned>(time.wMinute));
        label += ": " + std::to_string(time.wDay) + " " + month + " " + clock;
    }
    SetButtonText(ID_SENDSMS_SCHEDULE, label);
}

void CSendSMSDlg_AdvancedToolbar::EnableForAuthMode(int authMode)
{
    const bool keepsReports = authMode == 2 || authMode == 4 || authMode == 5;
    const BYTE state = keepsReports ? TBSTATE_ENABLED : 0;
    SetButtonState(ID_SENDSMS_SCHEDULE, state);
    SetButtonState(ID_SENDSMS_DELIVERY_REPORTS, state);
}
