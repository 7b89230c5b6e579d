// IDispatch over the module's own type library: names and dispatch ids come
// from the interface's type information, and calls go to the object's
// vtable (ITypeInfo::Invoke), as Office calls the ribbon callbacks by name.
//
//   STDMETHODIMP Invoke(...) override
//   { return m_Dispatch.Invoke(static_cast<IRibbonCallback*>(this), ...); }
//
// The type information is loaded on first use from the module's file and
// held until the holder goes; a module without the library answers the
// failure of loading it (TYPE_E_*) from every call.
#pragma once

#include "platform/ComPtr.h"

class CTypeInfoDispatch
{
public:
    explicit CTypeInfoDispatch(const IID& iid) : m_Iid(iid) {}

    HRESULT GetTypeInfoCount(UINT* count);
    HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo);
    HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
    HRESULT Invoke(void* object, DISPID id, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError);

private:
    HRESULT Load();

    const IID m_Iid;
    ITypeInfoPtr m_TypeInfo;
};
