#include "ui/PropPage.h"

#include "addin/Module.h"
#include "core/ErrorReports.h"

namespace
{
// Where the set-up control sits on the page, in pixels.
constexpr int kSetupCtrlX = 55;
constexpr int kSetupCtrlY = 30;
} // namespace

HRESULT CPropPage::UpdateRegistry(bool doRegister)
{
    return UpdateRegistryFromResource(IDR_PROPPAGE, doRegister);
}

CMessageTable<CPropPage> CPropPage::GetMessageTable()
{
    using Entry = CMessageEntry<CPropPage>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CPropPage::OnInitDialog, "CPropPage::OnInitDialog"),
        Entry::Message(WM_SETUPCTRL_CHANGED, &CPropPage::OnSetupCtrlChanged, "CPropPage::OnSetupCtrlChanged"),
    };
    return entries;
}

STDMETHODIMP CPropPage::SetClientSite(IOleClientSite* site)
{
    try
    {
        const HRESULT hr = CActiveXControl::SetClientSite(site);
        if (FAILED(hr))
            return hr;
        m_Site = nullptr;
        if (site)
            site->QueryInterface(IID_PropertyPageSite, reinterpret_cast<void**>(&m_Site));
        m_Dirty = false;
        return hr;
    }
    catch (const _com_error& error)
    {
        return error.Error();
    }
    catch (...)
    {
        return E_FAIL;
    }
}

STDMETHODIMP CPropPage::get_Dirty(VARIANT_BOOL* dirty)
{
    if (!dirty)
        return E_POINTER;
    *dirty = m_Dirty.vt == VT_BOOL ? m_Dirty.boolVal : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP CPropPage::Apply()
{
    return m_SetupCtrl.SaveData() ? S_OK : E_FAIL;
}

LRESULT CPropPage::OnInitDialog(UINT, WPARAM, LPARAM, bool&)
{
    const HWND control = m_SetupCtrl.Create(m_hWnd);
    if (control)
        ::SetWindowPos(control, nullptr, kSetupCtrlX, kSetupCtrlY, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return FALSE;
}

// Outlook's Options dialog calls in here; nothing may unwind into it.
LRESULT CPropPage::OnSetupCtrlChanged(UINT, WPARAM, LPARAM, bool&)
{
    try
    {
        m_Dirty = true;
        if (m_Site)
        {
            const HRESULT hr = m_Site->OnStatusChange();
            if (FAILED(hr))
                _com_issue_errorex(hr, m_Site, IID_PropertyPageSite);
        }
    }
    catch (...)
    {
        ReportCurrentException("CPropPage::OnSetupCtrlChanged");
    }
    return 0;
}

HRESULT CLitePage::UpdateRegistry(bool doRegister)
{
    return UpdateRegistryFromResource(IDR_LITEPAGE, doRegister);
}

CMessageTable<CLitePage> CLitePage::GetMessageTable()
{
    using Entry = CMessageEntry<CLitePage>;
    static const Entry entries[] = {
        Entry::Message(WM_INITDIALOG, &CLitePage::OnInitDialog, "CLitePage::OnInitDialog"),
    };
    return entries;
}

// The label is all it shows; the dialog manager sets the focus.
LRESULT CLitePage::OnInitDialog(UINT, WPARAM, LPARAM, bool& handled)
{
    handled = false;
    return TRUE;
}
