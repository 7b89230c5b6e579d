// Late-bound calls into Outlook and Office. No Outlook type library is at
// hand, so members are found by name (GetIDsOfNames) and called through
// IDispatch::Invoke, as a scripting client would.
//
//   IDispatchPtr ns = Dispatch::CallPtr(app, L"GetNamespace", L"MAPI");
//   IDispatchPtr sent = Dispatch::CallPtr(ns, L"GetDefaultFolder", 5);
//   long count = Dispatch::Get(Dispatch::GetPtr(sent, L"Items"), L"Count");
//   Dispatch::Put(mail, L"Subject", L"SMS Message Sent");
//   Dispatch::Call(mail, L"Move", sent);
//
// Arguments are given in their natural order and converted to _variant_t;
// leave an optional argument out with Dispatch::Missing(). A variant built
// with VT_BYREF passes a by-reference argument that the callee may write.
//
// Every failure raises _com_error carrying the HRESULT; when the object
// reports an exception (DISP_E_EXCEPTION), the error carries the HRESULT and
// the description and source from its EXCEPINFO instead. A null object
// raises E_POINTER. Nothing here caches dispatch ids; a caller that needs
// speed looks one up with GetDispId and calls InvokeById.
//
// Results: Get and Call return the result variant (VT_EMPTY for none).
// GetPtr and CallPtr (windows.h owns the name GetObject) return an IDispatch
// smart pointer holding its own reference, empty when the member gave
// Nothing, and raise DISP_E_TYPEMISMATCH when the result is not an object.
#pragma once

#include "platform/ComPtr.h"

#include <string>
#include <vector>

namespace Dispatch
{
using Arguments = std::vector<_variant_t>;

// The dispatch id of a member; raises the lookup's HRESULT, with the member's
// name in the description.
DISPID GetDispId(IDispatch* object, const wchar_t* name);

// One call with explicit flags; arguments in natural order.
_variant_t Invoke(IDispatch* object, const wchar_t* name, WORD flags, const Arguments& arguments);
// The same with a dispatch id looked up beforehand (GetDispId), for loops
// over many objects of one type where the name lookup would dominate.
_variant_t InvokeById(IDispatch* object, DISPID id, WORD flags, const Arguments& arguments);

// Property put: objects go by reference (DISPATCH_PROPERTYPUTREF), as
// "Set x.Member = object" does, and by DISPATCH_PROPERTYPUT when the member
// has no such form; other values by DISPATCH_PROPERTYPUT. The value may be
// anything ToArgument takes.
void Put(IDispatch* object, const wchar_t* name, const _variant_t& value);

// Converts a result: Nothing (VT_EMPTY, VT_NULL or a null object) gives an
// empty pointer.
IDispatchPtr ToPtr(const _variant_t& value);
// Converts a result to text: VT_EMPTY, VT_NULL and a null BSTR give "".
std::wstring ToText(const _variant_t& value);

// An optional argument left out (VT_ERROR, DISP_E_PARAMNOTFOUND).
_variant_t Missing();

inline _variant_t ToArgument(const _variant_t& value) { return value; }
inline _variant_t ToArgument(const wchar_t* value) { return _variant_t(value); }
inline _variant_t ToArgument(const std::wstring& value) { return _variant_t(value.c_str()); }
inline _variant_t ToArgument(const char* value) { return _variant_t(value); }
inline _variant_t ToArgument(const std::string& value) { return _variant_t(value.c_str()); }
inline _variant_t ToArgument(bool value) { return _variant_t(value); }
inline _variant_t ToArgument(int value) { return _variant_t(static_cast<long>(value)); }
inline _variant_t ToArgument(long value) { return _variant_t(value); }
inline _variant_t ToArgument(IDispatch* value) { return _variant_t(value); }
// Any COM smart pointer: passed as its IDispatch when it has one, else as
// IUnknown; an empty pointer passes Nothing.
template <typename IIID>
_variant_t ToArgument(const _com_ptr_t<IIID>& value)
{
    IUnknownPtr unknown(value);
    IDispatchPtr dispatch(unknown);
    if (dispatch || !unknown)
        return _variant_t(dispatch.GetInterfacePtr());
    return _variant_t(unknown.GetInterfacePtr());
}

template <typename T>
void Put(IDispatch* object, const wchar_t* name, const T& value)
{
    Put(object, name, ToArgument(value));
}

// A property read (DISPATCH_PROPERTYGET only).
template <typename... Args>
_variant_t Get(IDispatch* object, const wchar_t* name, const Args&... args)
{
    return Invoke(object, name, DISPATCH_PROPERTYGET, Arguments{ToArgument(args)...});
}

// A method call. Like a scripting client it also answers property reads, so
// members that Outlook declares as properties (Folder.Items) work as well.
template <typename... Args>
_variant_t Call(IDispatch* object, const wchar_t* name, const Args&... args)
{
    return Invoke(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, Arguments{ToArgument(args)...});
}

template <typename... Args>
IDispatchPtr GetPtr(IDispatch* object, const wchar_t* name, const Args&... args)
{
    return ToPtr(Get(object, name, args...));
}

template <typename... Args>
IDispatchPtr CallPtr(IDispatch* object, const wchar_t* name, const Args&... args)
{
    return ToPtr(Call(object, name, args...));
}

inline std::wstring GetText(IDispatch* object, const wchar_t* name)
{
    return ToText(Get(object, name));
}
} // namespace Dispatch
