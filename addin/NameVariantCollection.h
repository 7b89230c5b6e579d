// Settings kept on an Outlook item as user properties: in memory a map of
// named VARIANTs, and the two operations that load such a map from an item's
// UserProperties and write it back.
//
// On the item every entry is one text property (olText) named as the entry;
// a VT_BOOL entry is stored as "1" or "0", so booleans read back from an
// item are those strings (GetVariantAsBool reads both forms).
#pragma once

#include "platform/ComPtr.h"
#include "platform/ComVariant.h"

#include <map>
#include <string>

class CNameVariantCollection
{
public:
    // Names compare case-sensitively, byte by byte.
    using Entries = std::map<std::string, CComVariant>;

    // Copies are deep; a failed VARIANT copy raises _com_error.
    CNameVariantCollection() = default;
    CNameVariantCollection(const CNameVariantCollection& other) = default;
    CNameVariantCollection& operator=(const CNameVariantCollection& other) = default;
    virtual ~CNameVariantCollection();

    // The stored value, or null; valid until the entry changes.
    const CComVariant* Find(const std::string& name) const;
    // The default when absent; else the value as a boolean, true when not
    // zero (_com_error when it has none).
    virtual bool GetBool(const std::string& name, bool defaultValue) const;
    // The default when absent; else the value as text in the system code
    // page, "" for a null string.
    std::string GetString(const std::string& name, const std::string& defaultValue) const;
    // Inserts or replaces a copy; _com_error with the copy's HRESULT when
    // the copy fails.
    void Set(const std::string& name, const VARIANT& value);
    // Empties the target, then copies every entry into it.
    void CopyTo(CNameVariantCollection& target) const;

    const Entries& GetEntries() const { return m_Entries; }

private:
    Entries m_Entries;
};

// Stateless; the item's UserProperties object is borrowed for the call.
class COutlookAddin_UserPropertiesPersistance
{
public:
    // VT_BOOL: true only for VARIANT_TRUE; VT_BSTR: true only for "1". Any
    // other type raises CGeneralException (E_FAIL).
    static bool GetVariantAsBool(const VARIANT& value);

    // Sets every property whose name begins with the prefix (all of them
    // for an empty prefix) into the collection; entries the item lacks stay
    // as they are. Any failing call raises _com_error (E_POINTER for a
    // missing property); what was added before stays added.
    static void LoadNameVariantCollectionFromUserProperties(CNameVariantCollection& collection,
                                                            IDispatch* userProperties, const std::string& prefix);

    // Writes every entry, in name order, touching only properties whose
    // value differs; it does not save the item. A property the user may not
    // change (E_ACCESSDENIED, or E_INVALIDARG from Add) sets the flag and the
    // walk goes on, and from then on new properties get no value. Any other
    // failure ends the walk and raises _com_error naming the step; what was
    // written before stays written.
    static void PersistNameVariantCollectionToUserProperties(const CNameVariantCollection& collection,
                                                             IDispatch* userProperties,
                                                             bool& insufficientPermission);

private:
    // One entry of the walk; step holds the text of the step under way.
    static void PersistEntry(const std::string& entryName, const VARIANT& entryValue, IDispatch* userProperties,
                             bool& insufficientPermission, std::string& step);
};
