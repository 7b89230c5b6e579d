// The Send SMS window: recipients, the message with its counters, the sender
// and the balance on the toolbar. The plug-in core's commands create it on
// the heap, hidden and modeless with no parent, fill it and show it:
//
//   auto* window = new CSendSMSDlg;
//   window->SetOutlookApplication(application);
//   window->Create(nullptr);
//   window->SetRecipientsText(...);
//   window->SetFocusToMessageText();
//   ::ShowWindow(*window, SW_SHOW);
//
// From then on the window lives by itself on the user-interface thread and
// deletes itself after its last message; nobody keeps a pointer to it.
#pragma once

#include "contacts/MAPIMailUser_AsyncListProvider.h"
#include "contacts/SMSContact.h"
#include "platform/ComPtr.h"
#include "resources/resource.h"
#include "ui/ACEdit.h"
#include "ui/ControlPlacementManager.h"
#include "ui/DPIScaler.h"
#include "ui/PaintBkgnd.h"
#include "ui/SendSMSDlgToolbars.h"
#include "ui/ZentavoAxDialogImpl.h"
#include "ui/ZentavoWindowHelper.h"

#include <cstdint>
#include <string>

class IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider;
struct CSendSMSRequest;

class CSendSMSDlg : public CZentavoAxDialogImpl<CSendSMSDlg>,
                    public CZentavoWindowHelper,
                    public CPaintBkgnd<CSendSMSDlg>
{
public:
    enum
    {
        IDD = IDD_SENDSMS
    };
    // Posted to put the stored sender text back into the From field.
    static constexpr UINT WM_USER_RESETFROMTEXT = WM_USER + 1;
    static constexpr UINT_PTR kBalanceTimer = 1;
    static constexpr UINT kBalancePollMs = 500;
    static constexpr char kUseAccountSettings[] = "<Use Account Settings>";
    static constexpr char kClearList[] = "Clear List....";

    // Item data of the From list's entries.
    enum : LPARAM
    {
        kFromItemSenderId = 1,
        kFromItemClearList = 2,
        kFromItemAccountSettings = 3,
    };

    CSendSMSDlg();
    ~CSendSMSDlg() override;

    static CMessageTable<CSendSMSDlg> GetMessageTable();

    // Set by the creator before Create.
    void SetOutlookApplication(IDispatchPtr application) { m_OutlookApplication = application; }
    // The owner, when given, is held until the window is gone: the services
    // are the add-in object's, which Outlook may release while the window
    // is still open.
    void SetAddinServices(IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* services,
                          IUnknown* owner = nullptr)
    {
        m_pAddinServices = services;
        m_AddinServicesOwner = owner;
    }

    // Filling after Create.
    void SetMessageText(const std::string& text);
    void SetRecipientsText(const std::string& text);
    void SetRecipientsFromContactList(const CSMSContactVector& contacts);
    void SetFocusToMessageText();
    void SetFocusToRecipients();

    // The To field's recipients, parsed into the caller's list; a failure
    // is shown and leaves the list as far as it was filled.
    void GetSMSContactList(CSMSContactVector& contacts);
    std::string GetControlText(UINT controlId) const;
    // The text as the control holds it, before any conversion to the ANSI
    // code page.
    std::wstring GetControlTextW(UINT controlId) const;

    // A successful send remembers its sender id: most recent first, at most
    // the preferences' maximum, nothing when auto-add is off.
    static void UpdateSelectableSendersIdList(const std::string& senderId);

    static int GetTextMessageLength(const std::string& text);
    static int GetTextNumberOfParts(const std::string& text);

    void SetUserContextMode(bool on);
    void UpdateFromFieldState();
    void UpdateCharacterCount();
    // Asks the balance client for a fresh balance when it is shown or
    // checked before sending.
    static void RefreshBalance();
    void UpdateBalanceDisplay();
    void ShowBalance(std::int32_t balance, bool valid);
    void CloseWindow();

    // Where the Balance menu opens when its point is off every screen: x
    // moved into the nearest monitor's work area; otherwise x as given.
    static int ClampToNearestWorkArea(int x, int y);

    // What the later commands and tests read.
    UINT GetFromControlId() const { return m_FromControlId; }
    bool GetUseAccountSettings() const { return m_UseAccountSettings; }
    bool GetUserContextMode() const { return m_UserContextMode; }
    CACEdit& ToEdit() { return m_ACEditTo; }
    CZentavoToolbars& Toolbars() { return m_Toolbars; }
    CSendSMSDlg_MainToolbar& MainToolbar() { return m_MainToolbar; }
    CSendSMSDlg_AdvancedToolbar& AdvancedToolbar() { return m_AdvancedToolbar; }
    const SYSTEMTIME& GetSchedule() const { return m_Schedule; }
    DWORD GetDeliveryReportMode() const { return m_DeliveryReportMode; }
    DWORD GetDeliveryReportStatusMask() const { return m_DeliveryReportStatusMask; }

protected:
    void OnFinalMessage(HWND window) noexcept override;

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnTimer(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnUserMsg_ResetFromText(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnCancel(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnHelp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnShowAdvancedToolbar(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // The settings sheet; afterwards the balance, the user-context mode, the
    // advanced toolbar and the counters follow what it stored.
    LRESULT Toolbar_ShowOptions(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT AllowReplies_OnClicked(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT Text_OnChange(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT From_OnSelChange(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT From_OnChange(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT Toolbar_Notify_HeightChanged(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // "To...": the recipient selector over the To field's recipients; OK
    // replaces the whole To text, anything else leaves it as it was.
    LRESULT OnSelectRecipients(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    // Sending and the dialogs on its way; the Balance menu.
    LRESULT Toolbar_SendMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT Toolbar_ScheduleSubmission(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT Toolbar_DeliveryReports(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT Toolbar_Notify_DropDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnRefreshBalance(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnBuyCredits(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // One press of Send after the account check: the request read here is
    // all that the send's later steps see (ui/SendSMSSending.h).
    void SendMessageText();
    CSendSMSRequest ReadSendRequest();
    // The To field's auto-completion.
    LRESULT OnACEdit_Change(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnACEdit_KillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnACEdit_OnCloseList(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    void SetupAutoComplete(std::string& step);

    void InitialiseWindow(std::string& step);
    void CreateToolbars();
    void LoadLogo();
    void PopulateFromComboBox();
    void SetFromText(const std::string& text);
    void ApplyToolbarHeight(HWND rebar);
    void ShowControl(UINT controlId, bool show);

    IDispatchPtr m_OutlookApplication;
    IOutlookAddin_ItemExtender_ZentavoSMSAddin_DependantServicesProvider* m_pAddinServices = nullptr;  // not owned
    IUnknownPtr m_AddinServicesOwner;  // keeps the object behind m_pAddinServices alive
    CControlPlacementManager m_ControlPlacement;
    bool m_UserContextMode = false;
    bool m_UseAccountSettings = false;
    UINT m_FromControlId = IDC_SENDSMS_FROM;
    bool m_ShowUseAccountSettings = true;
    std::string m_FromTextToRestore;
    CZentavoToolbars m_Toolbars;
    CSendSMSDlg_MainToolbar m_MainToolbar{m_Toolbars};
    CSendSMSDlg_AdvancedToolbar m_AdvancedToolbar{m_Toolbars};
    SYSTEMTIME m_Schedule = {};
    DWORD m_DeliveryReportMode = 0;
    DWORD m_DeliveryReportStatusMask = 0;
    CDPIScaler m_DPIScaler;
    CScopedBitmap m_Logo;
    // A send is on its way: dialogs, boxes and waits of that send pump
    // messages, and a second press must not start another submission.
    bool m_Sending = false;
    // The To field; the provider goes first, after it is detached from the
    // edit (destructor).
    CACEdit m_ACEditTo;
    CMAPIMailUser_AsyncListProvider m_ContactSearchProvider;
};
