#include "addin/NameVariantCollection.h"

#include "core/Exceptions.h"
#include "gateway/OutlookEmailSender.h"
#include "platform/Dispatch.h"

#include <algorithm>
#include <functional>

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

// A step that the user's lack of rights may refuse: false when it was
// refused with one of the HRESULTs, any other failure raised as RunStep does.
bool RunRefusableStep(const std::string& context, std::initializer_list<HRESULT> refusals,
                      const std::function<void()>& step)
{
    bool refused = false;
    OutlookMail::RunStep(context, [&] {
        try
        {
            step();
        }
        catch (const _com_error& e)
        {
            if (std::find(refusals.begin(), refusals.end(), e.Error()) == refusals.end())
                throw;
            refused = true;
        }
    });
    return !refused;
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
    for (const auto& entry : collection.GetEntries())
    {
        std::string name;
        OutlookMail::RunStep(kPersistStep + "Getting Name", [&] { name = entry.first; });
        IDispatchPtr property;
        OutlookMail::RunStep(kPersistStep + "Getting Exiting User Property",
                             [&] { property = Dispatch::CallPtr(userProperties, L"Item", name); });

        CComVariant value;
        if (V_VT(&entry.second) == VT_BOOL)
            OutlookMail::RunStep(kPersistStep + "Getting value for BOOL",
                                 [&] { value = GetVariantAsBool(entry.second) ? L"1" : L"0"; });
        else
            OutlookMail::RunStep(kPersistStep + "Getting value", [&] { value = entry.second; });

        if (property)
        {
            // An unchanged value is not written, so an unchanged item stays
            // unmodified.
            const bool written =
                RunRefusableStep(kPersistStep + "Setting Exiting User Property", {E_ACCESSDENIED}, [&] {
                    if (value != Dispatch::Get(property, L"Value"))
                        Dispatch::Put(property, L"Value", value);
                });
            insufficientPermission = insufficientPermission || !written;
            continue;
        }

        const std::string nameContext = "Name:" + name;
        const bool added = RunRefusableStep(
            kPersistStep + "Creating New User Property (" + nameContext, {E_ACCESSDENIED, E_INVALIDARG},
            [&] { property = Dispatch::CallPtr(userProperties, L"Add", name, olText); });
        insufficientPermission = insufficientPermission || !added;
        if (!insufficientPermission)
            OutlookMail::RunStep(kPersistStep + "Setting New User Property (" + nameContext,
                                 [&] { Dispatch::Put(property, L"Value", value); });
    }
}
