// Membership of the calling thread in a COM apartment for one scope:
// CoInitializeEx on construction, CoUninitialize on destruction only when
// the initialisation succeeded. Created and destroyed on the same thread.
#pragma once

#include <objbase.h>

class CScopedComApartment
{
public:
    explicit CScopedComApartment(DWORD coInit) noexcept : m_Result(::CoInitializeEx(nullptr, coInit)) {}
    ~CScopedComApartment()
    {
        if (SUCCEEDED(m_Result))
            ::CoUninitialize();
    }

    CScopedComApartment(const CScopedComApartment&) = delete;
    CScopedComApartment& operator=(const CScopedComApartment&) = delete;

    // S_OK or S_FALSE when the thread joined; RPC_E_CHANGED_MODE when it is
    // already in an apartment of the other kind.
    HRESULT GetResult() const { return m_Result; }

private:
    HRESULT m_Result;
};
