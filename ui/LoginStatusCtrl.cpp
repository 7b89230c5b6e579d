#include "ui/LoginStatusCtrl.h"

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/ErrorReports.h"
#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"
#include "gateway/ZentavoSMSGatewayAuthenticationManager.h"
#include "ui/SetupDlg.h"

namespace
{

CZentavoSMSGatewayAuthenticationManager StoredAccount()
{
    return CZentavoSMSGatewayAuthenticationManager(CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_Config);
}
} // namespace

CMessageTable<CLoginStatusCtrl> CLoginStatusCtrl::GetMessageTable()
{
    using Entry = CMessageEntry<CLoginStatusCtrl>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CLoginStatusCtrl::OnInitDialog, "CLoginStatusCtrl::OnInitDialog"),
        Entry::Command(IDC_SETUP_CREATEACCOUNT, &CLoginStatusCtrl::RegisterAccount_OnClicked,
                       "CLoginStatusCtrl::RegisterAccount_OnClicked", BN_CLICKED),
        Entry::Command(IDC_SETUP_LOGIN, &CLoginStatusCtrl::LoginBtn_OnClicked, "CLoginStatusCtrl::LoginBtn_OnClicked",
                       BN_CLICKED),
        Entry::Command(IDC_LOGINSTATUS_LOGOUT, &CLoginStatusCtrl::LogoutBtn_OnClicked,
                       "CLoginStatusCtrl::LogoutBtn_OnClicked", BN_CLICKED),
        Entry::Chain(&CLoginStatusCtrl::ProcessPaintBkgndMessage, "CPaintBkgnd::ProcessPaintBkgndMessage"),
    };
    return entries;
}

LRESULT CLoginStatusCtrl::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.SetupDialogBackground(this);
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    if (!(style & WS_TABSTOP))
        ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, style | WS_TABSTOP);
    ShowLoginDetails();
    return TRUE;
}

LRESULT CLoginStatusCtrl::RegisterAccount_OnClicked(UINT, WPARAM, LPARAM, bool&)
{
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.ShowGetSMSAccountPage();
    return 0;
}

LRESULT CLoginStatusCtrl::LoginBtn_OnClicked(UINT, WPARAM, LPARAM, bool&)
{
    CLoginDlg login;
    ShowModal(login, ::GetActiveWindow(), IfOwnerGoes::kNoAnswer);
    ShowLoginDetails();
    return 0;
}

LRESULT CLoginStatusCtrl::LogoutBtn_OnClicked(UINT, WPARAM, LPARAM, bool&)
{
    const CBalanceClientKeysUpdate keysUpdate;
    try
    {
        StoredAccount().Logout();
    }
    catch (const CSMSGatewayHTTPInterfaceClientUIHelper::CServiceConnectionException& exception)
    {
        if (CSMSGatewayHTTPInterfaceClientUIHelper::ShowServiceConnectionError(m_hWnd, exception))
            StoredAccount().Logout();
    }
    if (!ShowLoginDetails())
        ShowMessageBox(m_hWnd, "Successfull Logged Out", kAddinMessageBoxCaption, MB_OK);
    return 0;
}

bool CLoginStatusCtrl::ShowLoginDetails()
{
    CZentavoSMSGatewayLoginDetails details;
    StoredAccount().GetLoginDetails(details);
    const bool loggedIn = details.m_LoggedIn != 0;

    CWindow(GetDlgItem(IDC_LOGINSTATUS_LOGOUT)).Show(loggedIn ? SW_SHOW : SW_HIDE);
    for (int id : {IDC_SETUP_LOGIN, IDC_SETUP_CREATEINFO, IDC_SETUP_CREATEACCOUNT})
        CWindow(GetDlgItem(id)).Show(loggedIn ? SW_HIDE : SW_SHOW);

    std::string status = loggedIn ? "You are current logged into your {CompanyNameShort} SMS Gateway\n\nUsername: " +
                                         details.m_Username + "\n"
                                   : "You are currently not logged into a {CompanyNameShort} SMS Gateway\n\n"
                                     "You need to login to to use the SMS Gateway services\n";
    CZentavoSMSOutlookPlugin::ReplaceCompanyNameShortTag(status);
    ::SetDlgItemTextA(m_hWnd, IDC_LOGINSTATUS_TEXT, status.c_str());
    return loggedIn;
}
