#include "addin/NameVariantCollection.h"

#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "platform/Dispatch.h"

#include <algorithm>

namespace
{
const long olText = 1;
const std::string kPersistStep =
    "COutlookAddin_UserPropertiesPersistance::PersistNameVariantCollectionToUserProperties:";

std::string NarrowText(const _variant_t& value)
{
    const _bstr_t text(value);
    const char* narrow = text;
    return narrow ? narrow : "";
}

_variant_t IndexArgument(long index)
{
    _variant_t argument;
    V_VT(&argument) = VT_INT;
    V_INT(&argument) = index;
    return argument;
}

// True when the failure is one of the refusals with which Outlook answers
// for an item the user may not change.
bool IsRefusal(const _com_error& error, std::initializer_list<HRESULT> refusals)
{
    return std::find(refusals.begin(), refusals.end(), error.Error()) != refusals.end();
}
} // namespace

CNameVariantCollection::~CNameVariantCollection() = default;

const CComVariant* CNameVariantCollection::Find(const std::string& name) const
{
    const Entries::const_iterator found = m_Entries.find(name);
    return found == m_Entries.end() ? nullptr : &found->second;
}

bool CNameVariantCollection::GetBool(const std::string& name, bool defaultValue) const
{
    const CComVariant* value = Find(name);
    return value ? static_cast<bool>(*value) : defaultValue;
}

std::string CNameVariantCollection::GetString(const std::string& name, const std::string& defaultValue) const
{
    const CComVariant* value = Find(name);
    return value ? NarrowText(*value) : defaultValue;
}

void CNameVariantCollection::Set(const std::string& name, const VARIANT& value)
{
    CComVariant copy;
    const HRESULT hr = copy.Copy(&value);
    if (FAILED(hr))
        throw _com_error(hr);
    m_Entries[name] = copy;
}

void CNameVariantCollection::CopyTo(CNameVariantCollection& target) const
{
    target.m_Entries.clear();
    for (const auto& entry : m_Entries)
        target.Set(entry.first, entry.second);
}

bool COutlookAddin_UserPropertiesPersistance::GetVariantAsBool(const VARIANT& value)
{
    if (V_VT(&value) == VT_BOOL)
        return V_BOOL(&value) == VARIANT_TRUE;
    if (V_VT(&value) == VT_BSTR)
        return NarrowText(value) == "1";
    throw CGeneralException("COutlookAddin_UserPropertiesPersistance::GetVariantAsBool - Variant unexpected type",
                            E_FAIL);
}

void COutlookAddin_UserPropertiesPersistance::LoadNameVariantCollectionFromUserProperties(
    CNameVariantCollection& collection, IDispatch* userProperties, const std::string& prefix)
{
    const long count = Dispatch::Get(userProperties, L"Count");
    for (long index = 1; index <= count; ++index)
    {
        const IDispatchPtr property = Dispatch::CallPtr(userProperties, L"Item", IndexArgument(index));
        if (!property)
            throw _com_error(E_POINTER);
        const std::string name = NarrowText(Dispatch::Get(property, L"Name"));
        if (name.compare(0, prefix.size(), prefix) == 0)
            collection.Set(name, Dispatch::Get(property, L"Value"));
    }
}

void COutlookAddin_UserPropertiesPersistance::PersistNameVariantCollectionToUserProperties(
    const CNameVariantCollection& collection, IDispatch* userProperties, bool& insufficientPermission)
{
    insufficientPermission = false;
    std::string step = kPersistStep + "Entry";
    try
    {
        for (const auto& entry : collection.GetEntries())
            PersistEntry(entry.first, entry.second, userProperties, insufficientPermission, step);
    }
    catch (...)
    {
        RethrowCurrentExceptionWithContext(step);
    }
}

void COutlookAddin_UserPropertiesPersistance::PersistEntry(const std::string& entryName, const VARIANT& entryValue,
                                                           IDispatch* userProperties, bool& insufficientPermission,
                                                           std::string& step)
{
    step = kPersistStep + "Getting Name";
    const std::string name = entryName;
    step = kPersistStep + "Getting Exiting User Property";
    IDispatchPtr property = Dispatch::CallPtr(userProperties, L"Item", name);

    CComVariant value;
    if (V_VT(&entryValue) == VT_BOOL)
    {
        step = kPersistStep + "Getting value for BOOL";
        value = GetVariantAsBool(entryValue) ? L"1" : L"0";
    }
    else
    {
        step = kPersistStep + "Getting value";
        value = entryValue;
    }

    if (property)
    {
        step = kPersistStep + "Setting Exiting User Property";
        try
        {
            // An unchanged value is not written, so an unchanged reminder
            // leaves the item unmodified.
            if (value != Dispatch::Get(property, L"Value"))
                Dispatch::Put(property, L"Value", value);
        }
        catch (const _com_error& e)
        {
            if (!IsRefusal(e, {E_ACCESSDENIED}))
                throw;
            insufficientPermission = true;
        }
        return;
    }

    step = kPersistStep + "Creating New User Property (";
    try
    {
        step += "Name:" + name;
    }
    catch (...)
    {
        // Only the context text is shorter.
    }
    try
    {
        property = Dispatch::CallPtr(userProperties, L"Add", name, olText);
    }
    catch (const _com_error& e)
    {
        if (!IsRefusal(e, {E_ACCESSDENIED, E_INVALIDARG}))
            throw;
        insufficientPermission = true;
    }
    if (insufficientPermission)
        return;
    step = kPersistStep + "Setting New User Property (Name:" + name;
    Dispatch::Put(property, L"Value", value);
}
