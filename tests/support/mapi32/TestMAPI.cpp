// A test MAPI: mapi32.dll with the five ordinals the add-in binds, an
// address book a test scripts through the TestMAPI_* exports, injectable
// failures, a journal of the calls with their arguments, and counters of
// buffers and objects still outstanding. Only what the add-in calls is
// implemented; every other method answers MAPI_E_NO_SUPPORT.
#include <windows.h>

#include <mapix.h>
#include <mapiutil.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/mapi32/TestMAPIScript.h"

namespace
{
struct Entry
{
    std::string container;
    std::string entryId;
    std::string displayName;
    ULONG objectType = 0;
    std::optional<std::string> properties[5]; // mobile, given name, surname, business, home
    ULONG errorColumns = 0;
};

struct Container
{
    std::string name;
    bool hasContentsTable = true;
};

struct Failure
{
    std::string method;
    ULONG occurrence;
    HRESULT hr;
};

const ULONG kPropertyTags[5] = {PR_MOBILE_TELEPHONE_NUMBER_A, PR_GIVEN_NAME_A, PR_SURNAME_A,
                                PR_BUSINESS_TELEPHONE_NUMBER_A, PR_HOME_TELEPHONE_NUMBER_A};

std::recursive_mutex g_Lock;
std::map<std::string, Container> g_Containers;
std::vector<Entry> g_Entries;
// The first entry of each id: address books of tens of thousands of entries
// open one entry per row read.
std::map<std::string, size_t> g_EntryIndex;
std::vector<Failure> g_Failures;
// Calls of a method wait for its event to be set before they answer.
std::map<std::string, HANDLE> g_Holds;
std::map<std::string, ULONG> g_CallCounts;
std::string g_Journal;
std::set<void*> g_Allocations;
std::atomic<LONG> g_LiveObjects{0};

using Guard = std::lock_guard<std::recursive_mutex>;

std::string Format(const char* format, ...)
{
    char buffer[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof(buffer), format, arguments);
    va_end(arguments);
    return buffer;
}

std::string Quoted(const char* text)
{
    return text ? "\"" + std::string(text) + "\"" : "null";
}

std::string Tags(const SPropTagArray* tags)
{
    if (!tags)
        return "null";
    std::string text;
    for (ULONG index = 0; index < tags->cValues; ++index)
        text += (index ? " " : "") + Format("0x%08lx", tags->aulPropTag[index]);
    return text;
}

std::string Hex(const BYTE* bytes, ULONG count)
{
    std::string text;
    for (ULONG index = 0; index < count; ++index)
        text += Format("%02x", bytes[index]);
    return text;
}

std::vector<BYTE> Bytes(const std::string& hex)
{
    std::vector<BYTE> bytes;
    for (size_t index = 0; index + 1 < hex.size(); index += 2)
        bytes.push_back(static_cast<BYTE>(std::strtoul(hex.substr(index, 2).c_str(), nullptr, 16)));
    return bytes;
}

// Waits while the test holds the method.
void WaitIfHeld(const char* method)
{
    HANDLE release = nullptr;
    {
        Guard guard(g_Lock);
        const auto hold = g_Holds.find(method);
        if (hold != g_Holds.end())
            release = hold->second;
    }
    if (release)
        ::WaitForSingleObject(release, INFINITE);
}

// Journals the call, then answers the failure injected for it, if any.
HRESULT Call(const char* method, const std::string& arguments)
{
    WaitIfHeld(method);
    Guard guard(g_Lock);
    g_Journal += std::string(method) + "(" + arguments + ")\n";
    const ULONG count = ++g_CallCounts[method];
    for (const Failure& failure : g_Failures)
    {
        if (failure.method == method && (failure.occurrence == 0 || failure.occurrence == count))
            return failure.hr;
    }
    return S_OK;
}

void* Allocate(size_t size)
{
    void* buffer = std::calloc(1, size ? size : 1);
    Guard guard(g_Lock);
    g_Allocations.insert(buffer);
    return buffer;
}

// One property value as the tables and GetProps hand it out.
struct Value
{
    ULONG tag;
    LONG number;
    std::string text;
    std::vector<BYTE> bytes;
};

Value ErrorValue(ULONG tag)
{
    return {PROP_TAG(PT_ERROR, PROP_ID(tag)), static_cast<LONG>(MAPI_E_NOT_FOUND), {}, {}};
}

// One buffer: the value array, then the texts and bytes it points at, so
// that one MAPIFreeBuffer frees all.
LPSPropValue Allocate(const std::vector<Value>& values)
{
    size_t size = values.size() * sizeof(SPropValue);
    for (const Value& value : values)
        size += value.text.size() + 1 + value.bytes.size();
    BYTE* const block = static_cast<BYTE*>(Allocate(size));
    auto* const props = reinterpret_cast<LPSPropValue>(block);
    BYTE* extra = block + values.size() * sizeof(SPropValue);
    for (size_t index = 0; index < values.size(); ++index)
    {
        const Value& value = values[index];
        props[index].ulPropTag = value.tag;
        switch (PROP_TYPE(value.tag))
        {
        case PT_STRING8:
            props[index].Value.lpszA = reinterpret_cast<LPSTR>(extra);
            std::copy(value.text.begin(), value.text.end(), extra);
            extra += value.text.size() + 1;
            break;
        case PT_BINARY:
            props[index].Value.bin.cb = static_cast<ULONG>(value.bytes.size());
            props[index].Value.bin.lpb = extra;
            std::copy(value.bytes.begin(), value.bytes.end(), extra);
            extra += value.bytes.size();
            break;
        default:
            props[index].Value.l = value.number;
            break;
        }
    }
    return props;
}

Value ColumnValue(const Entry& entry, ULONG tag)
{
    const auto failed = [&](ULONG bit) { return (entry.errorColumns & bit) != 0; };
    switch (tag)
    {
    case PR_ENTRYID:
        return failed(1) ? ErrorValue(tag) : Value{tag, 0, {}, Bytes(entry.entryId)};
    case PR_DISPLAY_NAME_A:
        return failed(2) ? ErrorValue(tag) : Value{tag, 0, entry.displayName, {}};
    case PR_OBJECT_TYPE:
        return failed(4) ? ErrorValue(tag) : Value{tag, static_cast<LONG>(entry.objectType), {}, {}};
    default:
        return ErrorValue(tag);
    }
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

#define NOT_SUPPORTED                                                                                                  \
    override                                                                                                           \
    {                                                                                                                  \
        return MAPI_E_NO_SUPPORT;                                                                                      \
    }

class CStubSession : public IMAPISession
{
public:
    MAPI_IMAPISESSION_METHODS(NOT_SUPPORTED)
};

class CStubAddrBook : public IAddrBook
{
public:
    MAPI_IMAPIPROP_METHODS(NOT_SUPPORTED)
    MAPI_IADDRBOOK_METHODS(NOT_SUPPORTED)
};

class CStubContainer : public IABContainer
{
public:
    MAPI_IMAPIPROP_METHODS(NOT_SUPPORTED)
    MAPI_IMAPICONTAINER_METHODS(NOT_SUPPORTED)
    MAPI_IABCONTAINER_METHODS(NOT_SUPPORTED)
};

class CStubTable : public IMAPITable
{
public:
    MAPI_IMAPITABLE_METHODS(NOT_SUPPORTED)
};

class CStubMailUser : public IMailUser
{
public:
    MAPI_IMAPIPROP_METHODS(NOT_SUPPORTED)
};

// Reference counting and the live-object count.
template <typename Stub>
class CObject : public Stub
{
public:
    CObject() { ++g_LiveObjects; }
    virtual ~CObject() { --g_LiveObjects; }

    STDMETHODIMP QueryInterface(REFIID iid, LPVOID* object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown)
            return E_NOINTERFACE;
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_References; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG references = --m_References;
        if (references == 0)
            delete this;
        return references;
    }

private:
    std::atomic<ULONG> m_References{1};
};

class CTable : public CObject<CStubTable>
{
public:
    explicit CTable(std::vector<Entry> entries) : m_Entries(std::move(entries)) {}

    STDMETHODIMP SetColumns(LPSPropTagArray tags, ULONG flags) override
    {
        const HRESULT hr = Call("SetColumns", Tags(tags) + Format(", 0x%lx", flags));
        if (SUCCEEDED(hr))
            SetColumnsQuietly(tags);
        return hr;
    }

    STDMETHODIMP Restrict(LPSRestriction restriction, ULONG flags) override
    {
        const HRESULT hr = Call("Restrict", Describe(restriction) + Format(", 0x%lx", flags));
        if (SUCCEEDED(hr))
            RestrictQuietly(restriction);
        return hr;
    }

    STDMETHODIMP QueryRows(LONG rowCount, ULONG flags, LPSRowSet* rows) override
    {
        const HRESULT hr = Call("QueryRows", Format("%ld, 0x%lx", rowCount, flags));
        if (FAILED(hr))
            return hr;
        *rows = NextRows(rowCount);
        return S_OK;
    }

    void SetColumnsQuietly(const SPropTagArray* tags)
    {
        m_Columns.assign(tags->aulPropTag, tags->aulPropTag + tags->cValues);
    }

    // Only ambiguous-name resolution: a display name that contains the text,
    // in any case. Null lifts the restriction. The cursor starts again.
    void RestrictQuietly(const SRestriction* restriction)
    {
        m_Filter.reset();
        if (restriction && restriction->rt == RES_PROPERTY && restriction->res.resProperty.lpProp &&
            restriction->res.resProperty.lpProp->Value.lpszA)
            m_Filter = Lower(restriction->res.resProperty.lpProp->Value.lpszA);
        m_Cursor = 0;
    }

    LPSRowSet NextRows(LONG rowCount)
    {
        std::vector<const Entry*> found;
        for (; m_Cursor < m_Entries.size() && static_cast<LONG>(found.size()) < rowCount; ++m_Cursor)
        {
            const Entry& entry = m_Entries[m_Cursor];
            if (!m_Filter || Lower(entry.displayName).find(*m_Filter) != std::string::npos)
                found.push_back(&entry);
        }
        auto* const rows = static_cast<LPSRowSet>(Allocate(offsetof(SRowSet, aRow) + found.size() * sizeof(SRow)));
        rows->cRows = static_cast<ULONG>(found.size());
        for (size_t index = 0; index < found.size(); ++index)
        {
            std::vector<Value> values;
            for (ULONG tag : m_Columns)
                values.push_back(ColumnValue(*found[index], tag));
            rows->aRow[index].cValues = static_cast<ULONG>(values.size());
            rows->aRow[index].lpProps = Allocate(values);
        }
        return rows;
    }

private:
    static std::string Describe(const SRestriction* restriction)
    {
        if (!restriction)
            return "null";
        if (restriction->rt != RES_PROPERTY)
            return Format("rt=%lu", restriction->rt);
        const SPropertyRestriction& property = restriction->res.resProperty;
        std::string text = Format("rt=%lu relop=%lu tag=0x%08lx", restriction->rt, property.relop, property.ulPropTag);
        if (property.lpProp)
            text += Format(" value=0x%08lx:", property.lpProp->ulPropTag) +
                    (PROP_TYPE(property.lpProp->ulPropTag) == PT_STRING8 ? Quoted(property.lpProp->Value.lpszA)
                                                                         : std::string("?"));
        return text;
    }

    std::vector<Entry> m_Entries;
    std::vector<ULONG> m_Columns;
    std::optional<std::string> m_Filter;
    size_t m_Cursor = 0;
};

class CContainer : public CObject<CStubContainer>
{
public:
    CContainer(std::string entryId, bool hasContentsTable)
        : m_EntryId(std::move(entryId)), m_HasContentsTable(hasContentsTable)
    {
    }

    STDMETHODIMP GetContentsTable(ULONG flags, LPMAPITABLE* table) override
    {
        const HRESULT hr = Call("GetContentsTable", Format("0x%lx", flags));
        if (FAILED(hr))
            return hr;
        if (!m_HasContentsTable)
            return MAPI_E_NO_SUPPORT;
        std::vector<Entry> entries;
        {
            Guard guard(g_Lock);
            for (const Entry& entry : g_Entries)
                if (entry.container == m_EntryId)
                    entries.push_back(entry);
        }
        *table = new CTable(std::move(entries));
        return S_OK;
    }

private:
    std::string m_EntryId;
    bool m_HasContentsTable;
};

class CMailUser : public CObject<CStubMailUser>
{
public:
    explicit CMailUser(Entry entry) : m_Entry(std::move(entry)) {}

    STDMETHODIMP GetProps(LPSPropTagArray tags, ULONG flags, ULONG* count, LPSPropValue* values) override
    {
        const HRESULT hr = Call("GetProps", Tags(tags) + Format(", 0x%lx", flags));
        if (FAILED(hr))
            return hr;
        std::vector<Value> found;
        bool missing = false;
        for (ULONG index = 0; tags && index < tags->cValues; ++index)
        {
            const ULONG tag = tags->aulPropTag[index];
            const auto known = std::find(std::begin(kPropertyTags), std::end(kPropertyTags), tag);
            const std::optional<std::string>* property =
                known == std::end(kPropertyTags) ? nullptr : &m_Entry.properties[known - std::begin(kPropertyTags)];
            missing = missing || !property || !*property;
            found.push_back(property && *property ? Value{tag, 0, **property, {}} : ErrorValue(tag));
        }
        *count = static_cast<ULONG>(found.size());
        *values = Allocate(found);
        return missing ? MAPI_W_ERRORS_RETURNED : S_OK;
    }

private:
    Entry m_Entry;
};

class CAddrBook : public CObject<CStubAddrBook>
{
public:
    STDMETHODIMP OpenEntry(ULONG count, LPENTRYID entryId, LPCIID iid, ULONG flags, ULONG* objectType,
                           LPUNKNOWN* object) override
    {
        const std::string id = entryId ? Hex(reinterpret_cast<const BYTE*>(entryId), count) : std::string();
        const HRESULT hr =
            Call("OpenEntry", (entryId ? id : std::string("null")) + (iid ? ", iid" : ", null") + Format(", 0x%lx", flags));
        if (FAILED(hr))
            return hr;
        Guard guard(g_Lock);
        const auto container = g_Containers.find(id);
        if (container != g_Containers.end())
        {
            *objectType = MAPI_ABCONT;
            *object = new CContainer(id, container->second.hasContentsTable);
            return S_OK;
        }
        const auto found = g_EntryIndex.find(id);
        if (found == g_EntryIndex.end())
            return MAPI_E_NOT_FOUND;
        const Entry& entry = g_Entries[found->second];
        *objectType = entry.objectType;
        if (entry.objectType == MAPI_DISTLIST)
            *object = new CContainer(id, true);
        else
            *object = new CMailUser(entry);
        return S_OK;
    }
};

class CSession : public CObject<CStubSession>
{
public:
    STDMETHODIMP OpenAddressBook(ULONG_PTR uiParam, LPCIID iid, ULONG flags, LPADRBOOK* addrBook) override
    {
        const HRESULT hr = Call("OpenAddressBook", Format("%llu, %s, 0x%lx", static_cast<unsigned long long>(uiParam),
                                                          iid ? "iid" : "null", flags));
        if (FAILED(hr))
            return hr;
        *addrBook = new CAddrBook;
        return S_OK;
    }

    STDMETHODIMP Logoff(ULONG_PTR uiParam, ULONG flags, ULONG reserved) override
    {
        return Call("Logoff",
                    Format("%llu, 0x%lx, %lu", static_cast<unsigned long long>(uiParam), flags, reserved));
    }
};
} // namespace

extern "C" {

HRESULT WINAPI TestMAPI_MAPIInitialize(LPVOID init)
{
    const auto* const settings = static_cast<const MAPIINIT_0*>(init);
    return Call("MAPIInitialize", settings ? Format("%lu, 0x%lx", settings->ulVersion, settings->ulFlags) : "null");
}

void WINAPI TestMAPI_MAPIUninitialize()
{
    Call("MAPIUninitialize", "");
}

HRESULT WINAPI TestMAPI_MAPILogonEx(ULONG_PTR uiParam, LPSTR profile, LPSTR password, ULONG flags,
                                    LPMAPISESSION* session)
{
    const HRESULT hr = Call("MAPILogonEx", Format("%llu, ", static_cast<unsigned long long>(uiParam)) +
                                               Quoted(profile) + ", " + Quoted(password) + Format(", 0x%lx", flags));
    if (FAILED(hr))
        return hr;
    *session = new CSession;
    return S_OK;
}

ULONG WINAPI TestMAPI_MAPIFreeBuffer(LPVOID buffer)
{
    if (!buffer)
        return S_OK;
    Guard guard(g_Lock);
    if (g_Allocations.erase(buffer) == 0)
    {
        g_Journal += "MAPIFreeBuffer(a buffer not handed out)\n";
        return S_OK;
    }
    std::free(buffer);
    return S_OK;
}

HRESULT WINAPI TestMAPI_HrQueryAllRows(LPMAPITABLE table, LPSPropTagArray tags, LPSRestriction restriction,
                                       LPSSortOrderSet sortOrder, LONG maxRows, LPSRowSet* rows)
{
    const HRESULT hr = Call("HrQueryAllRows", Tags(tags) + (restriction ? ", restriction" : ", null") +
                                                  (sortOrder ? ", sort" : ", null") + Format(", %ld", maxRows));
    if (FAILED(hr))
        return hr;
    auto* const ours = static_cast<CTable*>(table);
    if (tags)
        ours->SetColumnsQuietly(tags);
    ours->RestrictQuietly(restriction);
    *rows = ours->NextRows(maxRows > 0 ? maxRows : 0x7FFFFFFF);
    return S_OK;
}

void WINAPI TestMAPI_Reset()
{
    Guard guard(g_Lock);
    g_Containers.clear();
    g_Entries.clear();
    g_EntryIndex.clear();
    g_Failures.clear();
    g_Holds.clear();
    g_CallCounts.clear();
    g_Journal.clear();
}

void WINAPI TestMAPI_AddContainer(const char* entryId, const char* name, BOOL hasContentsTable)
{
    Guard guard(g_Lock);
    g_Containers[entryId] = {name ? name : "", hasContentsTable != FALSE};
}

void WINAPI TestMAPI_AddEntry(const TestMAPIEntry* entry)
{
    Entry added;
    added.container = entry->container ? entry->container : "";
    added.entryId = entry->entryId ? entry->entryId : "";
    added.displayName = entry->displayName ? entry->displayName : "";
    added.objectType = entry->objectType;
    const char* const properties[5] = {entry->mobile, entry->givenName, entry->surname, entry->business, entry->home};
    for (int index = 0; index < 5; ++index)
        if (properties[index])
            added.properties[index] = properties[index];
    added.errorColumns = entry->errorColumns;
    Guard guard(g_Lock);
    g_EntryIndex.emplace(added.entryId, g_Entries.size());
    g_Entries.push_back(std::move(added));
}

void WINAPI TestMAPI_FailCall(const char* method, ULONG occurrence, HRESULT hr)
{
    Guard guard(g_Lock);
    g_Failures.push_back({method, occurrence, hr});
}

void WINAPI TestMAPI_HoldCalls(const char* method, HANDLE release)
{
    Guard guard(g_Lock);
    if (release)
        g_Holds[method] = release;
    else
        g_Holds.erase(method);
}

void WINAPI TestMAPI_ClearFailures()
{
    Guard guard(g_Lock);
    g_Failures.clear();
}

ULONG WINAPI TestMAPI_Journal(char* buffer, ULONG size)
{
    Guard guard(g_Lock);
    if (buffer && size)
        lstrcpynA(buffer, g_Journal.c_str(), static_cast<int>(size));
    return static_cast<ULONG>(g_Journal.size());
}

LONG WINAPI TestMAPI_OutstandingAllocations()
{
    Guard guard(g_Lock);
    return static_cast<LONG>(g_Allocations.size());
}

LONG WINAPI TestMAPI_LiveObjects()
{
    return g_LiveObjects;
}
}
