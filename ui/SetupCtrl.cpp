#include "ui/SetupCtrl.h"

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/ErrorReports.h"
#include "core/Win32Utils.h"
#include "gateway/SMSGatewayHTTPInterfaceClientUIHelper.h"
#include "gateway/ZentavoSMSGatewayAuthenticationManager.h"

#include <vector>

namespace
{
constexpr int kCompanyNameItems[] = {IDC_SETUP_INSTRUCTIONS, IDC_SETUP_LOGINGROUP, IDC_SETUP_NEWACCOUNTGROUP};

// The wait cursor and "Please wait...." on the button while a login runs;
// both come back however the login ends.
class CLoginInProgress
{
public:
    explicit CLoginInProgress(HWND button) : m_Button(button)
    {
        m_PreviousCursor = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        std::vector<char> caption(2000, '\0');
        ::GetWindowTextA(m_Button, caption.data(), static_cast<int>(caption.size()));
        m_Caption = caption.data();
        ::SetWindowTextA(m_Button, "Please wait....");
    }
    ~CLoginInProgress()
    {
        if (m_PreviousCursor)
            ::SetCursor(m_PreviousCursor);
        if (!m_Caption.empty())
            ::SetWindowTextA(m_Button, m_Caption.c_str());
    }
    CLoginInProgress(const CLoginInProgress&) = delete;
    CLoginInProgress& operator=(const CLoginInProgress&) = delete;

private:
    HWND m_Button;
    HCURSOR m_PreviousCursor = nullptr;
    std::string m_Caption;
};
} // namespace

CMessageTable<CSetupCtrlBase> CSetupCtrlBase::GetMessageTable()
{
    using Entry = CMessageEntry<CSetupCtrlBase>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CSetupCtrlBase::OnInitDialog, "CSetupCtrlBase::OnInitDialog"),
        Entry::Command(IDC_SETUP_USERNAME, &CSetupCtrlBase::AnyControl_OnChanged,
                       "CSetupCtrlBase::AnyControl_OnChanged", EN_CHANGE),
        Entry::Command(IDC_SETUP_PASSWORD, &CSetupCtrlBase::AnyControl_OnChanged,
                       "CSetupCtrlBase::AnyControl_OnChanged", EN_CHANGE),
        Entry::Command(IDC_SETUP_CREATEACCOUNT, &CSetupCtrlBase::RegisterAccount_OnClicked,
                       "CSetupCtrlBase::RegisterAccount_OnClicked", BN_CLICKED),
        Entry::Command(IDC_SETUP_LOGIN, &CSetupCtrlBase::LoginBtn_OnClicked, "CSetupCtrlBase::LoginBtn_OnClicked",
                       BN_CLICKED),
        Entry::Chain(&CSetupCtrlBase::ProcessPaintBkgndMessage, "CPaintBkgnd::ProcessPaintBkgndMessage"),
    };
    return entries;
}

LRESULT CSetupCtrlBase::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    // A control created again (a page activated anew) fills its fields
    // before it reports edits, as the first time.
    m_Initialised = false;
    CZentavoSMSOutlookPlugin& plugin = CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;
    ::SetDlgItemTextA(m_hWnd, IDC_SETUP_USERNAME, plugin.m_Config.GetUsername().c_str());
    ::SetDlgItemTextA(m_hWnd, IDC_SETUP_PASSWORD, plugin.m_Config.GetPassword().c_str());
    for (int item : kCompanyNameItems)
        if (GetDlgItem(item))
            CZentavoSMSOutlookPlugin::ReplaceCompanyNameShortTagInDlgItemText(m_hWnd, item);
    plugin.SetupDialogBackground(this);
    // So that the host's tab order reaches the fields.
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    if (!(style & WS_TABSTOP))
        ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, style | WS_TABSTOP);
    m_Initialised = true;
    return TRUE;
}

LRESULT CSetupCtrlBase::AnyControl_OnChanged(UINT, WPARAM, LPARAM, bool&)
{
    if (m_Initialised)
        ::SendMessageA(GetParent(), WM_SETUPCTRL_CHANGED, 0, 0);
    return 0;
}

LRESULT CSetupCtrlBase::RegisterAccount_OnClicked(UINT, WPARAM, LPARAM, bool&)
{
    CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.ShowGetSMSAccountPage();
    return 0;
}

LRESULT CSetupCtrlBase::LoginBtn_OnClicked(UINT, WPARAM, LPARAM, bool&)
{
    const std::string username = CWin32Utils::GetDlgItemText(m_hWnd, IDC_SETUP_USERNAME);
    const std::string password = CWin32Utils::GetDlgItemText(m_hWnd, IDC_SETUP_PASSWORD);
    const CLoginInProgress progress(GetDlgItem(IDC_SETUP_LOGIN));
    Login(username, password);
    return 0;
}

void CSetupCtrlBase::Login(const std::string& username, const std::string& password)
{
    CZentavoSMSGatewayAuthenticationManager authentication(
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.m_Config);
    CZentavoSMSGatewayAuthenticationResult result;
    for (;;)
    {
        try
        {
            result = CZentavoSMSGatewayAuthenticationResult();
            const CBalanceClientKeysUpdate keysUpdate;
            authentication.Authentication(username, password, result);
            break;
        }
        catch (const CSMSGatewayHTTPInterfaceClientUIHelper::CServiceConnectionException& exception)
        {
            if (!CSMSGatewayHTTPInterfaceClientUIHelper::ShowServiceConnectionError(m_hWnd, exception))
                return;
        }
    }

    if (result.m_ResultCode == 1)
    {
        ShowMessageBox(m_hWnd, "Login Successfull", kAddinMessageBoxCaption, MB_OK);
        if (m_pParent)
            m_pParent->OnLoginSuccessful();
    }
    else
    {
        CSMSGatewayHTTPInterfaceClientUIHelper::ShowGatewayErrorMessage(m_hWnd, true, "Login Failed!",
                                                                        "No Description", result.m_ResultCode);
    }
}
