// The plug-in core: the one process-wide object that owns the add-in's
// shared state (the account configuration, the user preferences and the
// background balance client) and starts and stops it. Everything else
// reaches that state through CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin,
// on Outlook's user-interface thread; the configuration and preference
// objects lock themselves.
#pragma once

#include "core/ConfigZentavoSMSOutlookAddin.h"
#include "core/ConfigZentavoSMSOutlookAddin_UserPreferences.h"
#include "core/TraceLogging.h"
#include "contacts/SMSContact.h"
#include "gateway/SMSGatewayHTTPInterfaceClientAsync.h"
#include "platform/ComPtr.h"

#include <windows.h>

#include <memory>
#include <string>

class COutlookVersionCapabilites;
class CSendSMSDlg;
class IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider;
class IPaintBkgndWindow;
class CZentavoToolbars;

class CZentavoSMSOutlookPlugin
{
    // Owns the logger that g_pTraceLogger points at and clears the pointer
    // before the logger goes. Declared first so that it outlives the
    // balance worker.
    struct CTraceLoggerOwner
    {
        ~CTraceLoggerOwner();
        std::unique_ptr<CZentavoSMSTraceLogging> m_Logger;
    };
    CTraceLoggerOwner m_TraceLogger;

public:
    // Nothing is loaded and no thread starts here: the global is built by
    // the module's static initialisation.
    CZentavoSMSOutlookPlugin();
    // The balance client goes first; its destructor stops its worker.
    virtual ~CZentavoSMSOutlookPlugin();

    CZentavoSMSOutlookPlugin(const CZentavoSMSOutlookPlugin&) = delete;
    CZentavoSMSOutlookPlugin& operator=(const CZentavoSMSOutlookPlugin&) = delete;

    static CZentavoSMSOutlookPlugin theZentavoSMSOutlookPlugin;

    // Loads the configuration and the preferences, starts the trace log when
    // a file is configured, starts the balance worker and seeds rand().
    // Failures are shown in the error box; a failed load leaves the worker
    // stopped.
    void Initialise();
    // Saves the preferences and stops the balance worker; the worker stops
    // even when the save fails. Failures are shown in the error box.
    void Uninitialise();

    // True when a gateway account is configured. Otherwise the set-up
    // dialog runs over the active window and the answer is whether the user
    // logged in there. Failures are shown in the error box and give false.
    bool CheckConfiguration();

    // Hands the balance client the keys now stored: every login and logout
    // calls it, wherever it happened, so that no window goes on with the
    // balance of the account before.
    void UpdateBalanceClientAccessKeys();

    // The running Outlook's version record; it lives in the add-in object,
    // which hands it over at connection. Null before that.
    void SetOutlookVersionCapabilites(COutlookVersionCapabilites* capabilities);
    COutlookVersionCapabilites* GetOutlookVersionCapabilites() const;

    // A dialog's plain background colour, when the running Outlook asks for
    // one; otherwise the dialog keeps the system's.
    void SetupDialogBackground(IPaintBkgndWindow* window);
    // The banded background behind toolbars, for the classic look of
    // Outlook versions before 15; otherwise the rebar's own.
    void SetupToolbarBackground(CZentavoToolbars* toolbars);

    // The user's commands. Each opens a new modeless Send SMS window, which
    // frees itself when it closes; failures are shown in the error box. The
    // window holds the services' owner (the add-in object) while it is open,
    // so the services outlive it even when Outlook lets the add-in go first.
    void ShowSendSMSDlg(IDispatchPtr application,
                        IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* services,
                        IUnknown* servicesOwner = nullptr);
    // To the number in the sender address of the one selected SMS reply.
    void ReplyViaSMS(IDispatchPtr application);
    // To the selected contacts (distribution lists expanded).
    void SendSMSToContacts(IDispatchPtr application);
    // A window whose text is the selected contacts' names and numbers.
    void ForwardContactViaSMSMessage(IDispatchPtr application);
    // Appends the selection's contacts with a name and a mobile number, in
    // selection order, each list's members at its place.
    void GetSelectedContacts(IDispatchPtr application, CSMSContactVector& contacts, bool expandLists);

    // Opens one of the service's pages, through its redirect on the web
    // host, in the default browser. Failures are shown in the error box.
    void ShowWebPage(bool secure, const std::string& page, const std::string& extra);
    // The credit-purchase page names the user (URL-encoded) for the
    // password and key modes.
    void ShowBuySMSCreditsPage();
    void ShowGetSMSAccountPage();
    void ShowAuthModesHelpPage();
    void ShowContactSelectorHelpPage();
    void ShowSendSMSHelpPage();

    // Event-log entries from here on go out under the add-in's own source.
    static void InitialiseEventLogSource();
    // Replaces every "{CompanyNameShort}" with the service's short name.
    static void ReplaceCompanyNameShortTag(std::string& text);
    // The same in a dialog item's text or a window's title, in place.
    static void ReplaceCompanyNameShortTagInDlgItemText(HWND dialog, int itemId);
    static void ReplaceCompanyNameShortTagInWindowText(HWND window);

    CConfigZentavoSMSOutlookAddin_Config m_Config;
    std::string m_ConfigErrorText;  // "Could not open configuration" after a failed load
    CConfigZentavoSMSOutlookAddin_UserPreferences m_UserPreferences;
    std::string m_UserPreferencesErrorText;
    SMSGatewayHTTPInterfaceClientAsync m_BalanceClient;

private:
    // The selection's contacts; false, after the "No mobile numbers" box,
    // when there are none.
    bool SelectedContactsOrBox(IDispatchPtr application, CSMSContactVector& contacts);

    COutlookVersionCapabilites* m_pOutlookVersionCapabilites = nullptr;  // not owned

    void StartTraceLog();
};

// The one plug-in core and its user preferences, for the add-in's own code.
inline CZentavoSMSOutlookPlugin& Plugin()
{
    return CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;
}
inline CConfigZentavoSMSOutlookAddin_UserPreferences& Preferences()
{
    return Plugin().m_UserPreferences;
}

// For the scope of a login or logout: when it ends, however the login or
// logout ended (a refused login may have cleared the stored keys, then
// raised), the balance client gets the keys now stored.
class CBalanceClientKeysUpdate
{
public:
    CBalanceClientKeysUpdate() = default;
    ~CBalanceClientKeysUpdate()
    {
        try
        {
            Plugin().UpdateBalanceClientAccessKeys();
        }
        catch (...)
        {
            // Only copying two texts can fail here; the keys stay as they were.
        }
    }
    CBalanceClientKeysUpdate(const CBalanceClientKeysUpdate&) = delete;
    CBalanceClientKeysUpdate& operator=(const CBalanceClientKeysUpdate&) = delete;
};
