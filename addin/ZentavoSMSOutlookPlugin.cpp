#include "addin/ZentavoSMSOutlookPlugin.h"

#include "addin/OutlookVersionCapabilites.h"

#include "core/CompanyName.h"
#include "core/ErrorReports.h"
#include "core/GatewayAddresses.h"
#include "core/Exceptions.h"
#include "core/StringUtils.h"
#include "core/Win32Utils.h"
#include "gateway/SMSGatewayHTTPInterfaceClient.h"
#include "gateway/ZentavoSMSGatewayAuthenticationManager.h"
#include "resources/resource.h"
#include "ui/InternetExplorerUtils.h"
#include "ui/PaintBkgnd.h"
#include "ui/SetupDlg.h"
#include "ui/ZentavoToolbars.h"

#include <comdef.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <sstream>
#include <string>

CZentavoSMSOutlookPlugin CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;

namespace
{
std::wstring TraceLogBanner()
{
    std::wostringstream banner;
    banner << L"Trace log started (ZentavoSMSOutlookAddin Ver:" << L"5.0.1"
           << (sizeof(void*) == 8 ? L" 64bit" : L" 32bit") << L' ' << __TIME__ << L' ' << __DATE__ << L')';
    return banner.str();
}
} // namespace

CZentavoSMSOutlookPlugin::CTraceLoggerOwner::~CTraceLoggerOwner()
{
    if (m_Logger && g_pTraceLogger == m_Logger.get())
        g_pTraceLogger = nullptr;
}

CZentavoSMSOutlookPlugin::CZentavoSMSOutlookPlugin()
    : m_Config(&m_ConfigErrorText), m_UserPreferences(&m_UserPreferencesErrorText)
{
}

CZentavoSMSOutlookPlugin::~CZentavoSMSOutlookPlugin() = default;

void CZentavoSMSOutlookPlugin::Initialise()
{
    try
    {
        m_Config.Load();
        m_UserPreferences.Load();
        StartTraceLog();
        m_BalanceClient.SetInterface(kZentavoSMSOutlookAddinInterfaceId);
        m_BalanceClient.Initialise();
        std::srand(static_cast<unsigned int>(static_cast<std::uint32_t>(std::time(nullptr))));
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookPlugin::Initialise");
    }
}

// A trace log that cannot be started must not stop the add-in.
void CZentavoSMSOutlookPlugin::StartTraceLog()
{
    try
    {
        const std::string fileName = m_Config.GetTraceLogFilename();
        if (!fileName.empty() && !m_TraceLogger.m_Logger)
        {
            m_TraceLogger.m_Logger.reset(new CZentavoSMSTraceLogging(fileName));
            g_pTraceLogger = m_TraceLogger.m_Logger.get();
        }
        const std::wstring component = L"OLAddinCore";
        const std::wstring className = L"CZentavoSMSOutlookPlugin";
        if (g_pTraceLogger)
            g_pTraceLogger->Trace(1, component, className, L"");
        if (g_pTraceLogger)
            g_pTraceLogger->Trace(1, component, className, std::wstring(111, L'='));
        if (g_pTraceLogger)
            g_pTraceLogger->Trace(1, component, className, TraceLogBanner());
    }
    catch (...)
    {
    }
}

// A preferences save that fails (a read-only key) must not leave the balance
// worker running into the module's unload.
void CZentavoSMSOutlookPlugin::Uninitialise()
{
    const char* const function = "CZentavoSMSOutlookPlugin::Uninitialise";
    try
    {
        m_UserPreferences.Save();
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox(function);
    }
    try
    {
        m_BalanceClient.Uninitialise();
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox(function);
    }
}

bool CZentavoSMSOutlookPlugin::CheckConfiguration()
{
    try
    {
        CZentavoSMSGatewayAuthenticationManager authentication(m_Config);
        CZentavoSMSGatewayLoginDetails details;
        authentication.GetLoginDetails(details);
        if (details.m_LoggedIn)
            return true;

        // The dialog's own answer does not matter: only a login made there.
        // What asked for the account still does when the window it was
        // shown over goes.
        CSetupDlg setup;
        ShowModal(setup, ChooseBoxOwner(::GetActiveWindow()), IfOwnerGoes::kAskAgain);
        authentication.GetLoginDetails(details);
        return details.m_LoggedIn != 0;
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookPlugin::CheckConfiguration");
        return false;
    }
}

void CZentavoSMSOutlookPlugin::UpdateBalanceClientAccessKeys()
{
    m_BalanceClient.SetAccessKeys(m_Config.GetAccessKey(), m_Config.GetSecretKey());
}

void CZentavoSMSOutlookPlugin::SetOutlookVersionCapabilites(COutlookVersionCapabilites* capabilities)
{
    m_pOutlookVersionCapabilites = capabilities;
}

COutlookVersionCapabilites* CZentavoSMSOutlookPlugin::GetOutlookVersionCapabilites() const
{
    return m_pOutlookVersionCapabilites;
}

void CZentavoSMSOutlookPlugin::InitialiseEventLogSource()
{
    SetEventLogSourceName("ZentavoSMSOutlookAddin");
}

void CZentavoSMSOutlookPlugin::ReplaceCompanyNameShortTag(std::string& text)
{
    ::ReplaceCompanyNameShortTag(text);
}

void CZentavoSMSOutlookPlugin::ReplaceCompanyNameShortTagInDlgItemText(HWND dialog, int itemId)
{
    std::string text = CWin32Utils::GetDlgItemText(dialog, itemId);
    ::ReplaceCompanyNameShortTag(text);
    ::SetDlgItemTextA(dialog, itemId, text.c_str());
}

void CZentavoSMSOutlookPlugin::ReplaceCompanyNameShortTagInWindowText(HWND window)
{
    std::string text = CWin32Utils::GetWindowText(window);
    ::ReplaceCompanyNameShortTag(text);
    ::SetWindowTextA(window, text.c_str());
}

void CZentavoSMSOutlookPlugin::SetupDialogBackground(IPaintBkgndWindow* window)
{
    if (window && m_pOutlookVersionCapabilites && m_pOutlookVersionCapabilites->m_bPlainBackground)
        window->SetBackgroundColour(m_pOutlookVersionCapabilites->m_crBackgroundColour);
}

void CZentavoSMSOutlookPlugin::SetupToolbarBackground(CZentavoToolbars* toolbars)
{
    const COutlookVersionCapabilites* const capabilities = m_pOutlookVersionCapabilites;
    if (toolbars && capabilities && capabilities->m_bClassicLook1 && capabilities->m_bClassicLook2)
        toolbars->SetBackgroundBitmapId(IDB_TOOLBAR_BACKGROUND);
}

void CZentavoSMSOutlookPlugin::ShowWebPage(bool secure, const std::string& page, const std::string& extra)
{
    try
    {
        const std::string address = std::string(secure ? "https:" : "http:") + "//" + GatewayAddresses::kWebHost +
                                    "/redir?page=" + page + "&refer=oladdin&ver=5.0.1" + extra;
        CInternetExplorerUtils browser;
        browser.OpenURL(address, true);
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookPlugin::ShowWebPage");
    }
}

// The user name is encoded: an "&" or "=" in it would change the address.
void CZentavoSMSOutlookPlugin::ShowBuySMSCreditsPage()
{
    try
    {
        std::string extra;
        const int mode = m_Config.m_AuthMode;
        if (mode == 1 || mode == 2 || mode == 5)
            extra = "&username=" + URLEncode(m_Config.GetUsername());
        ShowWebPage(true, "buysmscredits", extra);
    }
    catch (...)
    {
        ShowCurrentExceptionInErrorBox("CZentavoSMSOutlookPlugin::ShowBuySMSCreditsPage");
    }
}

void CZentavoSMSOutlookPlugin::ShowGetSMSAccountPage()
{
    ShowWebPage(true, "getsmsaccount", "");
}

void CZentavoSMSOutlookPlugin::ShowAuthModesHelpPage()
{
    ShowWebPage(false, "oladdin_help_authmodes", "");
}

void CZentavoSMSOutlookPlugin::ShowContactSelectorHelpPage()
{
    ShowWebPage(false, "oladdin_help_contactselector", "");
}

void CZentavoSMSOutlookPlugin::ShowSendSMSHelpPage()
{
    ShowWebPage(false, "oladdin_help_sendsms", "");
}
