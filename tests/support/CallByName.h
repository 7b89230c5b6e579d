// Calls a member of an IDispatch by name, as Office calls the ribbon
// callbacks: GetIDsOfNames, then Invoke with a real DISPPARAMS holding the
// arguments (given here in natural order) reversed. Both calls are expected
// to succeed; the [out, retval] value is returned.
#pragma once

#include "platform/ComPtr.h"

#include <gtest/gtest.h>

#include <vector>

inline _variant_t CallByName(IDispatch* object, const wchar_t* name, std::vector<_variant_t> arguments)
{
    LPOLESTR member = const_cast<LPOLESTR>(name);
    DISPID id = 0;
    EXPECT_EQ(S_OK, object->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_USER_DEFAULT, &id));
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS parameters = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    _variant_t result;
    EXPECT_EQ(S_OK, object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &result, nullptr,
                                   nullptr));
    return result;
}
