// The frames around a login control: CSetupDlg, the first-run set-up dialog
// that the account check opens when the add-in has no gateway account, and
// CLoginDlg, the "Login" dialog of the settings sheet. The frame sizes itself
// around its control with fixed pixel margins, and ends after a successful
// login (result 0) or by Cancel or its close box (2). Enter does not close
// it: its hidden default OK asks the control, which has nothing to save.
//
// Built on the caller's stack for one modal run; callers read the
// configuration afterwards to learn whether an account is now set.
#pragma once

#include <windows.h>

#include "addin/ZentavoSMSOutlookPlugin.h"
#include "core/Exceptions.h"
#include "resources/resource.h"
#include "ui/PaintBkgnd.h"
#include "ui/SetupCtrl.h"
#include "ui/ZentavoAxDialogImpl.h"

// Sent to the frame by whoever wants the OK behaviour.
constexpr UINT WM_SETUPDLG_OK = WM_USER + 2;

// The control's place in the frame and the frame's margins, in pixels at
// any DPI.
constexpr int kSetupDlgMarginX = 15;
constexpr int kSetupDlgMarginY = 10;

template <typename TCtrl>
class CSetupDlgBase : public CZentavoAxDialogImpl<CSetupDlgBase<TCtrl>>,
                      public ISetupCtrlParent,
                      public CPaintBkgnd<CSetupDlgBase<TCtrl>>
{
public:
    enum
    {
        IDD = IDD_SETUPDLG
    };

    static CMessageTable<CSetupDlgBase> GetMessageTable()
    {
        using Entry = CMessageEntry<CSetupDlgBase>;
        static const Entry entries[] = {
            Entry::Message(WM_INITDIALOG, &CSetupDlgBase::OnInitDialogMessage, "CSetupDlgBase::OnInitDialog"),
            Entry::Message(WM_SETUPDLG_OK, &CSetupDlgBase::OnOK, "CSetupDlgBase::OnOK"),
            Entry::Command(IDOK, &CSetupDlgBase::OnOK, "CSetupDlgBase::OnOK"),
            Entry::Command(IDCANCEL, &CSetupDlgBase::OnCancel, "CSetupDlgBase::OnCancel"),
            Entry::Chain(&CSetupDlgBase::ProcessPaintBkgndMessage, "CPaintBkgnd::ProcessPaintBkgndMessage"),
        };
        return entries;
    }

    void OnLoginSuccessful() override
    {
        if (m_bModal)
            this->EndDialog(0);
        else
            this->DestroyWindow();
    }

    TCtrl& Control() noexcept { return m_Ctrl; }

protected:
    void OnWindowOpened(bool modeless) noexcept override
    {
        m_bModal = !modeless;
        CZentavoAxDialogImpl<CSetupDlgBase<TCtrl>>::OnWindowOpened(modeless);
    }

    virtual LRESULT OnInitDialog()
    {
        CZentavoSMSOutlookPlugin::ReplaceCompanyNameShortTagInWindowText(this->m_hWnd);
        if (!m_Ctrl.Create(this->m_hWnd))
            throw CGeneralException("The login control could not be created", HRESULT_FROM_WIN32(::GetLastError()));
        m_Ctrl.SetParentInterface(this);
        ::SetWindowPos(m_Ctrl, nullptr, kSetupDlgMarginX, kSetupDlgMarginY, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin.SetupDialogBackground(this);
        FitAroundControl();
        return TRUE;
    }

private:
    LRESULT OnInitDialogMessage(UINT, WPARAM, LPARAM, bool&) { return OnInitDialog(); }

    LRESULT OnOK(UINT, WPARAM, LPARAM, bool&)
    {
        if (m_Ctrl.SaveData())
            this->EndDialog(IDOK);
        return 0;
    }

    LRESULT OnCancel(UINT, WPARAM, LPARAM, bool&)
    {
        this->EndDialog(IDCANCEL);
        return 0;
    }

    // The frame's client area is the control plus the margins on every side.
    // With the extended style too, so the margins hold whatever it adds.
    void FitAroundControl()
    {
        RECT frame = {};
        ::GetWindowRect(m_Ctrl, &frame);
        const DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(this->m_hWnd, GWL_STYLE));
        const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrA(this->m_hWnd, GWL_EXSTYLE));
        ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
        ::SetWindowPos(this->m_hWnd, nullptr, 0, 0, frame.right - frame.left + 2 * kSetupDlgMarginX,
                       frame.bottom - frame.top + 2 * kSetupDlgMarginY, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    TCtrl m_Ctrl;
    bool m_bModal = false;
};

class CSetupDlg : public CSetupDlgBase<CSetupCtrl>
{
};

class CLoginDlg : public CSetupDlgBase<CLoginCtrl>
{
protected:
    LRESULT OnInitDialog() override
    {
        this->SetText("Login");
        return CSetupDlgBase<CLoginCtrl>::OnInitDialog();
    }
};
