// A container's side of an ActiveX options page, as Outlook's Options dialog
// holds one: a site that is the page's client site, its in-place site over
// a window of the test and, unless told otherwise, Outlook's
// PropertyPageSite, which counts OnStatusChange; and that window.
#pragma once

#include "core/ScopedHandle.h"
#include "platform/OfficeIds.h"

#include <windows.h>

#include <ole2.h>

// What OnStatusChange answers of a site that is not Outlook's: it has no
// PropertyPageSite at all.
constexpr HRESULT kNoStatusChange = S_FALSE;

// The client site, in-place site and (when asked to be) PropertyPageSite of
// one page. Counted, never deleted: the test owns it and checks that the
// page hands back every reference.
class CTestPageSite : public IOleClientSite, public IOleInPlaceSite, public PropertyPageSite
{
public:
    // statusResult: what OnStatusChange answers; kNoStatusChange for a site
    // without PropertyPageSite.
    CTestPageSite(HWND window, HRESULT statusResult) : m_Window(window), m_StatusResult(statusResult) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *object = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *object = static_cast<IOleInPlaceSite*>(this);
        else if ((iid == IID_PropertyPageSite || iid == IID_IDispatch) && m_StatusResult != kNoStatusChange)
            *object = static_cast<PropertyPageSite*>(this);
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_References; }
    STDMETHODIMP_(ULONG) Release() override { return --m_References; }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* window) override
    {
        *window = m_Window;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override
    {
        ++m_InPlaceActivations;
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO) override
    {
        *frame = nullptr;
        *document = nullptr;
        ::GetClientRect(m_Window, position);
        *clip = *position;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override
    {
        --m_InPlaceActivations;
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // PropertyPageSite
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }
    STDMETHODIMP get_Application(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Class(long*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Session(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Parent(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP OnStatusChange() override
    {
        ++m_StatusChanges;
        return m_StatusResult;
    }

    ULONG m_References = 1;
    int m_StatusChanges = 0;
    int m_InPlaceActivations = 0;

private:
    HWND m_Window;
    HRESULT m_StatusResult;
};

// The Options dialog's stand-in: a visible top-level window.
class CTestPageContainer
{
public:
    CTestPageContainer();
    HWND get() const { return m_Window.get(); }

private:
    CScopedWindow m_Window;
};
