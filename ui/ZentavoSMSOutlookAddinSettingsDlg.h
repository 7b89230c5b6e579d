// The add-in's settings: a modal property sheet with the pages Login Details,
// Your Details, Signature and Preferences. The last three edit a working copy
// of the plug-in core's preferences; OK copies the values they edit back and
// saves them, Cancel drops them. Login and logout on the first page act on
// the stored account at once and survive Cancel.
//
// Built on the opener's stack for one run. The services pointer (may be
// null, not owned) lets a changed ribbon setting refresh the explorer ribbon.
#pragma once

#include <windows.h>

#include <prsht.h>

#include <string>

#include "core/ConfigZentavoSMSOutlookAddin_UserPreferences.h"
#include "core/ErrorReports.h"
#include "platform/DataExchange.h"
#include "platform/ModuleInstance.h"
#include "platform/PropertySheet.h"
#include "resources/resource.h"
#include "ui/LoginStatusCtrl.h"
#include "ui/PaintBkgnd.h"

class IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider;

// A page of the product: templates from this module, handlers that throw
// end in the user-interface catch family under their table name.
template <typename T>
class CZentavoPropertyPageImpl : public CPropertyPageImpl<T>
{
protected:
    CZentavoPropertyPageImpl() noexcept : CPropertyPageImpl<T>(GetThisModuleInstance())
    {
        this->SetHandlerExceptionHook(&ReportHandlerException);
    }

private:
    static void ReportHandlerException(const char* handlerName) noexcept
    {
        try
        {
            ShowCurrentExceptionInErrorBox(handlerName);
        }
        catch (...)
        {
            // Nothing may leave a page's procedure.
        }
    }
};

// A page that edits the working preferences.
template <typename T>
class CPreferencesPageImpl : public CZentavoPropertyPageImpl<T>
{
public:
    void SetPreferences(CConfigZentavoSMSOutlookAddin_UserPreferences* preferences) noexcept
    {
        m_pPreferences = preferences;
    }

protected:
    // PSNRET_INVALID, after a box owned by the page, when the working copy
    // does not validate; else PSNRET_NOERROR.
    LRESULT Validate()
    {
        const std::string problems = m_pPreferences->Validate();
        if (problems.empty())
            return PSNRET_NOERROR;
        ShowMessageBox(this->m_hWnd, problems, kAddinMessageBoxCaption, MB_ICONEXCLAMATION);
        return PSNRET_INVALID;
    }

    CConfigZentavoSMSOutlookAddin_UserPreferences* m_pPreferences = nullptr;  // not owned
};

class CZentavoSMSOutlookAddinSettings_AuthenticationPage
    : public CZentavoPropertyPageImpl<CZentavoSMSOutlookAddinSettings_AuthenticationPage>,
      public CPaintBkgnd<CZentavoSMSOutlookAddinSettings_AuthenticationPage>
{
public:
    enum
    {
        IDD = IDD_SETTINGS_LOGINDETAILS
    };
    static CMessageTable<CZentavoSMSOutlookAddinSettings_AuthenticationPage> GetMessageTable();

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnApply(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    CLoginStatusCtrl m_LoginStatus;
};

// A page that edits one text of the working preferences in one edit box;
// T names the box (kEditId), the handlers and the preference's getter and
// setter (Load, Store).
template <typename T>
class CTextPreferencePageImpl : public CPreferencesPageImpl<T>
{
public:
    static CMessageTable<T> GetMessageTable()
    {
        using Entry = CMessageEntry<T>;
        static const Entry entries[] = {
            Entry::Message(WM_INITDIALOG, &CTextPreferencePageImpl::OnInitDialog, T::kInitDialogName),
            Entry::Notify(kAnyControl, PSN_APPLY, &CTextPreferencePageImpl::OnApply, T::kApplyName),
        };
        return entries;
    }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&)
    {
        m_Text = T::Load(*this->m_pPreferences);
        CDataExchange(this->m_hWnd, false).Text(T::kEditId, m_Text);
        return TRUE;
    }

    LRESULT OnApply(UINT, WPARAM, LPARAM, bool&)
    {
        if (!CDataExchange(this->m_hWnd, true).Text(T::kEditId, m_Text))
            return PSNRET_INVALID;
        T::Store(*this->m_pPreferences, m_Text);
        return this->Validate();
    }

    std::string m_Text;
};

class CZentavoSMSOutlookAddinSettings_UserDetailsPage
    : public CTextPreferencePageImpl<CZentavoSMSOutlookAddinSettings_UserDetailsPage>
{
public:
    enum
    {
        IDD = IDD_SETTINGS_USERDETAILS,
        kEditId = IDC_SETTINGS_MOBILENUMBER
    };
    static constexpr const char* kInitDialogName = "CZentavoSMSOutlookAddinSettings_UserDetailsPage::OnInitDialog";
    static constexpr const char* kApplyName = "CZentavoSMSOutlookAddinSettings_UserDetailsPage::OnApply";

    static std::string Load(CConfigZentavoSMSOutlookAddin_UserPreferences& preferences)
    {
        return preferences.GetUsersMobilePhoneNumber();
    }
    static void Store(CConfigZentavoSMSOutlookAddin_UserPreferences& preferences, const std::string& number)
    {
        preferences.SetUsersMobilePhoneNumber(number);
    }
};

class CZentavoSMSOutlookAddinSettings_SignaturePage
    : public CTextPreferencePageImpl<CZentavoSMSOutlookAddinSettings_SignaturePage>
{
public:
    enum
    {
        IDD = IDD_SETTINGS_SIGNATURE,
        kEditId = IDC_SETTINGS_SIGNATURE
    };
    static constexpr const char* kInitDialogName = "CZentavoSMSOutlookAddinSettings_SignaturePage::OnInitDialog";
    static constexpr const char* kApplyName = "CZentavoSMSOutlookAddinSettings_SignaturePage::OnApply";

    static std::string Load(CConfigZentavoSMSOutlookAddin_UserPreferences& preferences)
    {
        return preferences.GetDefaultMessageSignature();
    }
    static void Store(CConfigZentavoSMSOutlookAddin_UserPreferences& preferences, const std::string& signature)
    {
        preferences.SetDefaultMessageSignature(signature);
    }
};

class CZentavoSMSOutlookAddinSettings_PreferencesPage
    : public CPreferencesPageImpl<CZentavoSMSOutlookAddinSettings_PreferencesPage>
{
public:
    enum
    {
        IDD = IDD_SETTINGS_PREFERENCES
    };
    static CMessageTable<CZentavoSMSOutlookAddinSettings_PreferencesPage> GetMessageTable();

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnApply(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // The six check boxes and their values, in one pass either way.
    CDataExchange& ExchangeChecks(CDataExchange& exchange);

    bool m_ShowCurrentBalance = false;
    bool m_CheckBalanceBeforeSending = false;
    bool m_WarnIfMsgBeingTruncated = false;
    bool m_EnableUserContextSupport = false;
    bool m_ShowRibbonSendSMSButton = false;
    bool m_SaveSentMsgsToSentItemsFolder = false;
};

class CZentavoSMSOutlookAddinSettingsDlg : public CPropertySheet
{
public:
    explicit CZentavoSMSOutlookAddinSettingsDlg(const std::string& title);

    void SetServices(IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* services) noexcept
    {
        m_pServices = services;
    }

    // Runs the sheet over the owner and stores what OK accepted; the sheet's
    // end (1 after OK), not shown when it failed before its run. The sheet
    // gone with its owner is no answer. Failures are shown in the error box.
    CModalEnd Show(HWND owner) noexcept;

private:
    // Copies what the user changed on the pages (the working copy where it
    // differs from the original one) into the plug-in core's preferences and
    // saves them; true when the ribbon setting changed.
    static bool StoreEditedPreferences(CConfigZentavoSMSOutlookAddin_UserPreferences& original,
                                       CConfigZentavoSMSOutlookAddin_UserPreferences& working);

    CZentavoSMSOutlookAddinSettings_AuthenticationPage m_AuthenticationPage;
    CZentavoSMSOutlookAddinSettings_UserDetailsPage m_UserDetailsPage;
    CZentavoSMSOutlookAddinSettings_SignaturePage m_SignaturePage;
    CZentavoSMSOutlookAddinSettings_PreferencesPage m_PreferencesPage;
    IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* m_pServices = nullptr;  // not owned
};
