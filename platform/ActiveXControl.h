// The least of an ActiveX control that a container such as Outlook's Options
// dialog sites, activates in place and shows: the OLE interfaces it calls,
// and nothing else.
//
// The control's window is a child dialog the derived class creates in the
// in-place site's window on in-place activation and that goes again at
// in-place deactivation (or Close, or the object's end). A derived class
// also derives from a dialog class and answers
//     HWND CreateControlWindow(HWND parent)   the new child window, or null
// and hands GetControlInterface its interface queries.
//
// Ownership: the client site, the in-place site, the frame and the document
// window the container hands over are held (counted) until SetClientSite
// with another site, Close or deactivation lets them go; the advise sinks
// until they are unadvised. Persistence is accepted and keeps nothing: the
// controls built on this have no properties to keep. Every method answers
// an HRESULT and lets no C++ exception out. One thread: the container's.
#pragma once

#include "platform/ComPtr.h"

#include <windows.h>

#include <ocidl.h>
#include <oleidl.h>

class CActiveXControl : public IOleObject,
                        public IOleInPlaceObject,
                        public IOleInPlaceActiveObject,
                        public IOleControl,
                        public IViewObject2,
                        public IPersistStreamInit,
                        public IPersistStorage,
                        public IPersistPropertyBag,
                        public IQuickActivate
{
public:
    // The interface of these, without AddRef; null for any other.
    void* GetControlInterface(REFIID iid) noexcept;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return OLE_S_USEREG; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* classId) override;
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advises) override;
    // What the class's registration says (MiscStatus).
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, for both in-place interfaces
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IOleInPlaceActiveObject: keys for the control's windows go through
    // the dialog's own handling (Tab, arrows, mnemonics); Enter and Escape
    // stay the container's.
    STDMETHODIMP TranslateAccelerator(LPMSG message) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return S_OK; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }

    // IOleControl: no mnemonics, no ambient properties to follow.
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(LPMSG) override { return S_OK; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL) override { return S_OK; }

    // IViewObject2: the window paints itself; Draw only answers for an
    // inactive control.
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC, LPCRECTL bounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override;

    // IPersist, for the three persistence interfaces
    STDMETHODIMP GetClassID(CLSID* classId) override;

    // IPersistStreamInit
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM) override { return S_OK; }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override { return S_OK; }

    // IPersistStorage
    STDMETHODIMP InitNew(IStorage*) override { return S_OK; }
    STDMETHODIMP Load(IStorage*) override { return S_OK; }
    STDMETHODIMP Save(IStorage*, BOOL) override { return S_OK; }
    STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
    STDMETHODIMP HandsOffStorage() override { return S_OK; }

    // IPersistPropertyBag
    STDMETHODIMP Load(IPropertyBag*, IErrorLog*) override { return S_OK; }
    STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return S_OK; }

    // IQuickActivate: the client site and the view's advise sink in one call.
    STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    STDMETHODIMP SetContentExtent(LPSIZEL size) override;
    STDMETHODIMP GetContentExtent(LPSIZEL size) override;

protected:
    // classId must outlive the object (a module constant).
    explicit CActiveXControl(const CLSID& classId) noexcept;
    virtual ~CActiveXControl();
    CActiveXControl(const CActiveXControl&) = delete;
    CActiveXControl& operator=(const CActiveXControl&) = delete;

    virtual HWND CreateControlWindow(HWND parent) noexcept = 0;

    // The open control window, or null.
    HWND ControlWindow() const noexcept { return m_Window; }
    IOleClientSite* ClientSite() const noexcept { return m_ClientSite; }
    // Destroys the control window, if open; a derived class whose window
    // handlers use its members calls it from its own destructor.
    void DestroyControlWindow() noexcept;

private:
    HRESULT InPlaceActivate(LONG verb, LPCRECT position);
    HRESULT UIActivate();

    const CLSID& m_ClassId;
    IOleClientSitePtr m_ClientSite;
    IOleInPlaceSitePtr m_InPlaceSite;
    IOleInPlaceFramePtr m_Frame;
    IOleInPlaceUIWindowPtr m_DocumentWindow;
    IOleAdviseHolderPtr m_OleAdvise;
    IAdviseSinkPtr m_ViewAdvise;
    DWORD m_ViewAdviseAspects = 0;
    DWORD m_ViewAdviseFlags = 0;
    // HIMETRIC; two inches until the container says otherwise.
    SIZEL m_Extent = {5080, 5080};
    HWND m_Window = nullptr;
    bool m_InPlaceActive = false;
    bool m_UIActive = false;
};
