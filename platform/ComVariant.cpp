#include "platform/ComVariant.h"

HRESULT CComVariant::Copy(const VARIANT* source) noexcept
{
    if (!source)
        return E_POINTER;
    HRESULT hr = ::VariantClear(this);
    if (SUCCEEDED(hr))
        hr = ::VariantCopy(this, const_cast<VARIANT*>(source));
    if (FAILED(hr))
        V_VT(this) = VT_EMPTY;
    return hr;
}

bool CComVariant::operator==(const VARIANT& other) const noexcept
{
    // VarCmp answers VARCMP_NULL for two nulls.
    if (V_VT(this) == VT_NULL && V_VT(&other) == VT_NULL)
        return true;
    if (V_VT(this) != V_VT(&other))
        return false;
    return ::VarCmp(const_cast<CComVariant*>(this), const_cast<VARIANT*>(&other), LOCALE_USER_DEFAULT, 0) ==
           static_cast<HRESULT>(VARCMP_EQ);
}
