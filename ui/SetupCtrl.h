// The account login controls: a child dialog that asks for the gateway user
// name and password, logs in through the authentication manager (which
// stores the new key pair in the plug-in core's configuration) and opens the
// account-registration page. CSetupCtrl is the first-run form with its
// "create new account" section, CLoginCtrl the login fields alone.
//
// A host creates the control as a child window at its own WM_INITDIALOG.
// After OnInitDialog has filled the fields, each edit of them sends
// WM_USER+1 to the parent window (the Outlook options page turns it into its
// dirty state). The control borrows its ISetupCtrlParent, which must outlive
// the window; without one a successful login only shows its message.
#pragma once

#include <windows.h>

#include "resources/resource.h"
#include "ui/PaintBkgnd.h"
#include "ui/ZentavoAxDialogImpl.h"

// What the control sends its parent window when a field changes.
constexpr UINT WM_SETUPCTRL_CHANGED = WM_USER + 1;

class ISetupCtrlParent
{
public:
    virtual void OnLoginSuccessful() = 0;

protected:
    ~ISetupCtrlParent() = default;
};

class CSetupCtrlBase : public CZentavoAxDialogImpl<CSetupCtrlBase>, public CPaintBkgnd<CSetupCtrlBase>
{
public:
    static CMessageTable<CSetupCtrlBase> GetMessageTable();

    // The control's window, a child of parent; null when it cannot be created.
    HWND Create(HWND parent) noexcept { return CreateModeless(MAKEINTRESOURCEA(m_TemplateId), nullptr, parent); }
    void SetParentInterface(ISetupCtrlParent* parent) noexcept { m_pParent = parent; }

    // Nothing to store: the login stores itself. So false, and a host's OK
    // does not close it.
    bool SaveData() { return false; }

protected:
    explicit CSetupCtrlBase(UINT templateId) noexcept : m_TemplateId(templateId) {}

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT AnyControl_OnChanged(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT RegisterAccount_OnClicked(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT LoginBtn_OnClicked(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    // Asks the gateway, retrying connection failures while the user says
    // so, and tells the user the outcome.
    void Login(const std::string& username, const std::string& password);

    UINT m_TemplateId;
    bool m_Initialised = false;
    ISetupCtrlParent* m_pParent = nullptr;  // not owned
};

class CSetupCtrl : public CSetupCtrlBase
{
public:
    CSetupCtrl() noexcept : CSetupCtrlBase(IDD_SETUPCTRL) {}
};

class CLoginCtrl : public CSetupCtrlBase
{
public:
    CLoginCtrl() noexcept : CSetupCtrlBase(IDD_LOGINCTRL) {}
};
