// Contact folders whose tables the address-book search reads.
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookParts.h"

#include <algorithm>
#include <cwctype>

namespace
{
using Rows = std::vector<CFakeContactRow>;
using Arguments = CFakeObject::Arguments;

// The row's value of a column, by the name Columns.Add was given; false for
// a column the table cannot show.
bool ColumnValue(const CFakeContactRow& row, const std::wstring& column, std::wstring& value)
{
    const std::pair<const wchar_t*, const std::wstring*> columns[] = {
        {L"urn:schemas:contacts:cn", &row.m_FullName},
        {L"urn:schemas:contacts:givenName", &row.m_GivenName},
        {L"urn:schemas:contacts:sn", &row.m_Surname},
        {L"http://schemas.microsoft.com/mapi/proptag/0x3A1C001F", &row.m_Mobile},
        {L"urn:schemas:contacts:officetelephonenumber", &row.m_Business},
        {L"urn:schemas:contacts:homePhone", &row.m_Home},
        {L"urn:schemas:contacts:o", &row.m_Company},
        {L"EntryID", &row.m_EntryId},
        {L"MessageClass", &row.m_MessageClass},
        {L"http://schemas.microsoft.com/mapi/proptag/0x001A001E", &row.m_MessageClass},
    };
    for (const auto& known : columns)
    {
        if (column == known.first)
        {
            value = *known.second;
            return true;
        }
    }
    static const std::wstring empty[] = {L"Subject", L"CreationTime", L"LastModificationTime"};
    value.clear();
    return std::find(std::begin(empty), std::end(empty), column) != std::end(empty);
}

// Whether the text contains the lower-case part, in any case; no copies, as
// benchmarks filter tens of thousands of rows.
bool ContainsLower(const std::wstring& text, const std::wstring& lowerPart)
{
    return std::search(text.begin(), text.end(), lowerPart.begin(), lowerPart.end(),
                       [](wchar_t c, wchar_t lower) { return std::towlower(c) == lower; }) != text.end();
}

// Reads "<prefix>'%text%'" at position, undoubling quotes; false when the
// filter does not have that form there.
bool ReadContainsCondition(const std::wstring& filter, size_t& position, const std::wstring& property,
                           std::wstring& text)
{
    const std::wstring prefix = L"\"" + property + L"\" LIKE '%";
    if (filter.compare(position, prefix.size(), prefix) != 0)
        return false;
    position += prefix.size();
    text.clear();
    while (position < filter.size())
    {
        const wchar_t c = filter[position++];
        if (c != L'\'')
        {
            text += c;
            continue;
        }
        if (position < filter.size() && filter[position] == L'\'')
        {
            text += L'\'';
            ++position;
            continue;
        }
        if (text.empty() || text.back() != L'%')
            return false;
        text.pop_back();
        return true;
    }
    return false;
}

// The text of a "given name or surname contains" filter.
bool ParseNameFilter(const std::wstring& filter, std::wstring& text)
{
    size_t position = 0;
    const std::wstring sql = L"@SQL=";
    if (filter.compare(0, sql.size(), sql) != 0)
        return false;
    position = sql.size();
    std::wstring surnameText;
    const std::wstring separator = L" OR ";
    if (!ReadContainsCondition(filter, position, L"urn:schemas:contacts:givenName", text) ||
        filter.compare(position, separator.size(), separator) != 0)
        return false;
    position += separator.size();
    return ReadContainsCondition(filter, position, L"urn:schemas:contacts:sn", surnameText) &&
           position == filter.size() && surnameText == text;
}

CFakeObjectPtr MakeRow(const FakeWeakLog& log, const CFakeContactRow& row, const std::vector<std::wstring>& columns)
{
    const CFakeObjectPtr object = CFakeObject::Create(L"Row", log.lock());
    Declare(*object, L"GetValues", [row, columns](const Arguments&) {
        SAFEARRAY* const array = ::SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(columns.size()));
        for (LONG index = 0; index < static_cast<LONG>(columns.size()); ++index)
        {
            std::wstring value;
            ColumnValue(row, columns[index], value);
            _variant_t element(value.c_str());
            ::SafeArrayPutElement(array, &index, &element);
        }
        _variant_t result;
        V_VT(&result) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&result) = array;
        return result;
    });
    return object;
}

// The table holds the indexes of its rows in the folder's rows.
CFakeObjectPtr MakeTable(const FakeWeakLog& log, const std::shared_ptr<Rows>& folderRows, std::vector<size_t> rows)
{
    struct State
    {
        std::shared_ptr<Rows> m_FolderRows;
        std::vector<size_t> m_Rows;
        std::vector<std::wstring> m_Columns{L"EntryID", L"Subject", L"CreationTime", L"LastModificationTime",
                                            L"MessageClass"};
        size_t m_Next = 0;
    };
    const auto state = std::make_shared<State>();
    state->m_FolderRows = folderRows;
    state->m_Rows = std::move(rows);

    const CFakeObjectPtr table = CFakeObject::Create(L"Table", log.lock());
    const CFakeObjectPtr columns = CFakeObject::Create(L"Columns", log.lock());
    Declare(*columns, L"RemoveAll", [state](const Arguments&) {
        state->m_Columns.clear();
        return _variant_t();
    });
    Declare(*columns, L"Add", [state](const Arguments& arguments) {
        const std::wstring name = FakeArgumentText(arguments, 0);
        std::wstring unused;
        if (!ColumnValue(CFakeContactRow(), name, unused))
            FakeThrow(E_INVALIDARG, L"The property \"" + name + L"\" cannot be added as a column.");
        state->m_Columns.push_back(name);
        return _variant_t();
    });
    Declare(*table, L"Columns", static_cast<IDispatch*>(columns));
    table->SetReadOnly(L"Columns");
    table->SetGetter(L"EndOfTable", [state]() { return _variant_t(state->m_Next >= state->m_Rows.size()); });
    Declare(*table, L"GetNextRow", [state, log](const Arguments&) {
        if (state->m_Next >= state->m_Rows.size())
            return _variant_t(static_cast<IDispatch*>(nullptr));
        const CFakeObjectPtr row = MakeRow(log, state->m_FolderRows->at(state->m_Rows[state->m_Next++]), state->m_Columns);
        return _variant_t(static_cast<IDispatch*>(row));
    });
    return table;
}
} // namespace

CFakeObjectPtr CFakeOutlook::NewContactFolder(const std::wstring& name, const std::wstring& storeId,
                                              const std::shared_ptr<Rows>& rows) const
{
    const CFakeObjectPtr folder = NewFolder(name);
    Declare(*folder, L"StoreID", FakeText(storeId), 12552);
    folder->SetReadOnly(L"StoreID");
    const FakeWeakLog log(m_Log);
    Declare(*folder, L"GetTable", [rows, log](const Arguments& arguments) {
        std::wstring filter;
        if (!arguments.empty() && !FakeArgumentMissing(arguments, 0))
            filter = FakeArgumentText(arguments, 0);
        std::wstring text;
        if (!filter.empty() && !ParseNameFilter(filter, text))
            FakeThrow(E_INVALIDARG, L"Cannot parse condition. Error at \"" + filter + L"\".");
        std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
        std::vector<size_t> found;
        for (size_t index = 0; index < rows->size(); ++index)
        {
            const CFakeContactRow& row = (*rows)[index];
            if (filter.empty() || ContainsLower(row.m_GivenName, text) || ContainsLower(row.m_Surname, text))
                found.push_back(index);
        }
        const CFakeObjectPtr table = MakeTable(log, rows, std::move(found));
        return _variant_t(static_cast<IDispatch*>(table));
    });
    return folder;
}
