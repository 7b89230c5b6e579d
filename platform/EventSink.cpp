#include "platform/EventSink.h"

const VARIANT* CEventArguments::At(UINT index) const
{
    if (!m_pParameters || index >= m_pParameters->cArgs)
        return nullptr;
    const VARIANT* value = &m_pParameters->rgvarg[m_pParameters->cArgs - 1 - index];
    // A VARIANT passed by reference holds the value one level down.
    if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal)
        value = value->pvarVal;
    return value;
}

IDispatchPtr CEventArguments::Dispatch(UINT index) const
{
    const VARIANT* value = At(index);
    if (!value)
        return IDispatchPtr();
    switch (value->vt)
    {
    case VT_DISPATCH:
        return IDispatchPtr(value->pdispVal);
    case VT_DISPATCH | VT_BYREF:
        return value->ppdispVal ? IDispatchPtr(*value->ppdispVal) : IDispatchPtr();
    case VT_UNKNOWN:
        return value->punkVal ? IDispatchPtr(value->punkVal) : IDispatchPtr();
    case VT_UNKNOWN | VT_BYREF:
        return value->ppunkVal && *value->ppunkVal ? IDispatchPtr(*value->ppunkVal) : IDispatchPtr();
    default:
        return IDispatchPtr();
    }
}

long CEventArguments::Long(UINT index) const
{
    const VARIANT* value = At(index);
    if (!value)
        return 0;
    VARIANT converted;
    ::VariantInit(&converted);
    if (FAILED(::VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_I4)))
        return 0;
    return converted.lVal;
}

bool CEventArguments::Bool(UINT index) const
{
    return Long(index) != 0;
}

std::wstring CEventArguments::Text(UINT index) const
{
    const VARIANT* value = At(index);
    if (value && value->vt == VT_BSTR && value->bstrVal)
        return value->bstrVal;
    if (value && value->vt == (VT_BYREF | VT_BSTR) && value->pbstrVal && *value->pbstrVal)
        return *value->pbstrVal;
    return std::wstring();
}

VARIANT_BOOL* CEventArguments::BoolReference(UINT index)
{
    const VARIANT* value = At(index);
    if (value && value->vt == (VT_BYREF | VT_BOOL) && value->pboolVal)
        return value->pboolVal;
    m_Discarded = value && Bool(index) ? VARIANT_TRUE : VARIANT_FALSE;
    return &m_Discarded;
}

HRESULT CDispEventSink::FindConnectionPoint(IUnknown* source, const IID& eventInterface, IConnectionPoint** point)
{
    *point = nullptr;
    if (!source)
        return E_POINTER;
    IConnectionPointContainerPtr container;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(hr))
        return hr;
    if (!container)
        return E_NOINTERFACE;
    return container->FindConnectionPoint(eventInterface, point);
}

HRESULT CDispEventSink::Advise(IUnknown* source)
{
    if (IsAdvised())
        return E_FAIL;
    IConnectionPointPtr point;
    HRESULT hr = FindConnectionPoint(source, m_EventInterface, &point);
    if (FAILED(hr))
        return hr;
    DWORD cookie = kNotAdvised;
    hr = point->Advise(static_cast<IDispatch*>(this), &cookie);
    if (SUCCEEDED(hr))
        m_Cookie = cookie;
    return hr;
}

HRESULT CDispEventSink::Unadvise(IUnknown* source)
{
    const DWORD cookie = m_Cookie;
    m_Cookie = kNotAdvised;
    IConnectionPointPtr point;
    const HRESULT hr = FindConnectionPoint(source, m_EventInterface, &point);
    if (FAILED(hr))
        return hr;
    return point->Unadvise(cookie);
}

STDMETHODIMP CDispEventSink::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == m_EventInterface)
    {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CDispEventSink::AddRef()
{
    return static_cast<ULONG>(++m_References);
}

STDMETHODIMP_(ULONG) CDispEventSink::Release()
{
    if (m_References == 0)
        return 0;
    if (--m_References == 0 && m_OwnerKept)
    {
        m_OwnerKept = false;
        m_pOwner->Release();  // may free this sink: nothing after it
        return 0;
    }
    return static_cast<ULONG>(m_References);
}

void CDispEventSink::EndCall(IUnknown* owner)
{
    --m_Calls;
    if (!owner)
        return;
    if (!IsAdvised() && m_References > 0 && !m_OwnerKept)
    {
        m_OwnerKept = true;
        return;
    }
    owner->Release();  // may free this sink: nothing after it
}

STDMETHODIMP CDispEventSink::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CDispEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo)
{
    if (typeInfo)
        *typeInfo = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CDispEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

STDMETHODIMP CDispEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT* result,
                                    EXCEPINFO*, UINT*)
{
    if (result)
        ::VariantInit(result);
    const auto found = m_Handlers.find(id);
    if (found == m_Handlers.end())
        return S_OK;
    IUnknown* const owner = m_pOwner;
    if (owner)
        owner->AddRef();
    ++m_Calls;
    HRESULT hr = S_OK;
    try
    {
        CEventArguments arguments(parameters);
        found->second(arguments);
    }
    catch (...)
    {
        hr = DISP_E_EXCEPTION;
    }
    EndCall(owner);  // may free this sink: nothing after it
    return hr;
}
