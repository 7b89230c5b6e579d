#include "platform/TypeInfoDispatch.h"

#include "platform/ComModule.h"

HRESULT CTypeInfoDispatch::Load()
{
    if (m_TypeInfo)
        return S_OK;
    ITypeLib* library = nullptr;
    HRESULT hr = ::LoadTypeLibEx(GetComModule().GetModuleFileName().c_str(), REGKIND_NONE, &library);
    if (FAILED(hr))
        return hr;
    ITypeInfo* typeInfo = nullptr;
    hr = library->GetTypeInfoOfGuid(m_Iid, &typeInfo);
    library->Release();
    if (SUCCEEDED(hr))
        m_TypeInfo.Attach(typeInfo);
    return hr;
}

HRESULT CTypeInfoDispatch::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT CTypeInfoDispatch::GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo)
{
    if (!typeInfo)
        return E_POINTER;
    *typeInfo = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    const HRESULT hr = Load();
    if (FAILED(hr))
        return hr;
    *typeInfo = m_TypeInfo;
    (*typeInfo)->AddRef();
    return S_OK;
}

HRESULT CTypeInfoDispatch::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids)
{
    const HRESULT hr = Load();
    if (FAILED(hr))
        return hr;
    return m_TypeInfo->GetIDsOfNames(names, count, ids);
}

HRESULT CTypeInfoDispatch::Invoke(void* object, DISPID id, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                  EXCEPINFO* exception, UINT* argumentError)
{
    const HRESULT hr = Load();
    if (FAILED(hr))
        return hr;
    return m_TypeInfo->Invoke(object, id, flags, parameters, result, exception, argumentError);
}
