// The two options-page classes that Outlook's Options dialog can host. For
// now they are plain registered COM objects with their dual interfaces; the
// page they show is built on the ActiveX control layer.
#pragma once

#include "platform/TypeInfoDispatch.h"
#include "resources/ZentavoSMSOutlookAddin_h.h"

#include <windows.h>

// A dual interface with no members of its own, over the module's type
// library.
template <class Interface>
class CEmptyDualObject : public Interface
{
public:
    CEmptyDualObject() : m_Dispatch(__uuidof(Interface)) {}
    virtual ~CEmptyDualObject() = default;

    void* GetInterface(REFIID iid)
    {
        return iid == IID_IDispatch || iid == __uuidof(Interface) ? static_cast<Interface*>(this) : nullptr;
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
        return m_Dispatch.Invoke(static_cast<Interface*>(this), id, flags, parameters, result, exception,
                                 argumentError);
    }

private:
    CTypeInfoDispatch m_Dispatch;
};

class CPropPage : public CEmptyDualObject<IPropPage>
{
public:
    // Script 103, with the standard replacements.
    static HRESULT UpdateRegistry(bool doRegister);
};

class CLitePage : public CEmptyDualObject<ILitePage>
{
public:
    // Script 111, with the standard replacements.
    static HRESULT UpdateRegistry(bool doRegister);
};
