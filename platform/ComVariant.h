// A VARIANT that owns its contents (_variant_t) and compares as ATL's
// CComVariant does: values of different types are never equal, two nulls
// are, and otherwise VarCmp decides in the user's locale, case-sensitively.
// Copies are deep (VariantCopy) and raise _com_error when the copy fails.
#pragma once

#include <comdef.h>

class CComVariant : public _variant_t
{
public:
    using _variant_t::_variant_t;
    CComVariant() = default;
    CComVariant(const _variant_t& value) : _variant_t(value) {}

    // Frees the old contents, then copies the source; the HRESULT of the
    // copy, the variant left empty on failure.
    HRESULT Copy(const VARIANT* source) noexcept;

    bool operator==(const VARIANT& other) const noexcept;
    bool operator!=(const VARIANT& other) const noexcept { return !(*this == other); }
};
