// The add-in object that Outlook creates through the class factory and
// connects through _IDTExtensibility2. One dual IDispatch serves all of its
// interfaces: Office calls the ribbon callbacks by name, so names and
// dispatch ids come from IRibbonCallback in the module's type library.
//
// Created only through CComObject<CAddin> (the object map); it holds a
// module lock while it lives.
#pragma once

#include "platform/TypeInfoDispatch.h"
#include "resources/ZentavoSMSOutlookAddin_h.h"

#include <windows.h>

class CAddin : public IAddin, public IRibbonCallback, public _IDTExtensibility2, public IRibbonExtensibility
{
public:
    // Later event-log entries go out under the add-in's own source.
    CAddin();
    virtual ~CAddin();

    CAddin(const CAddin&) = delete;
    CAddin& operator=(const CAddin&) = delete;

    // The class's registration routine: the COM class, its ProgIDs and, unless
    // suppressed, Outlook's add-in key and the event-log source.
    static HRESULT UpdateRegistry(bool doRegister);

    // For CComObject: every interface but IUnknown, without AddRef.
    void* GetInterface(REFIID iid);

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // _IDTExtensibility2
    STDMETHODIMP OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addInInstance,
                              SAFEARRAY** custom) override;
    STDMETHODIMP OnDisconnection(ext_DisconnectMode mode, SAFEARRAY** custom) override;
    STDMETHODIMP OnAddInsUpdate(SAFEARRAY** custom) override;
    STDMETHODIMP OnStartupComplete(SAFEARRAY** custom) override;
    STDMETHODIMP OnBeginShutdown(SAFEARRAY** custom) override;

    // IRibbonExtensibility
    STDMETHODIMP GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) override;

    // IRibbonCallback
    STDMETHODIMP AppointmentItem_RibbonLoaded(IDispatch* ribbon) override;
    STDMETHODIMP Ribbon_ButtonOnAction(IDispatch* control) override;
    STDMETHODIMP Ribbon_CheckBoxOnAction(IDispatch* control, LONG pressed) override;
    STDMETHODIMP Ribbon_DropDownOnAction(IDispatch* control, BSTR selectedId, LONG selectedIndex) override;
    STDMETHODIMP Ribbon_OnChange(IDispatch* control, BSTR text) override;
    STDMETHODIMP Ribbon_GetLabel(IDispatch* control, BSTR* label) override;
    STDMETHODIMP Ribbon_GetText(IDispatch* control, BSTR* text) override;
    STDMETHODIMP Ribbon_GetPressed(IDispatch* control, LONG* pressed) override;
    STDMETHODIMP Ribbon_GetItemCount(IDispatch* control, LONG* count) override;
    STDMETHODIMP Ribbon_GetItemID(IDispatch* control, LONG index, BSTR* id) override;
    STDMETHODIMP Ribbon_GetItemLabel(IDispatch* control, LONG index, BSTR* label) override;
    STDMETHODIMP Ribbon_GetVisible(IDispatch* control, LONG* visible) override;
    STDMETHODIMP OutlookExplorer_RibbonLoaded(IDispatch* ribbon) override;

private:
    CTypeInfoDispatch m_Dispatch;
};
