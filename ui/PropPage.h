// The add-in's pages of Outlook's Options dialog: ActiveX controls that
// Outlook creates by ProgID, sites, activates in place and calls through its
// PropertyPage interface.
//
// CPropPage holds the account set-up control: the user logs in from the
// Options dialog as in the first-run dialog, and each edit of the user name
// or password marks the page dirty and tells Outlook's PropertyPageSite
// (OnStatusChange), which enables Outlook's Apply. CLitePage is registered
// too but has no function: its PropertyPage answers "not implemented".
//
// The page holds the site the container hands it (counted) until another
// site replaces it or the page goes. Without a PropertyPageSite (none set,
// or the site is not Outlook's) an edit only marks the page dirty.
#pragma once

#include "platform/ActiveXControl.h"
#include "platform/OfficeIds.h"
#include "platform/TypeInfoDispatch.h"
#include "resources/ZentavoSMSOutlookAddin_h.h"
#include "resources/resource.h"
#include "ui/SetupCtrl.h"
#include "ui/ZentavoAxDialogImpl.h"

#include <windows.h>

_COM_SMARTPTR_TYPEDEF(PropertyPageSite, IID_PropertyPageSite);

// What both pages share: the control over a child dialog of template T::IDD,
// the dual interface of the module's type library (no members of its own)
// and Outlook's PropertyPage, whose IDispatch half is the dual interface's.
template <class T, class DualInterface>
class COptionsPage : public CZentavoAxDialogImpl<T>,
                     public CActiveXControl,
                     public DualInterface,
                     public PropertyPage
{
public:
    void* GetInterface(REFIID iid) noexcept
    {
        if (iid == IID_IDispatch || iid == __uuidof(DualInterface))
            return static_cast<DualInterface*>(this);
        if (iid == IID_PropertyPage)
            return static_cast<PropertyPage*>(this);
        return GetControlInterface(iid);
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return m_Dispatch.GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override
    {
        return m_Dispatch.GetTypeInfo(index, locale, typeInfo);
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        return m_Dispatch.GetIDsOfNames(names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override
    {
        return m_Dispatch.Invoke(static_cast<DualInterface*>(this), id, flags, parameters, result, exception,
                                 argumentError);
    }

    // No help for either page.
    STDMETHODIMP GetPageInfo(BSTR* helpFile, long* helpContext) override
    {
        return helpFile && helpContext ? E_NOTIMPL : E_POINTER;
    }

protected:
    explicit COptionsPage(const CLSID& classId) : CActiveXControl(classId), m_Dispatch(__uuidof(DualInterface)) {}

    HWND CreateControlWindow(HWND parent) noexcept override { return this->Create(parent); }

private:
    CTypeInfoDispatch m_Dispatch;
};

class CPropPage : public COptionsPage<CPropPage, IPropPage>
{
public:
    enum { IDD = IDD_PROPPAGE };

    CPropPage() : COptionsPage(CLSID_PropPage) {}
    // A page let go while still active: its window's last messages reach a
    // whole object, before the set-up control and the site go.
    ~CPropPage() { DestroyControlWindow(); }

    // Script 103, with the standard replacements.
    static HRESULT UpdateRegistry(bool doRegister);
    static CMessageTable<CPropPage> GetMessageTable();

    // Clean from here on; keeps the site's PropertyPageSite when it has one.
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;

    STDMETHODIMP get_Dirty(VARIANT_BOOL* dirty) override;
    // The set-up control stores nothing of its own (a login stores itself),
    // so E_FAIL, and the page stays dirty.
    STDMETHODIMP Apply() override;

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnSetupCtrlChanged(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    _variant_t m_Dirty;  // empty until a site or an edit
    PropertyPageSitePtr m_Site;
    CSetupCtrl m_SetupCtrl;
};

class CLitePage : public COptionsPage<CLitePage, ILitePage>
{
public:
    enum { IDD = IDD_LITEPAGE };

    CLitePage() : COptionsPage(CLSID_LitePage) {}

    // Script 111, with the standard replacements.
    static HRESULT UpdateRegistry(bool doRegister);
    static CMessageTable<CLitePage> GetMessageTable();

    STDMETHODIMP get_Dirty(VARIANT_BOOL* dirty) override { return dirty ? E_NOTIMPL : E_POINTER; }
    STDMETHODIMP Apply() override { return E_NOTIMPL; }

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
};
