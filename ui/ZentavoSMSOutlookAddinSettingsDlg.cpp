#include "ui/ZentavoSMSOutlookAddinSettingsDlg.h"

#include "addin/OutlookAddin_ItemExtender.h"
#include "addin/OutlookVersionCapabilites.h"
#include "addin/ZentavoSMSOutlookPlugin.h"

#include <memory>

namespace
{
constexpr int kLoginStatusOffset = 15;  // pixels from the page's corner
constexpr int kMaxMsgPartsChoices = 10;
constexpr char kRibbonButtonHidden[] = "Hidden";
} // namespace

// Login Details -------------------------------------------------------------

CMessageTable<CZentavoSMSOutlookAddinSettings_AuthenticationPage>
CZentavoSMSOutlookAddinSettings_AuthenticationPage::GetMessageTable()
{
    using Page = CZentavoSMSOutlookAddinSettings_AuthenticationPage;
    using Entry = CMessageEntry<Page>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &Page::OnInitDialog,
                       "CZentavoSMSOutlookAddinSettings_AuthenticationPage::OnInitDialog"),
        Entry::Notify(kAnyControl, PSN_APPLY, &Page::OnApply,
                      "CZentavoSMSOutlookAddinSettings_AuthenticationPage::OnApply"),
        Entry::Chain(&Page::ProcessPaintBkgndMessage, "CPaintBkgnd::ProcessPaintBkgndMessage"),
    };
    return entries;
}

LRESULT CZentavoSMSOutlookAddinSettings_AuthenticationPage::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    const HWND status = m_LoginStatus.Create(m_hWnd);
    if (!status)
        throw CGeneralException("The login status could not be created", HRESULT_FROM_WIN32(::GetLastError()));
    ::SetWindowPos(status, nullptr, kLoginStatusOffset, kLoginStatusOffset, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Plugin().SetupDialogBackground(this);
    return TRUE;
}

LRESULT CZentavoSMSOutlookAddinSettings_AuthenticationPage::OnApply(UINT, WPARAM, LPARAM, bool&)
{
    // Login and logout were stored when they happened.
    return PSNRET_NOERROR;
}

// Preferences ---------------------------------------------------------------

CMessageTable<CZentavoSMSOutlookAddinSettings_PreferencesPage>
CZentavoSMSOutlookAddinSettings_PreferencesPage::GetMessageTable()
{
    using Page = CZentavoSMSOutlookAddinSettings_PreferencesPage;
    using Entry = CMessageEntry<Page>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &Page::OnInitDialog,
                       "CZentavoSMSOutlookAddinSettings_PreferencesPage::OnInitDialog"),
        Entry::Notify(kAnyControl, PSN_APPLY, &Page::OnApply, "CZentavoSMSOutlookAddinSettings_PreferencesPage::OnApply"),
    };
    return entries;
}

CDataExchange& CZentavoSMSOutlookAddinSettings_PreferencesPage::ExchangeChecks(CDataExchange& exchange)
{
    return exchange.Check(IDC_PREFS_SHOWBALANCE, m_ShowCurrentBalance)
        .Check(IDC_PREFS_CHECKBALANCE, m_CheckBalanceBeforeSending)
        .Check(IDC_PREFS_WARNTRUNCATION, m_WarnIfMsgBeingTruncated)
        .Check(IDC_PREFS_USERCONTEXT, m_EnableUserContextSupport)
        .Check(IDC_PREFS_RIBBONBUTTON, m_ShowRibbonSendSMSButton)
        .Check(IDC_PREFS_SAVESENT, m_SaveSentMsgsToSentItemsFolder);
}

LRESULT CZentavoSMSOutlookAddinSettings_PreferencesPage::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    m_ShowCurrentBalance = m_pPreferences->GetShowCurrentBalance();
    m_CheckBalanceBeforeSending = m_pPreferences->GetCheckBalanceBeforeSending();
    m_WarnIfMsgBeingTruncated = m_pPreferences->GetWarnIfMsgBeingTruncated();
    m_EnableUserContextSupport = m_pPreferences->GetEnableUserContextSupport();
    m_ShowRibbonSendSMSButton = m_pPreferences->GetUIRibbonSendSMSButton() != kRibbonButtonHidden;
    m_SaveSentMsgsToSentItemsFolder = m_pPreferences->GetSaveSentMsgsToSentItemsFolder();

    // Older Outlook has no ribbon to show the button on.
    const COutlookVersionCapabilites* version = Plugin().GetOutlookVersionCapabilites();
    if (version && version->m_bVersion14OrLater)
        CWindow(GetDlgItem(IDC_PREFS_RIBBONBUTTON)).Enable(true);

    const CWindow parts(GetDlgItem(IDC_PREFS_MAXPARTS));
    for (int count = 1; count <= kMaxMsgPartsChoices; ++count)
        parts.Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(count).c_str()));
    parts.Send(CB_SETCURSEL, static_cast<WPARAM>(m_pPreferences->m_MaxMsgParts - 1));

    CDataExchange load(m_hWnd, false);
    ExchangeChecks(load);
    return TRUE;
}

LRESULT CZentavoSMSOutlookAddinSettings_PreferencesPage::OnApply(UINT, WPARAM, LPARAM, bool&)
{
    CDataExchange save(m_hWnd, true);
    if (!ExchangeChecks(save))
        return PSNRET_INVALID;
    m_pPreferences->SetShowCurrentBalance(m_ShowCurrentBalance);
    m_pPreferences->SetCheckBalanceBeforeSending(m_CheckBalanceBeforeSending);
    m_pPreferences->SetWarnIfMsgBeingTruncated(m_WarnIfMsgBeingTruncated);
    m_pPreferences->SetEnableUserContextSupport(m_EnableUserContextSupport);
    m_pPreferences->SetSaveSentMsgsToSentItemsFolder(m_SaveSentMsgsToSentItemsFolder);
    m_pPreferences->SetUIRibbonSendSMSButton(m_ShowRibbonSendSMSButton ? "" : kRibbonButtonHidden);

    const LRESULT row = CWindow(GetDlgItem(IDC_PREFS_MAXPARTS)).Send(CB_GETCURSEL);
    if (row != CB_ERR)
        m_pPreferences->m_MaxMsgParts = static_cast<int>(row) + 1;
    return Validate();
}

// The sheet -----------------------------------------------------------------

CZentavoSMSOutlookAddinSettingsDlg::CZentavoSMSOutlookAddinSettingsDlg(const std::string& title)
    : CPropertySheet(GetThisModuleInstance(), title, PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP)
{
    AddPage(m_AuthenticationPage);
    AddPage(m_UserDetailsPage);
    AddPage(m_SignaturePage);
    AddPage(m_PreferencesPage);
}

CModalEnd CZentavoSMSOutlookAddinSettingsDlg::Show(HWND owner) noexcept
{
    CModalEnd end = CModalEnd::NotShown();
    try
    {
        // What the pages showed at the start: OK stores only what differs
        // from it, so a choice another window stored meanwhile stands.
        auto original = std::make_unique<CConfigZentavoSMSOutlookAddin_UserPreferences>(nullptr);
        *original = Preferences();
        auto working = std::make_unique<CConfigZentavoSMSOutlookAddin_UserPreferences>(nullptr);
        *working = *original;
        m_UserDetailsPage.SetPreferences(working.get());
        m_SignaturePage.SetPreferences(working.get());
        m_PreferencesPage.SetPreferences(working.get());

        end = ShowModal(static_cast<CPropertySheet&>(*this), owner, IfOwnerGoes::kNoAnswer);
        if (end.Is(1) && StoreEditedPreferences(*original, *working) && m_pServices)
            m_pServices->Callback_UpdateOutlookExplorerCustomControls();
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookAddinSettingsDlg::Show");
    }
    return end;
}

namespace
{
// Stores the working copy's value of one preference when the user changed it
// in the sheet.
template <typename Value>
void StoreIfChanged(CConfigZentavoSMSOutlookAddin_UserPreferences& original,
                    CConfigZentavoSMSOutlookAddin_UserPreferences& working,
                    CConfigZentavoSMSOutlookAddin_UserPreferences& stored,
                    Value (CConfigZentavoSMSOutlookAddin_UserPreferences::*get)(),
                    void (CConfigZentavoSMSOutlookAddin_UserPreferences::*set)(Value))
{
    const Value edited = (working.*get)();
    if (edited != (original.*get)())
        (stored.*set)(edited);
}
} // namespace

bool CZentavoSMSOutlookAddinSettingsDlg::StoreEditedPreferences(CConfigZentavoSMSOutlookAddin_UserPreferences& original,
                                                                CConfigZentavoSMSOutlookAddin_UserPreferences& working)
{
    using Preferences_ = CConfigZentavoSMSOutlookAddin_UserPreferences;
    Preferences_& stored = Preferences();
    const bool ribbonChanged = working.GetUIRibbonSendSMSButton() != stored.GetUIRibbonSendSMSButton();
    const auto keepEdit = [&](auto get, auto set) { StoreIfChanged(original, working, stored, get, set); };
    keepEdit(&Preferences_::GetUsersMobilePhoneNumber, &Preferences_::SetUsersMobilePhoneNumber);
    keepEdit(&Preferences_::GetDefaultMessageSignature, &Preferences_::SetDefaultMessageSignature);
    keepEdit(&Preferences_::GetShowCurrentBalance, &Preferences_::SetShowCurrentBalance);
    keepEdit(&Preferences_::GetCheckBalanceBeforeSending, &Preferences_::SetCheckBalanceBeforeSending);
    keepEdit(&Preferences_::GetWarnIfMsgBeingTruncated, &Preferences_::SetWarnIfMsgBeingTruncated);
    keepEdit(&Preferences_::GetEnableUserContextSupport, &Preferences_::SetEnableUserContextSupport);
    keepEdit(&Preferences_::GetSaveSentMsgsToSentItemsFolder, &Preferences_::SetSaveSentMsgsToSentItemsFolder);
    keepEdit(&Preferences_::GetUIRibbonSendSMSButton, &Preferences_::SetUIRibbonSendSMSButton);
    if (working.m_MaxMsgParts != original.m_MaxMsgParts)
        stored.m_MaxMsgParts = working.m_MaxMsgParts;
    stored.Save();
    return ribbonChanged;
}
