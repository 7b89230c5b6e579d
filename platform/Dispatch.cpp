#include "platform/Dispatch.h"

#include "platform/ExceptionInfo.h"

#include <oleauto.h>

namespace
{
// Error information with a description and a source, handed to _com_error,
// which takes over the reference.
IErrorInfo* MakeErrorInfo(const wchar_t* description, const wchar_t* source)
{
    ICreateErrorInfoPtr create;
    if (FAILED(::CreateErrorInfo(&create)))
        return nullptr;
    create->SetGUID(GUID_NULL);
    if (description)
        create->SetDescription(const_cast<LPOLESTR>(description));
    if (source)
        create->SetSource(const_cast<LPOLESTR>(source));
    IErrorInfo* info = nullptr;
    if (FAILED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))))
        return nullptr;
    return info;
}

[[noreturn]] void ThrowFromExceptionInfo(CScopedExceptionInfo& exception)
{
    exception.Complete();
    HRESULT hr = exception.scode;
    if (hr == S_OK)
        hr = exception.wCode ? _com_error::WCodeToHRESULT(exception.wCode) : DISP_E_EXCEPTION;
    if (!exception.bstrDescription && !exception.bstrSource)
        throw _com_error(hr);
    throw _com_error(hr, MakeErrorInfo(exception.bstrDescription, exception.bstrSource));
}
} // namespace

namespace Dispatch
{
DISPID GetDispId(IDispatch* object, const wchar_t* name)
{
    if (!object)
        throw _com_error(E_POINTER);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    const HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr))
    {
        const std::wstring description = std::wstring(L"IDispatch::GetIDsOfNames failed for \"") + name + L"\"";
        throw _com_error(hr, MakeErrorInfo(description.c_str(), nullptr));
    }
    return id;
}

_variant_t Invoke(IDispatch* object, const wchar_t* name, WORD flags, const Arguments& arguments)
{
    return InvokeById(object, GetDispId(object, name), flags, arguments);
}

_variant_t InvokeById(IDispatch* object, DISPID id, WORD flags, const Arguments& arguments)
{
    if (!object)
        throw _com_error(E_POINTER);
    // Invoke takes the arguments last first. The copies stay owned by the
    // vector; a by-reference variant still points at the caller's storage.
    Arguments reversed(arguments.rbegin(), arguments.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS parameters = {};
    parameters.cArgs = static_cast<UINT>(reversed.size());
    parameters.rgvarg = reversed.empty() ? nullptr : &reversed[0];
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
    {
        parameters.cNamedArgs = 1;
        parameters.rgdispidNamedArgs = &putId;
    }

    _variant_t result;
    CScopedExceptionInfo exception;
    UINT argumentError = 0;
    const HRESULT hr =
        object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, &result, &exception, &argumentError);
    if (hr == DISP_E_EXCEPTION)
        ThrowFromExceptionInfo(exception);
    if (FAILED(hr))
        throw _com_error(hr);
    return result;
}

void Put(IDispatch* object, const wchar_t* name, const _variant_t& value)
{
    const VARTYPE type = V_VT(&value);
    if (type != VT_DISPATCH && type != VT_UNKNOWN)
    {
        Invoke(object, name, DISPATCH_PROPERTYPUT, Arguments{value});
        return;
    }
    // Object properties are declared propputref, but those typed VARIANT
    // (Explorer.CurrentView) take objects by a plain put.
    try
    {
        Invoke(object, name, DISPATCH_PROPERTYPUTREF, Arguments{value});
    }
    catch (const _com_error& e)
    {
        if (e.Error() != DISP_E_MEMBERNOTFOUND)
            throw;
        Invoke(object, name, DISPATCH_PROPERTYPUT, Arguments{value});
    }
}

IDispatchPtr ToPtr(const _variant_t& value)
{
    switch (V_VT(&value))
    {
    case VT_EMPTY:
    case VT_NULL:
        return IDispatchPtr();
    case VT_DISPATCH:
        return IDispatchPtr(V_DISPATCH(&value));
    case VT_UNKNOWN:
    {
        if (!V_UNKNOWN(&value))
            return IDispatchPtr();
        IDispatchPtr result;
        const HRESULT hr = V_UNKNOWN(&value)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&result));
        if (FAILED(hr))
            throw _com_error(hr);
        return result;
    }
    default:
        throw _com_error(DISP_E_TYPEMISMATCH);
    }
}

std::wstring ToText(const _variant_t& value)
{
    switch (V_VT(&value))
    {
    case VT_EMPTY:
    case VT_NULL:
        return std::wstring();
    case VT_BSTR:
        return V_BSTR(&value) ? std::wstring(V_BSTR(&value), ::SysStringLen(V_BSTR(&value))) : std::wstring();
    default:
    {
        _variant_t text;
        const HRESULT hr = ::VariantChangeType(&text, const_cast<_variant_t*>(&value), 0, VT_BSTR);
        if (FAILED(hr))
            throw _com_error(hr);
        return ToText(text);
    }
    }
}

_variant_t Missing()
{
    return _variant_t(static_cast<long>(DISP_E_PARAMNOTFOUND), VT_ERROR);
}
} // namespace Dispatch
