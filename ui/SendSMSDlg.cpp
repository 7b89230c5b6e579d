#include "ui/SendSMSDlg.h"

#include "addin/OutlookAddinFix.h"
#include "addin/OutlookVersionCapabilites.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/DateTimeUtils.h"
#include "core/ErrorReports.h"
#include "core/GSMUtils.h"
#include "core/StringUtils.h"
#include "platform/ModuleInstance.h"
#include "ui/AboutDlg.h"
#include "ui/BitmapFile.h"
#include "ui/ContactSelectorDlg.h"
#include "ui/ZentavoSMSOutlookAddinSettingsDlg.h"

#include <algorithm>
#include <vector>

namespace
{
// A UI policy text: "Disabled" greys the control, "Hidden" hides it; any
// other text, in any other letter case, leaves it alone.
bool PolicyEnables(const std::string& policy)
{
    return policy != UIPolicyDisabled;
}
bool PolicyShows(const std::string& policy)
{
    return policy != UIPolicyHidden;
}

std::string WithSingleCarriageReturns(std::string text)
{
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 1))
        text.erase(at + 1, 1);
    return text;
}
} // namespace

CSendSMSDlg::CSendSMSDlg() = default;
CSendSMSDlg::~CSendSMSDlg()
{
    m_ACEditTo.SetAsyncListProvider(nullptr);
}

CMessageTable<CSendSMSDlg> CSendSMSDlg::GetMessageTable()
{
    using Entry = CMessageEntry<CSendSMSDlg>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CSendSMSDlg::OnInitDialog, "CSendSMSDlg::OnInitDialog"),
        Entry::Message(WM_SYSCOMMAND, &CSendSMSDlg::OnSysCommand, "CSendSMSDlg::OnSysCommand"),
        Entry::Message(WM_SIZE, &CSendSMSDlg::OnSize, "CSendSMSDlg::OnSize"),
        Entry::Message(WM_SIZING, &CZentavoWindowHelper::OnSizing, "CZentavoWindowHelper::OnSizing"),
        Entry::Message(WM_TIMER, &CSendSMSDlg::OnTimer, "CSendSMSDlg::OnTimer"),
        Entry::Message(WM_USER_RESETFROMTEXT, &CSendSMSDlg::OnUserMsg_ResetFromText,
                       "CSendSMSDlg::OnUserMsg_ResetFromText"),
        Entry::Command(IDCANCEL, &CSendSMSDlg::OnCancel, "CSendSMSDlg::OnCancel"),
        Entry::Command(ID_SENDSMS_HELP, &CSendSMSDlg::OnHelp, "CSendSMSDlg::OnHelp"),
        Entry::Command(ID_SENDSMS_OPTIONS, &CSendSMSDlg::Toolbar_ShowOptions, "CSendSMSDlg::Toolbar_ShowOptions"),
        Entry::Command(ID_SENDSMS_ADVANCED, &CSendSMSDlg::OnShowAdvancedToolbar, "CSendSMSDlg::OnShowAdvancedToolbar"),
        Entry::Command(IDC_SENDSMS_REPLIES, &CSendSMSDlg::AllowReplies_OnClicked, "CSendSMSDlg::AllowReplies_OnClicked",
                       BN_CLICKED),
        Entry::Command(IDC_SENDSMS_TEXT, &CSendSMSDlg::Text_OnChange, "CSendSMSDlg::Text_OnChange", EN_CHANGE),
        Entry::Command(IDC_SENDSMS_FROM, &CSendSMSDlg::From_OnSelChange, "CSendSMSDlg::From_OnSelChange",
                       CBN_SELCHANGE),
        Entry::Command(IDC_SENDSMS_FROM_LIST, &CSendSMSDlg::From_OnSelChange, "CSendSMSDlg::From_OnSelChange",
                       CBN_SELCHANGE),
        Entry::Command(IDC_SENDSMS_FROM, &CSendSMSDlg::From_OnChange, "CSendSMSDlg::From_OnChange", CBN_EDITCHANGE),
        Entry::Command(IDC_SENDSMS_FROM_LIST, &CSendSMSDlg::From_OnChange, "CSendSMSDlg::From_OnChange",
                       CBN_EDITCHANGE),
        Entry::Command(IDC_SENDSMS_TO_BUTTON, &CSendSMSDlg::OnSelectRecipients, "CSendSMSDlg::OnSelectRecipients"),
        Entry::Notify(kAnyControl, RBN_HEIGHTCHANGE, &CSendSMSDlg::Toolbar_Notify_HeightChanged,
                      "CSendSMSDlg::Toolbar_Notify_HeightChanged"),
        Entry::Command(ID_SENDSMS_SEND, &CSendSMSDlg::Toolbar_SendMessage, "CSendSMSDlg::Toolbar_SendMessage",
                       BN_CLICKED),
        Entry::Command(ID_SENDSMS_SCHEDULE, &CSendSMSDlg::Toolbar_ScheduleSubmission,
                       "CSendSMSDlg::Toolbar_ScheduleSubmission", BN_CLICKED),
        Entry::Command(ID_SENDSMS_DELIVERY_REPORTS, &CSendSMSDlg::Toolbar_DeliveryReports,
                       "CSendSMSDlg::Toolbar_DeliveryReports", BN_CLICKED),
        Entry::Command(ID_BALANCE_REFRESH, &CSendSMSDlg::OnRefreshBalance, "CSendSMSDlg::OnRefreshBalance"),
        Entry::Command(ID_BALANCE_BUYCREDITS, &CSendSMSDlg::OnBuyCredits, "CSendSMSDlg::OnBuyCredits"),
        Entry::Notify(IDC_SENDSMS_MAIN_TOOLBAR, TBN_DROPDOWN, &CSendSMSDlg::Toolbar_Notify_DropDown,
                      "CSendSMSDlg::Toolbar_Notify_DropDown"),
        Entry::Message(WM_CLOSE, &CSendSMSDlg::OnClose, "CSendSMSDlg::OnClose"),
        Entry::Message(WM_LBUTTONDOWN, &CSendSMSDlg::OnLButtonDown, "CSendSMSDlg::OnLButtonDown"),
        Entry::Command(IDC_SENDSMS_TO, &CSendSMSDlg::OnACEdit_Change, "CSendSMSDlg::OnACEdit_Change", EN_CHANGE),
        Entry::Command(IDC_SENDSMS_TO, &CSendSMSDlg::OnACEdit_Change, "CSendSMSDlg::OnACEdit_Change", CBN_EDITCHANGE),
        Entry::Command(IDC_SENDSMS_TO, &CSendSMSDlg::OnACEdit_KillFocus, "CSendSMSDlg::OnACEdit_KillFocus",
                       EN_KILLFOCUS),
        Entry::Command(IDC_SENDSMS_TO, &CSendSMSDlg::OnACEdit_KillFocus, "CSendSMSDlg::OnACEdit_KillFocus",
                       CBN_KILLFOCUS),
        Entry::Command(IDC_SENDSMS_TO, &CSendSMSDlg::OnACEdit_OnCloseList, "CSendSMSDlg::OnACEdit_OnCloseList",
                       CBN_DROPDOWN),
        Entry::Chain(&CPaintBkgnd<CSendSMSDlg>::ProcessPaintBkgndMessage, "CPaintBkgnd::ProcessPaintBkgndMessage"),
    };
    return entries;
}

LRESULT CSendSMSDlg::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    RunInErrorFrame("CSendSMSDlg::OnInitDialog", [this](std::string& step) { InitialiseWindow(step); });
    return TRUE;
}

void CSendSMSDlg::InitialiseWindow(std::string& step)
{
    CZentavoSMSOutlookPlugin& plugin = Plugin();
    CConfigZentavoSMSOutlookAddin_Config& config = plugin.m_Config;
    CConfigZentavoSMSOutlookAddin_UserPreferences& preferences = plugin.m_UserPreferences;

    const HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE);
    if (systemMenu)
    {
        ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(systemMenu, MF_STRING, IDM_ABOUTBOX, "About...");
    }

    plugin.SetupDialogBackground(this);
    plugin.SetupToolbarBackground(&m_Toolbars);

    // Shared icons belong to the module; the window only shows them.
    const HINSTANCE module = GetThisModuleInstance();
    Send(WM_SETICON, ICON_SMALL,
         reinterpret_cast<LPARAM>(::LoadImageA(module, MAKEINTRESOURCEA(IDI_SENDSMS), IMAGE_ICON, 16, 16, LR_SHARED)));
    Send(WM_SETICON, ICON_BIG,
         reinterpret_cast<LPARAM>(::LoadImageA(module, MAKEINTRESOURCEA(IDI_SENDSMS), IMAGE_ICON, 32, 32, LR_SHARED)));

    m_DPIScaler.Init(m_hWnd);
    CreateToolbars();
    LoadLogo();
    COutlookAddinFix::RegisterWindow(m_hWnd);
    plugin.CheckConfiguration();

    if (config.m_FromFieldEntryMode == 1)
    {
        ShowControl(IDC_SENDSMS_FROM, false);
        ShowControl(IDC_SENDSMS_FROM_LIST, true);
        m_FromControlId = IDC_SENDSMS_FROM_LIST;
    }

    m_UseAccountSettings = preferences.GetDefaultSendersIdUseAccountSettings();
    std::string senderText = preferences.GetDefaultSendersId();
    const bool replyable = preferences.GetDefaultSendersIdUseReplyable();
    if (m_UseAccountSettings)
    {
        m_ShowUseAccountSettings = true;
        senderText = kUseAccountSettings;
    }
    PopulateFromComboBox();
    SetFromText(senderText);
    ::SendDlgItemMessageA(m_hWnd, IDC_SENDSMS_REPLIES, BM_SETCHECK, replyable ? BST_CHECKED : BST_UNCHECKED, 0);

    const std::string optionsPolicy = config.GetUIOptionsButton();
    m_MainToolbar.EnableOptionsButton(PolicyEnables(optionsPolicy), PolicyShows(optionsPolicy));
    const std::string balancePolicy = config.GetUIAvailableBalanceButton();
    m_MainToolbar.EnableBalanceButton(PolicyEnables(balancePolicy), PolicyShows(balancePolicy));
    const std::string repliesPolicy = config.GetUIAllowRepliesCheckbox();
    CWindow(GetDlgItem(IDC_SENDSMS_REPLIES)).Enable(PolicyEnables(repliesPolicy));
    ShowControl(IDC_SENDSMS_REPLIES, PolicyShows(repliesPolicy));

    UpdateFromFieldState();

    using Placement = CControlPlacementManager;
    const UINT topLeft = Placement::kAnchorLeft | Placement::kAnchorTop;
    for (UINT id : {static_cast<UINT>(IDC_SENDSMS_FROM_LABEL), m_FromControlId, static_cast<UINT>(IDC_SENDSMS_REPLIES),
                    static_cast<UINT>(IDC_SENDSMS_CONTEXT), static_cast<UINT>(IDC_SENDSMS_CONTEXT_LABEL),
                    static_cast<UINT>(IDC_SENDSMS_TO_BUTTON)})
        m_ControlPlacement.AddControl(id, topLeft);
    m_ControlPlacement.AddControl(IDC_SENDSMS_TO, topLeft | Placement::kStretchWidth);
    m_ControlPlacement.AddControl(IDC_SENDSMS_TEXT, topLeft | Placement::kStretchWidth | Placement::kStretchHeight);
    for (UINT id : {IDC_SENDSMS_CHARS_LEFT_LABEL, IDC_SENDSMS_CHARS_LEFT, IDC_SENDSMS_PARTS_LABEL, IDC_SENDSMS_PARTS})
        m_ControlPlacement.AddControl(id, Placement::kAnchorLeft | Placement::kAnchorBottom);
    m_ControlPlacement.AddControl(m_Toolbars.GetRebarWindow(), Placement::kStretchWidth);
    m_ControlPlacement.RecordLayout(m_hWnd);

    SetUserContextMode(preferences.GetEnableUserContextSupport());
    m_nMinWidth = 320;
    m_nMinHeight = 220;

    const std::string signature = preferences.GetDefaultMessageSignature();
    if (!signature.empty())
        ::SetDlgItemTextA(m_hWnd, IDC_SENDSMS_TEXT, ("\r\n\r\n" + signature).c_str());
    UpdateCharacterCount();

    plugin.UpdateBalanceClientAccessKeys();
    RefreshBalance();
    UpdateBalanceDisplay();

    m_DeliveryReportMode = preferences.m_DefaultDeliveryReportSetting;
    m_DeliveryReportStatusMask = preferences.m_DefaultDeliveryReportStatusFilter;

    SetupAutoComplete(step);

    step = "Setting up Controls";
    m_AdvancedToolbar.EnableForAuthMode(config.m_AuthMode);
    if (m_Toolbars.GetMode() == CZentavoToolbars::kModeRebar)
        ApplyToolbarHeight(m_Toolbars.GetRebarWindow());
    ::SetTimer(m_hWnd, kBalanceTimer, kBalancePollMs, nullptr);
}

void CSendSMSDlg::CreateToolbars()
{
    m_Toolbars.SetMode(CZentavoToolbars::kModeRebar);
    m_Toolbars.Create(m_hWnd);
    ::SetWindowLongPtrA(m_Toolbars.GetRebarWindow(), GWLP_ID, IDC_SENDSMS_TOOLBAR_HOST);

    m_MainToolbar.SetDPIScaler(&m_DPIScaler);
    m_MainToolbar.Create(m_hWnd, IDC_SENDSMS_MAIN_TOOLBAR);
    m_Toolbars.AddToolbarBand(m_MainToolbar);

    m_AdvancedToolbar.SetDPIScaler(&m_DPIScaler);
    m_AdvancedToolbar.Create(m_hWnd, IDC_SENDSMS_ADVANCED_TOOLBAR);
    m_Toolbars.AddToolbarBand(m_AdvancedToolbar);
    m_Toolbars.ModifyBandStyle(IDC_SENDSMS_ADVANCED_TOOLBAR, RBBS_BREAK | RBBS_HIDDEN, 0);
}

// "Logo.bmp" beside the module, when there is one that loads.
void CSendSMSDlg::LoadLogo()
{
    char modulePath[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(GetThisModuleInstance(), modulePath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::string path(modulePath, length);
    const size_t slash = path.find_last_of("\\/");
    path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "Logo.bmp";
    if (!FileExists(path.c_str()))
        return;
    const CScopedWindowDC dc({m_hWnd, ::GetDC(m_hWnd)});
    m_Logo.reset(CBitmapFile().LoadBitmapFile(path, dc.get().dc));
    if (m_Logo)
        ::SendDlgItemMessageA(m_hWnd, IDC_SENDSMS_LOGO, STM_SETIMAGE, IMAGE_BITMAP,
                              reinterpret_cast<LPARAM>(m_Logo.get()));
}

void CSendSMSDlg::ShowControl(UINT controlId, bool show)
{
    CWindow(GetDlgItem(static_cast<int>(controlId))).Show(show ? SW_SHOW : SW_HIDE);
}

void CSendSMSDlg::OnFinalMessage(HWND window) noexcept
{
    // Closed some other way than CloseWindow: the keyboard fix must not
    // keep the dead handle.
    COutlookAddinFix::UnregisterWindow(window);
    CZentavoAxDialogImpl<CSendSMSDlg>::OnFinalMessage(window);
    delete this;
}

void CSendSMSDlg::CloseWindow()
{
    COutlookAddinFix::UnregisterWindow(m_hWnd);
    DestroyWindow();
}

LRESULT CSendSMSDlg::OnCancel(UINT, WPARAM, LPARAM, bool&)
{
    CloseWindow();
    return 0;
}

LRESULT CSendSMSDlg::OnSysCommand(UINT, WPARAM wParam, LPARAM, bool& handled)
{
    if ((wParam & 0xFFF0) != IDM_ABOUTBOX)
    {
        handled = false;
        return 0;
    }
    CAboutDlg about;
    ShowModal(about, ::GetActiveWindow(), IfOwnerGoes::kNoAnswer);
    return 0;
}

LRESULT CSendSMSDlg::OnHelp(UINT, WPARAM, LPARAM, bool&)
{
    Plugin().ShowSendSMSHelpPage();
    return 0;
}

// A login or logout on the Login Details page is stored at once and
// survives Cancel, so the window catches up whatever the sheet answered.
LRESULT CSendSMSDlg::Toolbar_ShowOptions(UINT, WPARAM, LPARAM, bool&)
{
    {
        CZentavoSMSOutlookAddinSettingsDlg settings("ZentavoSMS Outlook Add-in Settings");
        settings.SetServices(m_pAddinServices);
        settings.Show(::GetActiveWindow());
    }
    CZentavoSMSOutlookPlugin& plugin = Plugin();
    plugin.UpdateBalanceClientAccessKeys();
    RefreshBalance();
    // Another account's balance is unknown until its refresh: shown so at
    // once, not at the next tick.
    UpdateBalanceDisplay();
    SetUserContextMode(plugin.m_UserPreferences.GetEnableUserContextSupport());
    m_AdvancedToolbar.EnableForAuthMode(plugin.m_Config.m_AuthMode);
    UpdateCharacterCount();
    return 0;
}

// Message text and recipients.

// A multi-line edit sends no EN_CHANGE for a text set from outside, so the
// counters are brought up to date here.
void CSendSMSDlg::SetMessageText(const std::string& text)
{
    ::SetDlgItemTextA(m_hWnd, IDC_SENDSMS_TEXT, text.c_str());
    UpdateCharacterCount();
}

void CSendSMSDlg::SetRecipientsText(const std::string& text)
{
    ::SetDlgItemTextA(m_hWnd, IDC_SENDSMS_TO, text.c_str());
}

void CSendSMSDlg::SetRecipientsFromContactList(const CSMSContactVector& contacts)
{
    SetRecipientsText(CSMSContactUtils::GenerateContactCSVList(contacts));
}

void CSendSMSDlg::SetFocusToMessageText()
{
    if (const HWND text = GetDlgItem(IDC_SENDSMS_TEXT))
        ::SetFocus(text);
}

void CSendSMSDlg::SetFocusToRecipients()
{
    if (const HWND to = GetDlgItem(IDC_SENDSMS_TO))
        ::SetFocus(to);
}

void CSendSMSDlg::GetSMSContactList(CSMSContactVector& contacts)
{
    try
    {
        CSMSContactUtils::ParseContactCSVList(GetControlText(IDC_SENDSMS_TO), contacts);
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CSendSMSDlg::GetSMSContactList");
    }
}

std::string CSendSMSDlg::GetControlText(UINT controlId) const
{
    const int length = static_cast<int>(::SendDlgItemMessageA(m_hWnd, static_cast<int>(controlId), WM_GETTEXTLENGTH, 0, 0));
    std::vector<char> buffer(static_cast<size_t>(length) + 10, '\0');
    const UINT copied = ::GetDlgItemTextA(m_hWnd, static_cast<int>(controlId), buffer.data(), length + 10);
    return std::string(buffer.data(), copied);
}

std::wstring CSendSMSDlg::GetControlTextW(UINT controlId) const
{
    const HWND control = GetDlgItem(static_cast<int>(controlId));
    std::vector<wchar_t> buffer(static_cast<size_t>(::GetWindowTextLengthW(control)) + 10, L'\0');
    const int copied = ::GetWindowTextW(control, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), static_cast<size_t>(std::max(copied, 0)));
}

int CSendSMSDlg::GetTextMessageLength(const std::string& text)
{
    return CGSMUtils::GetMessageLength(WithSingleCarriageReturns(text));
}

int CSendSMSDlg::GetTextNumberOfParts(const std::string& text)
{
    return CGSMUtils::GetNumberOfPartsForText(WithSingleCarriageReturns(text));
}

LRESULT CSendSMSDlg::Text_OnChange(UINT, WPARAM, LPARAM, bool&)
{
    UpdateCharacterCount();
    return 0;
}

// "Chars Left" counts down within the configured number of parts and goes
// negative beyond it; "Message Parts" stops at the maximum.
void CSendSMSDlg::UpdateCharacterCount()
{
    const int length = GetTextMessageLength(GetControlText(IDC_SENDSMS_TEXT));
    const int parts = std::min(CGSMUtils::GetNumberOfParts(length), Preferences().m_MaxMsgParts);
    const int capacity = CGSMUtils::GetMaxMessageLength(parts);
    ::SetDlgItemTextA(m_hWnd, IDC_SENDSMS_CHARS_LEFT, std::to_string(capacity - length).c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_SENDSMS_PARTS, std::to_string(parts).c_str());
}

// The recipient selector.

LRESULT CSendSMSDlg::OnSelectRecipients(UINT, WPARAM, LPARAM, bool&)
{
    CContactSelectorDlg selector;
    selector.SetOutlookApplication(m_OutlookApplication);
    GetSMSContactList(selector.Contacts());
    // A selector that cannot be created is an error to show, not a Cancel.
    if (selector.RunSelector(::GetActiveWindow()))
        SetRecipientsFromContactList(selector.Contacts());
    return 0;
}

// The From row.

void CSendSMSDlg::SetUserContextMode(bool on)
{
    if (on == m_UserContextMode)
        return;
    for (UINT id : {m_FromControlId, static_cast<UINT>(IDC_SENDSMS_FROM_LABEL), static_cast<UINT>(IDC_SENDSMS_REPLIES)})
        ShowControl(id, !on);
    ShowControl(IDC_SENDSMS_CONTEXT_LABEL, on);
    ShowControl(IDC_SENDSMS_CONTEXT, on);
    m_UserContextMode = on;
}

void CSendSMSDlg::UpdateFromFieldState()
{
    const std::string policy = Plugin().m_Config.GetUIFromFieldEditbox();
    const bool replyable =
        ::SendDlgItemMessageA(m_hWnd, IDC_SENDSMS_REPLIES, BM_GETCHECK, 0, 0) == BST_CHECKED;
    CWindow(GetDlgItem(static_cast<int>(m_FromControlId))).Enable(!replyable && PolicyEnables(policy));
    ShowControl(m_FromControlId, PolicyShows(policy));
}

LRESULT CSendSMSDlg::AllowReplies_OnClicked(UINT, WPARAM, LPARAM, bool&)
{
    UpdateFromFieldState();
    return 0;
}

void CSendSMSDlg::PopulateFromComboBox()
{
    const std::vector<std::string>& senders = Preferences().GetSelectableSendersIdList();
    const int id = static_cast<int>(m_FromControlId);
    auto add = [&](const std::string& text, LPARAM data) {
        const LRESULT index = ::SendDlgItemMessageA(m_hWnd, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        ::SendDlgItemMessageA(m_hWnd, id, CB_SETITEMDATA, static_cast<WPARAM>(index), data);
    };
    ::SendDlgItemMessageA(m_hWnd, id, CB_RESETCONTENT, 0, 0);
    for (const std::string& sender : senders)
        add(sender, kFromItemSenderId);
    add(kUseAccountSettings, kFromItemAccountSettings);
    if (m_FromControlId != IDC_SENDSMS_FROM_LIST)
        add(kClearList, kFromItemClearList);
}

void CSendSMSDlg::SetFromText(const std::string& text)
{
    const int id = static_cast<int>(m_FromControlId);
    if (m_FromControlId != IDC_SENDSMS_FROM_LIST)
    {
        ::SetDlgItemTextA(m_hWnd, id, text.c_str());
        return;
    }
    const LRESULT index =
        ::SendDlgItemMessageA(m_hWnd, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (index != CB_ERR)
        ::SendDlgItemMessageA(m_hWnd, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

LRESULT CSendSMSDlg::From_OnSelChange(UINT, WPARAM, LPARAM, bool&)
{
    m_UseAccountSettings = false;
    // An editable combo box still shows the previous sender here: that is
    // what the reset message puts back after "Clear List....".
    m_FromTextToRestore = GetControlText(m_FromControlId);
    const int id = static_cast<int>(m_FromControlId);
    const LRESULT index = ::SendDlgItemMessageA(m_hWnd, id, CB_GETCURSEL, 0, 0);
    const LRESULT data = ::SendDlgItemMessageA(m_hWnd, id, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (data == kFromItemClearList)
    {
        const CModalEnd answer = ShowMessageBox(m_hWnd, "Are you sure you want to clear the Sender's Id list?",
                                                kAddinMessageBoxCaption, MB_YESNO | MB_ICONQUESTION);
        if (answer.Is(IDYES))
        {
            Preferences().GetSelectableSendersIdList().clear();
            PopulateFromComboBox();
        }
        Post(WM_USER_RESETFROMTEXT);
    }
    else if (data == kFromItemAccountSettings)
    {
        m_UseAccountSettings = true;
    }
    return 0;
}

LRESULT CSendSMSDlg::OnUserMsg_ResetFromText(UINT, WPARAM, LPARAM, bool&)
{
    SetFromText(m_FromTextToRestore);
    return 0;
}

// Typing over "<Use Account Settings>" keeps what was typed: a character
// (or a paste) before or after the placeholder replaces it; an edit inside
// it empties the field; replacing the whole placeholder leaves the text be.
LRESULT CSendSMSDlg::From_OnChange(UINT, WPARAM, LPARAM, bool&)
{
    if (!m_UseAccountSettings)
        return 0;
    const std::string text = GetControlText(m_FromControlId);
    const std::string placeholder = kUseAccountSettings;
    const size_t length = placeholder.size();
    if (text.size() + 1 >= length)
    {
        std::string typed;
        if (text.size() > length && text.compare(0, length, placeholder) == 0)
            typed = text.substr(length);
        else if (text.size() > length && text.compare(text.size() - length, length, placeholder) == 0)
            typed = text.substr(0, text.size() - length);
        SetFromText(typed);
        if (!typed.empty())
        {
            const WORD caret = static_cast<WORD>(typed.size());
            ::SendDlgItemMessageA(m_hWnd, static_cast<int>(m_FromControlId), CB_SETEDITSEL, 0, MAKELPARAM(caret, caret));
        }
    }
    m_UseAccountSettings = false;
    return 0;
}

void CSendSMSDlg::UpdateSelectableSendersIdList(const std::string& senderId)
{
    CConfigZentavoSMSOutlookAddin_UserPreferences& preferences = Preferences();
    if (!preferences.GetSelectableSendersIdListAutoAdd())
        return;
    std::vector<std::string>& senders = preferences.GetSelectableSendersIdList();
    const int maximum = preferences.m_SelectableSendersIdListMaxLength;
    if (maximum < 1)
    {
        senders.clear();
        return;
    }
    const auto known = std::find(senders.begin(), senders.end(), senderId);
    if (known != senders.end())
        senders.erase(known);
    // Room for the new id at the front, for every maximum of 1 and above.
    if (senders.size() >= static_cast<size_t>(maximum))
        senders.resize(static_cast<size_t>(maximum - 1));
    senders.insert(senders.begin(), senderId);
}

// Balance.

LRESULT CSendSMSDlg::OnTimer(UINT, WPARAM, LPARAM, bool&)
{
    UpdateBalanceDisplay();
    return 0;
}

void CSendSMSDlg::RefreshBalance()
{
    CConfigZentavoSMSOutlookAddin_UserPreferences& preferences = Preferences();
    if (preferences.GetShowCurrentBalance() || preferences.GetCheckBalanceBeforeSending())
        Plugin().m_BalanceClient.RequestBalanceRefresh();
}

void CSendSMSDlg::UpdateBalanceDisplay()
{
    bool valid = false;
    const std::int32_t balance = Plugin().m_BalanceClient.GetLastBalance(valid);
    ShowBalance(balance, valid);
}

// Only the modes with an account balance show it.
void CSendSMSDlg::ShowBalance(std::int32_t balance, bool valid)
{
    CZentavoSMSOutlookPlugin& plugin = Plugin();
    const int mode = plugin.m_Config.m_AuthMode;
    const bool show = plugin.m_UserPreferences.GetShowCurrentBalance() && (mode == 1 || mode == 2 || mode == 5) &&
                      PolicyShows(plugin.m_Config.GetUIAvailableBalanceButton());
    m_MainToolbar.UpdateBalanceButton(show, balance, valid);
}

// Toolbars and layout.

LRESULT CSendSMSDlg::OnShowAdvancedToolbar(UINT, WPARAM, LPARAM, bool&)
{
    const UINT style = m_Toolbars.GetBandStyle(IDC_SENDSMS_ADVANCED_TOOLBAR) ^ RBBS_HIDDEN;
    m_Toolbars.SetBandStyle(IDC_SENDSMS_ADVANCED_TOOLBAR, style);
    m_MainToolbar.SetAdvancedButtonImage((style & RBBS_HIDDEN) != 0);
    return 0;
}

LRESULT CSendSMSDlg::Toolbar_Notify_HeightChanged(UINT, WPARAM, LPARAM lParam, bool&)
{
    ApplyToolbarHeight(reinterpret_cast<const NMHDR*>(lParam)->hwndFrom);
    return 0;
}

void CSendSMSDlg::ApplyToolbarHeight(HWND rebar)
{
    m_ControlPlacement.SetTopOffset(CWindow(rebar).GetClientRect().bottom);
    m_ControlPlacement.ApplyLayout(m_hWnd);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

LRESULT CSendSMSDlg::OnSize(UINT, WPARAM, LPARAM, bool&)
{
    m_ControlPlacement.ApplyLayout(m_hWnd);
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    return 0;
}

// The To field's auto-completion.

void CSendSMSDlg::SetupAutoComplete(std::string& step)
{
    CZentavoSMSOutlookPlugin& plugin = Plugin();
    step = "Setup AutoComplete List";
    m_ACEditTo.SubclassWindow(GetDlgItem(IDC_SENDSMS_TO));
    m_ACEditTo.Init();
    if (!plugin.m_UserPreferences.GetRecipientEntryEditboxAutoCompleteEnabled())
    {
        m_ACEditTo.SetDisabled(true);
        return;
    }
    m_ACEditTo.SetMode(CACEdit::kModeShowAllOnKey);
    m_ACEditTo.SetSeparators(",;\n\r");
    m_ACEditTo.SetMode(CACEdit::kModeSeparators);
    m_ACEditTo.SetPrefix(" ");
    m_ACEditTo.SetPostfix("; ");

    std::vector<std::string> exclusions;
    SplitString(plugin.m_Config.GetAddressBookExclusionList(), ",", exclusions);
    m_ContactSearchProvider.SetAddressBookExclusionList(exclusions);

    step = "AsyncListProvider Initialise";
    const COutlookVersionCapabilites* version = plugin.GetOutlookVersionCapabilites();
    m_ContactSearchProvider.Initialise(m_OutlookApplication, version ? version->m_nMajorVersion : 0);
    step = "AsyncListProvider Initialise (Complete)";

    m_ACEditTo.SetAsyncListProvider(&m_ContactSearchProvider);
    m_ACEditTo.SetNoDuplicates(true);
}

LRESULT CSendSMSDlg::OnACEdit_Change(UINT, WPARAM, LPARAM, bool&)
{
    m_ACEditTo.OnUpdate();
    return 0;
}

LRESULT CSendSMSDlg::OnACEdit_KillFocus(UINT, WPARAM, LPARAM, bool&)
{
    m_ACEditTo.CloseListWindow();
    return 0;
}

LRESULT CSendSMSDlg::OnACEdit_OnCloseList(UINT, WPARAM, LPARAM, bool&)
{
    m_ACEditTo.CloseList();
    return 0;
}

LRESULT CSendSMSDlg::OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled)
{
    m_ACEditTo.CloseList();
    handled = false;
    return 0;
}

LRESULT CSendSMSDlg::OnClose(UINT, WPARAM, LPARAM, bool& handled)
{
    m_ContactSearchProvider.Stop();
    handled = false;
    return 0;
}
