// Contact folders whose tables the address-book search reads. A table costs
// what Outlook's own would at least: its filter runs once, in GetTable; a
// block of rows is one call that copies the column values into an array; no
// row holds a copy of its contact.
#include "tests/support/FakeOutlook.h"
#include "tests/support/FakeOutlookParts.h"

#include <algorithm>
#include <cwctype>

namespace
{
using Rows = std::vector<CFakeContactRow>;
using Arguments = CFakeObject::Arguments;
using RowField = const std::wstring CFakeContactRow::*;

// The field behind a column, by the name Columns.Add was given; false for a
// column the table cannot show. A column Outlook shows but no contact row
// holds has no field and reads as empty.
bool ColumnField(const std::wstring& column, RowField& field)
{
    const std::pair<const wchar_t*, RowField> columns[] = {
        {L"urn:schemas:contacts:cn", &CFakeContactRow::m_FullName},
        {L"urn:schemas:contacts:givenName", &CFakeContactRow::m_GivenName},
        {L"urn:schemas:contacts:sn", &CFakeContactRow::m_Surname},
        {L"http://schemas.microsoft.com/mapi/proptag/0x3A1C001F", &CFakeContactRow::m_Mobile},
        {L"urn:schemas:contacts:officetelephonenumber", &CFakeContactRow::m_Business},
        {L"urn:schemas:contacts:homePhone", &CFakeContactRow::m_Home},
        {L"urn:schemas:contacts:o", &CFakeContactRow::m_Company},
        {L"EntryID", &CFakeContactRow::m_EntryId},
        {L"MessageClass", &CFakeContactRow::m_MessageClass},
        {L"http://schemas.microsoft.com/mapi/proptag/0x001A001E", &CFakeContactRow::m_MessageClass},
        {L"Subject", nullptr},
        {L"CreationTime", nullptr},
        {L"LastModificationTime", nullptr},
    };
    for (const auto& known : columns)
    {
        if (column == known.first)
        {
            field = known.second;
            return true;
        }
    }
    return false;
}

wchar_t LowerCase(wchar_t c)
{
    if (c < 0x80)
        return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
    return static_cast<wchar_t>(std::towlower(c));
}

// Whether the text contains the lower-case part, in any case; no copies, as
// benchmarks filter tens of thousands of rows.
bool ContainsLower(const std::wstring& text, const std::wstring& lowerPart)
{
    return std::search(text.begin(), text.end(), lowerPart.begin(), lowerPart.end(),
                       [](wchar_t c, wchar_t lower) { return LowerCase(c) == lower; }) != text.end();
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

// What a table and the rows it gave share: the folder's contacts, the
// indexes of those the filter kept, the columns and the next row. A change
// of columns makes a new list, so that a row read earlier keeps its own.
struct TableState
{
    std::shared_ptr<Rows> m_FolderRows;
    std::vector<size_t> m_Rows;
    std::shared_ptr<const std::vector<RowField>> m_Fields;
    size_t m_Next = 0;
};

std::shared_ptr<const std::vector<RowField>> DefaultFields()
{
    std::vector<RowField> fields;
    for (const wchar_t* name : {L"EntryID", L"Subject", L"CreationTime", L"LastModificationTime", L"MessageClass"})
    {
        RowField field = nullptr;
        ColumnField(name, field);
        fields.push_back(field);
    }
    return std::make_shared<const std::vector<RowField>>(std::move(fields));
}

// A variant array of rows by columns, the first dimension the rows, as
// Table.GetArray answers; the text of each column of each row.
_variant_t ValueArray(const TableState& state, size_t first, size_t count, bool twoDimensions)
{
    const std::vector<RowField>& fields = *state.m_Fields;
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(count), 0}, {static_cast<ULONG>(fields.size()), 0}};
    SAFEARRAY* const array = twoDimensions ? ::SafeArrayCreate(VT_VARIANT, 2, bounds)
                                           : ::SafeArrayCreateVector(VT_VARIANT, 0, bounds[1].cElements);
    if (!array)
        throw _com_error(E_OUTOFMEMORY);
    _variant_t result;
    V_VT(&result) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&result) = array;
    VARIANT* cells = nullptr;
    if (FAILED(::SafeArrayAccessData(array, reinterpret_cast<void**>(&cells))))
        throw _com_error(E_UNEXPECTED);
    // Column-major: the rows of one column lie next to each other.
    for (size_t column = 0; column < fields.size(); ++column)
    {
        for (size_t row = 0; row < count; ++row)
        {
            const CFakeContactRow& contact = (*state.m_FolderRows)[state.m_Rows[first + row]];
            const std::wstring empty;
            const std::wstring& text = fields[column] ? contact.*fields[column] : empty;
            VARIANT& cell = cells[column * count + row];
            V_VT(&cell) = VT_BSTR;
            V_BSTR(&cell) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        }
    }
    ::SafeArrayUnaccessData(array);
    return result;
}

// A row holds its table's state and its place, not a copy of the contact.
CFakeObjectPtr MakeRow(const std::shared_ptr<TableState>& state, size_t index)
{
    const CFakeObjectPtr object = CFakeObject::Create(L"Row");
    Declare(*object, L"GetValues", [state, index, fields = state->m_Fields](const Arguments&) {
        TableState row = {state->m_FolderRows, {state->m_Rows[index]}, fields, 0};
        return ValueArray(row, 0, 1, false);
    });
    return object;
}

CFakeObjectPtr MakeTable(const FakeWeakLog& log, const std::shared_ptr<Rows>& folderRows, std::vector<size_t> rows)
{
    const auto state = std::make_shared<TableState>();
    state->m_FolderRows = folderRows;
    state->m_Rows = std::move(rows);
    state->m_Fields = DefaultFields();

    const CFakeObjectPtr table = CFakeObject::Create(L"Table", log.lock());
    const CFakeObjectPtr columns = CFakeObject::Create(L"Columns", log.lock());
    Declare(*columns, L"RemoveAll", [state](const Arguments&) {
        state->m_Fields = std::make_shared<const std::vector<RowField>>();
        return _variant_t();
    });
    Declare(*columns, L"Add", [state](const Arguments& arguments) {
        const std::wstring name = FakeArgumentText(arguments, 0);
        RowField field = nullptr;
        if (!ColumnField(name, field))
            FakeThrow(E_INVALIDARG, L"The property \"" + name + L"\" cannot be added as a column.");
        auto fields = std::make_shared<std::vector<RowField>>(*state->m_Fields);
        fields->push_back(field);
        state->m_Fields = std::move(fields);
        return _variant_t();
    });
    Declare(*table, L"Columns", static_cast<IDispatch*>(columns));
    table->SetReadOnly(L"Columns");
    table->SetGetter(L"EndOfTable", [state]() { return _variant_t(state->m_Next >= state->m_Rows.size()); });
    Declare(*table, L"MoveToStart", [state](const Arguments&) {
        state->m_Next = 0;
        return _variant_t();
    });
    Declare(*table, L"GetNextRow", [state](const Arguments&) {
        if (state->m_Next >= state->m_Rows.size())
            return _variant_t(static_cast<IDispatch*>(nullptr));
        const CFakeObjectPtr row = MakeRow(state, state->m_Next++);
        return _variant_t(static_cast<IDispatch*>(row));
    });
    Declare(*table, L"GetArray", [state](const Arguments& arguments) {
        const long maxRows = FakeArgumentLong(arguments, 0);
        if (maxRows < 1)
            FakeThrow(E_INVALIDARG, L"Could not complete the operation. One or more parameter values are not valid.");
        const size_t first = state->m_Next;
        const size_t count = std::min(static_cast<size_t>(maxRows), state->m_Rows.size() - first);
        state->m_Next += count;
        return ValueArray(*state, first, count, true);
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
        std::transform(text.begin(), text.end(), text.begin(), LowerCase);
        std::vector<size_t> found;
        found.reserve(rows->size());
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

void ChangeEachTable(CFakeObject& folder, std::function<void(CFakeObject& table)> change)
{
    const CFakeObject::Method getTable = folder.MethodOf(L"GetTable");
    folder.SetMethod(L"GetTable", [getTable, change](const Arguments& arguments) {
        const _variant_t table = getTable(arguments);
        change(*FakeObjectOf(table));
        return table;
    });
}

void OnEachTableRead(CFakeObject& folder, std::function<void(int read)> action)
{
    ChangeEachTable(folder, [action](CFakeObject& table) {
        action(0);
        const CFakeObject::Method getArray = table.MethodOf(L"GetArray");
        auto reads = std::make_shared<int>(0);
        table.SetMethod(L"GetArray", [action, getArray, reads](const Arguments& arguments) {
            action(++*reads);
            return getArray(arguments);
        });
    });
}
