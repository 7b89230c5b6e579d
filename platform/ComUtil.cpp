// The pieces of the COM support library that MinGW's comdef.h and comutil.h
// declare but do not define, so that _bstr_t, _variant_t and _com_error work.
// Narrow text is in the ANSI code page, as with the Windows SDK's library.
#include <comdef.h>

#include <new>

namespace _com_util
{
BSTR WINAPI ConvertStringToBSTR(const char* pSrc)
{
    if (!pSrc)
        return nullptr;
    const int length = ::MultiByteToWideChar(CP_ACP, 0, pSrc, -1, nullptr, 0);
    if (length <= 0)
    {
        _com_issue_error(HRESULT_FROM_WIN32(::GetLastError()));
        return nullptr;
    }
    // length counts the terminator; SysAllocStringLen adds its own.
    BSTR result = ::SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
    if (!result)
    {
        _com_issue_error(E_OUTOFMEMORY);
        return nullptr;
    }
    ::MultiByteToWideChar(CP_ACP, 0, pSrc, -1, result, length);
    return result;
}

// The result is freed by _bstr_t with delete[].
char* WINAPI ConvertBSTRToString(BSTR pSrc)
{
    if (!pSrc)
        return nullptr;
    const int sourceLength = static_cast<int>(::SysStringLen(pSrc));
    const int length = ::WideCharToMultiByte(CP_ACP, 0, pSrc, sourceLength, nullptr, 0, nullptr, nullptr);
    char* result = new (std::nothrow) char[static_cast<size_t>(length) + 1];
    if (!result)
    {
        _com_issue_error(E_OUTOFMEMORY);
        return nullptr;
    }
    if (length > 0)
        ::WideCharToMultiByte(CP_ACP, 0, pSrc, sourceLength, result, length, nullptr, nullptr);
    result[length] = '\0';
    return result;
}
} // namespace _com_util

// Raises a _com_error carrying the error information that the failing object
// left for this thread, when the object says it supports error information.
void WINAPI _com_issue_errorex(HRESULT hr, IUnknown* punk, REFIID riid)
{
    IErrorInfo* errorInfo = nullptr;
    if (punk)
    {
        ISupportErrorInfo* support = nullptr;
        if (SUCCEEDED(punk->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support))))
        {
            if (support->InterfaceSupportsErrorInfo(riid) == S_OK)
            {
                if (::GetErrorInfo(0, &errorInfo) != S_OK)
                    errorInfo = nullptr;
            }
            support->Release();
        }
    }
    // _com_error takes over the reference that GetErrorInfo handed out.
    _com_raise_error(hr, errorInfo);
}

// The "argument left out" value that comutil.h declares.
_variant_t vtMissing(static_cast<long>(DISP_E_PARAMNOTFOUND), VT_ERROR);
