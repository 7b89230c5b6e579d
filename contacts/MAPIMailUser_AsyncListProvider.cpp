#include "contacts/MAPIMailUser_AsyncListProvider.h"

#include <algorithm>

#include "core/DateTimeUtils.h"
#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "core/StringUtils.h"
#include "core/TraceLogging.h"
#include "core/Win32Utils.h"
#include "platform/Dispatch.h"

namespace
{
const wchar_t kComponent[] = L"ContactsFetch";
const wchar_t kSynchronousSearch[] = L"CMAPIMailUser_AsyncListProvider::DoSynchronousListFetch";
const wchar_t kWorker[] = L"CMAPIMailUser_AsyncListProvider::WorkerThread";
const char kWorkerFunction[] = "CMAPIMailUser_AsyncListProvider::WorkerThread";
const char kSynchronousSearchFunction[] = "CMAPIMailUser_AsyncListProvider::DoSynchronousListFetch";

const ULONG kBlockRows = 100;
const DWORD kPumpIntervalMs = 50;
// The longest one pump dispatches: messages that keep coming (a window
// posting to itself, a worker posting faster than its batches are merged)
// must not hold the search, and the keystroke it serves, for ever.
const DWORD kPumpBudgetMs = 50;
// Rows of a contact table read by one call: a small part of the pump's
// rhythm, so that a pump comes soon after its deadline.
const LONG kTableBlockRows = 250;

// The table columns, in the order the rows are read.
struct TableColumn
{
    const wchar_t* m_Name;
    const wchar_t* m_Label;
};
const TableColumn kTableColumns[] = {
    {L"urn:schemas:contacts:cn", L"Full Name"},
    {L"http://schemas.microsoft.com/mapi/proptag/0x3A1C001F", L"Mobile Phone"},
    {L"urn:schemas:contacts:officetelephonenumber", L"Business Phone"},
    {L"urn:schemas:contacts:homePhone", L"Home Phone"},
    {L"urn:schemas:contacts:o", L"CompanyName"},
    {L"EntryID", L"EntryID"},
    {L"http://schemas.microsoft.com/mapi/proptag/0x001A001E", L"MessageClass"},
};
enum TableColumnIndex
{
    kFullNameColumn,
    kMobileColumn,
    kBusinessColumn,
    kHomeColumn,
    kCompanyColumn,
    kEntryIdColumn,
    kMessageClassColumn,
    kColumnCount
};

void Trace(const wchar_t* className, const std::wstring& message)
{
    if (g_pTraceLogger)
        g_pTraceLogger->Trace(1, kComponent, className, message);
}

// Leading blanks and line breaks dropped, lower case.
std::string SearchTextOf(const CAsyncListProviderFetchParameters& params)
{
    std::string text = TrimLeft(params.m_SearchText);
    return ToLower(text);
}

// A number is looked up nowhere but in a chosen address list.
bool NamesPerson(const std::string& text)
{
    return !text.empty() && !(text[0] >= '0' && text[0] <= '9') && text[0] != '+';
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The lower-cased display name contains the lower-case text; compared in
// place, as the search tests tens of thousands of names per keystroke.
bool Matches(const CMAPIMailUser& user, const std::string& text)
{
    const std::string& name = user.m_DisplayName;
    return std::search(name.begin(), name.end(), text.begin(), text.end(),
                       [](char c, char lower) { return LowerAscii(c) == lower; }) != name.end();
}

const CMAPIMailUser_AsyncListProviderFetchParameters* MAPIParameters(const CAsyncListProviderFetchParameters& params)
{
    return dynamic_cast<const CMAPIMailUser_AsyncListProviderFetchParameters*>(&params);
}

const COutlookAddressBook* AddressListOf(const CAsyncListProviderFetchParameters& params)
{
    const auto* mapi = MAPIParameters(params);
    return mapi ? mapi->m_AddressList : nullptr;
}

std::unique_ptr<CAsyncListProviderListItemBatch> CreateListItemBatch(const CAsyncListProviderFetchParameters& params)
{
    const auto* mapi = MAPIParameters(params);
    if (mapi && mapi->m_ResultType == CMAPIMailUser_AsyncListProviderFetchParameters::kResultTypeContactDetails)
        return std::make_unique<CAsyncListProviderListItemBatch_ContactDetails>(params.m_RequestId);
    return std::make_unique<CAsyncListProviderListItemBatch_StringArray>(params.m_RequestId);
}

// The display texts write "[", "]" and ";" as "(", ")" and ",".
char ListChar(char c)
{
    return c == '[' ? '(' : c == ']' ? ')' : c == ';' ? ',' : c;
}

void AppendListText(std::string& out, const std::string& text)
{
    for (char c : text)
        out += ListChar(c);
}

bool SameListText(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return ListChar(x) == ListChar(y); });
}

// Where the items of one batch go, with the lookup's options: the batch's
// kind is found once, not for each of its items.
class CBatchSink
{
public:
    CBatchSink(CAsyncListProviderListItemBatch& batch, const CAsyncListProviderFetchParameters& params)
    {
        if (auto* texts = dynamic_cast<CAsyncListProviderListItemBatch_StringArray*>(&batch))
            m_Texts = &texts->m_Items;
        else if (auto* details = dynamic_cast<CAsyncListProviderListItemBatch_ContactDetails*>(&batch))
            m_Details = &details->m_Items;
        if (const auto* mapi = MAPIParameters(params))
        {
            m_IncludeBusinessAndHomeNumbers = mapi->m_IncludeBusinessAndHomeNumbers;
            m_IncludeEntriesWithoutMobile = mapi->m_IncludeEntriesWithoutMobile;
        }
    }

    bool IsEmpty() const { return m_Texts ? m_Texts->empty() : !m_Details || m_Details->empty(); }

    void Reserve(size_t items)
    {
        if (m_Texts)
            m_Texts->reserve(items);
        else if (m_Details)
            m_Details->reserve(items);
    }

    void AddItem(const CMAPIMailUser& user, const std::string& name, const std::string& number, bool isMobile,
                 bool isDistributionList)
    {
        if (m_Details)
        {
            auto item = std::make_unique<CAsyncListProviderContactDetailsItem>();
            item->m_Name = name;
            item->m_Number = number;
            item->m_IsMobile = isMobile;
            item->m_IsDistributionList = isDistributionList;
            item->m_EntryId = user.m_EntryId;
            if (const auto* outlookUser = dynamic_cast<const CMAPIOLMailUser*>(&user))
            {
                item->m_OutlookEntryId = outlookUser->m_OutlookEntryId;
                item->m_Source = outlookUser->m_Source;
            }
            m_Details->push_back(std::move(item));
            return;
        }
        if (!m_Texts)
            return;
        std::string text;
        if (!name.empty() && !SameListText(name, number))
        {
            text.reserve(name.size() + number.size() + 3);
            AppendListText(text, name);
            text += " [";
            AppendListText(text, number);
            text += ']';
        }
        else
        {
            AppendListText(text, number);
        }
        m_Texts->push_back(std::move(text));
    }

    bool m_IncludeBusinessAndHomeNumbers = false;
    bool m_IncludeEntriesWithoutMobile = false;

private:
    std::vector<std::string>* m_Texts = nullptr;
    std::vector<std::unique_ptr<CAsyncListProviderContactDetailsItem>>* m_Details = nullptr;
};

void AddMailUserToListItemBatch(CBatchSink& sink, const CMAPIMailUser& user, bool isDistributionList)
{
    std::string joined;
    if (!user.m_GivenName.empty() || !user.m_Surname.empty())
        joined = user.m_Surname.empty() ? user.m_GivenName : user.m_GivenName + " " + user.m_Surname;
    const std::string& name = joined.empty() ? user.m_DisplayName : joined;

    if (isDistributionList)
    {
        sink.AddItem(user, name, std::string(), false, true);
        return;
    }
    if (sink.m_IncludeBusinessAndHomeNumbers)
    {
        if (!user.m_BusinessPhone.empty())
            sink.AddItem(user, name, user.m_BusinessPhone, false, false);
        if (!user.m_HomePhone.empty())
            sink.AddItem(user, name, user.m_HomePhone, false, false);
    }
    if (!user.m_MobilePhone.empty() || sink.m_IncludeEntriesWithoutMobile)
        sink.AddItem(user, name, user.m_MobilePhone, true, false);
}

// The values of a block of table rows, read where they lie: the variant
// array that Table.GetArray gives, or the array of one row's columns from
// Row.GetValues. Outlook gives GetArray's array rows by columns (the first
// dimension the rows, so that the rows of one column lie side by side),
// though its documentation describes it the other way round in one place:
// the dimension that holds the table's columns tells which reading applies.
class CTableBlock
{
public:
    CTableBlock() = default;
    ~CTableBlock() { Release(); }
    CTableBlock(const CTableBlock&) = delete;
    CTableBlock& operator=(const CTableBlock&) = delete;

    // GetArray's answer at the end, nothing or an array without elements,
    // holds no rows; a row's array is one row, also when empty. Anything
    // else but an array of variants raises DISP_E_TYPEMISMATCH. A block of
    // rows is read rows by columns when its second dimension has the
    // table's columns, columns by rows when only its first has them; a block
    // of as many rows as columns keeps the reading given in columnsFirst,
    // which returns the reading taken. False, keeping nothing, when neither
    // dimension has the table's columns.
    bool Take(_variant_t values, bool rowsByColumns, LONG tableColumns, bool& columnsFirst)
    {
        Release();
        if (rowsByColumns && (V_VT(&values) == VT_EMPTY || V_VT(&values) == VT_NULL))
            return true;
        if (V_VT(&values) != (VT_ARRAY | VT_VARIANT) || !V_ARRAY(&values))
            throw _com_error(DISP_E_TYPEMISMATCH);
        SAFEARRAY* const array = V_ARRAY(&values);
        const UINT dimensions = ::SafeArrayGetDim(array);
        LONG elements = dimensions > 0 ? 1 : 0;
        for (UINT dimension = 1; dimension <= dimensions; ++dimension)
            elements *= Elements(array, dimension);
        m_Rows = rowsByColumns ? 0 : 1;
        if (elements == 0)
            return true;
        if (dimensions != (rowsByColumns ? 2u : 1u))
            throw _com_error(DISP_E_TYPEMISMATCH);
        LONG rows = 1;
        LONG columns = Elements(array, 1);
        if (rowsByColumns)
        {
            const LONG first = Elements(array, 1);
            const LONG second = Elements(array, 2);
            const bool firstHasColumns = first == tableColumns;
            const bool secondHasColumns = second == tableColumns;
            if (!firstHasColumns && !secondHasColumns)
            {
                m_Rows = 0;
                return false;
            }
            columnsFirst = firstHasColumns && (!secondHasColumns || columnsFirst);
            rows = columnsFirst ? second : first;
            columns = tableColumns;
        }
        VARIANT* cells = nullptr;
        const HRESULT hr = ::SafeArrayAccessData(array, reinterpret_cast<void**>(&cells));
        if (FAILED(hr))
            throw _com_error(hr);
        VARIANT taken = values.Detach();
        m_Values.Attach(taken);
        m_Cells = cells;
        m_Rows = rows;
        m_Columns = columns;
        m_ColumnsFirst = rowsByColumns && columnsFirst;
        return true;
    }

    LONG Rows() const { return m_Rows; }

    // "" for an empty value and for a column the table did not give.
    std::string Text(LONG row, LONG column) const
    {
        if (column >= m_Columns)
            return std::string();
        const VARIANT& cell = m_ColumnsFirst ? m_Cells[row * m_Columns + column] : m_Cells[column * m_Rows + row];
        switch (V_VT(&cell))
        {
        case VT_BSTR:
            return V_BSTR(&cell) ? WideToAnsi(V_BSTR(&cell), ::SysStringLen(V_BSTR(&cell))) : std::string();
        case VT_EMPTY:
        case VT_NULL:
        case VT_ERROR:
            return std::string();
        default:
            return WideToAnsi(Dispatch::ToText(_variant_t(cell)));
        }
    }

private:
    static LONG Elements(SAFEARRAY* array, UINT dimension)
    {
        LONG lower = 0;
        LONG upper = -1;
        if (FAILED(::SafeArrayGetLBound(array, dimension, &lower)) ||
            FAILED(::SafeArrayGetUBound(array, dimension, &upper)))
            return 0;
        return upper - lower + 1;
    }

    void Release()
    {
        if (m_Cells)
            ::SafeArrayUnaccessData(V_ARRAY(&m_Values));
        m_Cells = nullptr;
        m_Values.Clear();
        m_Rows = 0;
        m_Columns = 0;
        m_ColumnsFirst = false;
    }

    _variant_t m_Values;
    const VARIANT* m_Cells = nullptr;
    LONG m_Rows = 0;
    LONG m_Columns = 0;
    bool m_ColumnsFirst = false;
};

// Reads a contact table a block of rows per call (Table.GetArray); a table
// that refuses it is read from where it stands one row at a time, three
// calls a row, and one whose block has a shape that cannot be read is read
// again that way from the first row not yet taken. Dispatch ids are looked
// up once per table.
class CContactTableReader
{
public:
    explicit CContactTableReader(const IDispatchPtr& table) : m_Table(table) {}

    // False at the table's end.
    bool NextBlock(CTableBlock& block)
    {
        if (m_Ended)
            return false;
        _variant_t values;
        if (!m_RowByRow && GetArray(values))
        {
            if (block.Take(std::move(values), true, kColumnCount, m_ColumnsFirst))
            {
                // A block short of the rows asked for is the table's last.
                m_Ended = block.Rows() < kTableBlockRows;
                m_RowsTaken += block.Rows();
                return block.Rows() > 0;
            }
            MoveTo(m_RowsTaken);
        }
        m_RowByRow = true;
        if (AtEnd())
            return false;
        block.Take(NextRowValues(), false, kColumnCount, m_ColumnsFirst);
        return true;
    }

private:
    // Back to the start and past the rows already taken.
    void MoveTo(LONG row)
    {
        Dispatch::Call(m_Table, L"MoveToStart");
        for (LONG skipped = 0; skipped < row && !AtEnd(); ++skipped)
            NextRow();
    }

    bool GetArray(_variant_t& values)
    {
        try
        {
            if (m_GetArray == DISPID_UNKNOWN)
                m_GetArray = Dispatch::GetDispId(m_Table, L"GetArray");
            values = Dispatch::InvokeById(m_Table, m_GetArray, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                          {_variant_t(kTableBlockRows)});
            return true;
        }
        catch (const _com_error&)
        {
            return false;
        }
    }

    bool AtEnd()
    {
        if (m_EndOfTable == DISPID_UNKNOWN)
            m_EndOfTable = Dispatch::GetDispId(m_Table, L"EndOfTable");
        const _variant_t end = Dispatch::InvokeById(m_Table, m_EndOfTable, DISPATCH_PROPERTYGET, {});
        return static_cast<bool>(end);
    }

    IDispatchPtr NextRow()
    {
        if (m_GetNextRow == DISPID_UNKNOWN)
            m_GetNextRow = Dispatch::GetDispId(m_Table, L"GetNextRow");
        const IDispatchPtr row = Dispatch::ToPtr(
            Dispatch::InvokeById(m_Table, m_GetNextRow, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}));
        if (!row)
            throw _com_error(E_POINTER);
        return row;
    }

    _variant_t NextRowValues()
    {
        const IDispatchPtr row = NextRow();
        if (m_GetValues == DISPID_UNKNOWN)
            m_GetValues = Dispatch::GetDispId(row, L"GetValues");
        return Dispatch::InvokeById(row, m_GetValues, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {});
    }

    IDispatchPtr m_Table;
    bool m_RowByRow = false;
    bool m_Ended = false;
    // The reading the table's blocks have shown, for a block as long as wide.
    bool m_ColumnsFirst = false;
    LONG m_RowsTaken = 0;
    DISPID m_GetArray = DISPID_UNKNOWN;
    DISPID m_EndOfTable = DISPID_UNKNOWN;
    DISPID m_GetNextRow = DISPID_UNKNOWN;
    DISPID m_GetValues = DISPID_UNKNOWN;
};

// The folder's store id, read when the first distribution list needs it.
class CFolderStoreId
{
public:
    explicit CFolderStoreId(IDispatch* folder) : m_Folder(folder) {}

    const CMAPIEntryId& Get()
    {
        if (!m_Read)
        {
            CMAPIUtils::StringToEntryId(WideToAnsi(Dispatch::GetText(m_Folder, L"StoreID")), m_StoreId);
            m_Read = true;
        }
        return m_StoreId;
    }

private:
    IDispatch* m_Folder;
    CMAPIEntryId m_StoreId;
    bool m_Read = false;
};

std::unique_ptr<CMAPIOLMailUser> UserFromRow(const CTableBlock& block, LONG row, CFolderStoreId& storeId)
{
    auto user = std::make_unique<CMAPIOLMailUser>();
    user->m_DisplayName = block.Text(row, kFullNameColumn);
    if (user->m_DisplayName.empty())
        user->m_DisplayName = block.Text(row, kCompanyColumn);
    user->m_MobilePhone = block.Text(row, kMobileColumn);
    user->m_BusinessPhone = block.Text(row, kBusinessColumn);
    user->m_HomePhone = block.Text(row, kHomeColumn);
    CMAPIUtils::StringToEntryId(block.Text(row, kEntryIdColumn), user->m_EntryId);
    if (block.Text(row, kMessageClassColumn) == "IPM.DistList")
    {
        user->m_ObjectType = CMAPIMailUser::kDistributionList;
        user->m_OutlookEntryId = storeId.Get();
    }
    return user;
}

void AddColumnToContactTable(IDispatch* columns, const TableColumn& column)
{
    try
    {
        Dispatch::Call(columns, L"Add", column.m_Name);
    }
    catch (...)
    {
        TraceCurrentWorkerException(kComponent, std::wstring(L"CMAPIMailUser_AsyncListProvider::AddColumnToContactTable - ") +
                                                    column.m_Label);
        throw;
    }
}

// One traced scope of the synchronous search: a failure is traced under the
// scope's name and passed on unchanged.
template <typename Body>
auto TracedScope(int scope, Body body) -> decltype(body())
{
    try
    {
        return body();
    }
    catch (...)
    {
        TraceCurrentWorkerException(kComponent, std::wstring(kSynchronousSearch) + L" (try-catch-" +
                                                    std::to_wstring(scope) + L")");
        throw;
    }
}

// The line of the error box for an address book that could not be read,
// from the exception being handled.
std::string AddressBookErrorLine(const std::string& name)
{
    try
    {
        throw;
    }
    catch (const _com_error& error)
    {
        std::string description = GetCOMErrorDescription(error);
        if (description.empty())
            description = "No description available";
        return name + " (" + description + ", " + std::to_string(static_cast<long>(error.Error())) + ")";
    }
    catch (...)
    {
        return name;
    }
}

std::string AddressBookErrorText(const std::vector<std::string>& lines)
{
    std::string message = "Error occurred accessing these address book(s):\n\n";
    for (const std::string& line : lines)
        message += line + "\n";
    return message;
}
} // namespace

// A lookup's matches from the folders. They gather in a batch that is
// handed to the requester at each pump, so that the first of them show
// while the tables are still being read; what is left at the end is the
// immediate batch. Nothing is handed over once the lookup is no longer
// current: what gathers then is dropped with the rest when a newer lookup
// took its place, and returned whole when the lookup was only cancelled.
class CMAPIMailUser_AsyncListProvider::CFolderMatches
{
public:
    CFolderMatches(CMAPIMailUser_AsyncListProvider& provider, const CAsyncListProviderFetchParameters& params)
        : m_Provider(provider), m_Params(params), m_Batch(CreateListItemBatch(params)), m_Sink(*m_Batch, params),
          m_LookupChanges(provider.m_LookupChanges)
    {
    }

    void Add(const CMAPIMailUser& user, bool isDistributionList)
    {
        AddMailUserToListItemBatch(m_Sink, user, isDistributionList);
    }

    void Reserve(size_t items) { m_Sink.Reserve(items); }

    // Another lookup has taken this one's place, or none is current. The
    // lock is taken only once a lookup has been started or cancelled since
    // this one's search began: it costs a block's worth of reading.
    bool IsSuperseded()
    {
        return m_Provider.m_LookupChanges != m_LookupChanges && m_Provider.IsDifferentOperation(&m_Params);
    }

    void HandOver()
    {
        if (m_Sink.IsEmpty() || !m_Provider.PostListItemBatchIfCurrent(m_Params, m_Batch))
            return;
        m_Batch = CreateListItemBatch(m_Params);
        m_Sink = CBatchSink(*m_Batch, m_Params);
    }

    std::unique_ptr<CAsyncListProviderListItemBatch> TakeRest() { return std::move(m_Batch); }

private:
    CMAPIMailUser_AsyncListProvider& m_Provider;
    const CAsyncListProviderFetchParameters& m_Params;
    std::unique_ptr<CAsyncListProviderListItemBatch> m_Batch;
    CBatchSink m_Sink;
    const std::uint32_t m_LookupChanges;
};

CMAPIMailUser_AsyncListProvider::CMAPIMailUser_AsyncListProvider()
    : CWorkerThread(false), m_NewJobEvent(::CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
    m_RestartOnNewFetch = true;
    if (!m_NewJobEvent)
        ThrowCOMError(HRESULT_FROM_WIN32(::GetLastError()), L"CMAPIMailUser_AsyncListProvider - CreateEvent failed");
}

CMAPIMailUser_AsyncListProvider::~CMAPIMailUser_AsyncListProvider()
{
    try
    {
        Stop();
    }
    catch (...)
    {
        // The worker base joins without limit in its own destructor.
    }
}

void CMAPIMailUser_AsyncListProvider::SetAddressBookExclusionList(const std::vector<std::string>& names)
{
    m_ExclusionList = names;
}

void CMAPIMailUser_AsyncListProvider::Initialise(const IDispatchPtr& application, long outlookMajorVersion)
{
    if (m_Initialised)
        return;
    // After a Stop: what the provider found and read before goes, so that it
    // finds what a new one finds.
    m_Shutdown = false;
    m_Cache.clear();
    m_OutlookFolders.clear();
    m_AddressLists.clear();
    CMicrosoftOutlookObjectModelUtils::GetAddressLists(application, outlookMajorVersion >= 12, m_AddressLists);
    m_AddressLists.erase(std::remove_if(m_AddressLists.begin(), m_AddressLists.end(),
                                        [this](const std::unique_ptr<COutlookAddressBook>& list) {
                                            return std::find(m_ExclusionList.begin(), m_ExclusionList.end(),
                                                             list->m_Name) != m_ExclusionList.end();
                                        }),
                         m_AddressLists.end());
    m_Containers.clear();
    for (const auto& list : m_AddressLists)
    {
        if (list->m_Folder)
        {
            m_OutlookFolders.push_back(list->m_Folder);
        }
        else if (!list->m_Id.empty())
        {
            CMAPIAddressBookContainer container;
            CMAPIUtils::StringToEntryId(list->m_Id, container.m_EntryId);
            container.m_DisplayName = list->m_Name;
            m_Containers.push_back(std::move(container));
        }
    }
    m_Initialised = true;
}

std::uint32_t CMAPIMailUser_AsyncListProvider::CNames::Of(const CAsyncListProviderFetchParameters& params,
                                                          const IAsyncListProviderCallback* callback)
{
    const std::string text = SearchTextOf(params);
    const COutlookAddressBook* const book = AddressListOf(params);
    const auto runsOn = [](const std::string& longer, const std::string& shorter) {
        return longer.compare(0, shorter.size(), shorter) == 0;
    };
    const bool goesOn = m_Open && callback == m_Requester && book == m_Book &&
                        (runsOn(text, m_Text) || runsOn(m_Text, text));
    if (!goesOn)
        ++m_Count;
    m_Open = true;
    m_Requester = callback;
    m_Book = book;
    m_Text = text;
    return m_Count;
}

bool CMAPIMailUser_AsyncListProvider::CToldBooks::FirstTime(std::uint32_t name, const std::string& book)
{
    if (name != m_Name)
    {
        m_Name = name;
        m_Books.clear();
    }
    if (std::find(m_Books.begin(), m_Books.end(), book) != m_Books.end())
        return false;
    m_Books.push_back(book);
    return true;
}

void CMAPIMailUser_AsyncListProvider::StartListFetch(std::unique_ptr<CAsyncListProviderFetchParameters>&& params,
                                                     CAsyncListProviderFetchResult& result,
                                                     IAsyncListProviderCallback* callback)
{
    if (params)
        params->m_Name = m_Names.Of(*params, callback);
    CACAsyncListProviderBase::StartListFetch(std::move(params), result, callback);
}

void CMAPIMailUser_AsyncListProvider::CancelAsyncFetch(const CAsyncListProviderFetchParameters* params)
{
    CACAsyncListProviderBase::CancelAsyncFetch(params);
    m_Names.End();
}

void CMAPIMailUser_AsyncListProvider::Stop()
{
    m_Names.End();
    if (!m_Initialised)
        return;
    RequestStop();
    m_Shutdown = true;
    ++m_Stops;
    WaitForThreadToFinish(true);
    m_Initialised = false;
}

void CMAPIMailUser_AsyncListProvider::CleanupAfterOperationFinished()
{
    ++m_LookupChanges;
    CACAsyncListProviderBase::CleanupAfterOperationFinished();
}

void CMAPIMailUser_AsyncListProvider::WakeWorker()
{
    if (!m_Thread)
        Start();
    else
        ::SetEvent(m_NewJobEvent.get());
}

void CMAPIMailUser_AsyncListProvider::DoStartListFetch(CAsyncListProviderFetchResult& result)
{
    if (!m_Initialised)
        throw CGeneralException("CMAPIMailUser_AsyncListProvider::DoStartListFetch - Not Initialsed", E_FAIL);
    ++m_LookupChanges;
    result.m_Pending = false;
    std::unique_ptr<CAsyncListProviderFetchParameters> params;
    IAsyncListProviderCallback* callback = nullptr;
    GetCurrentOperation(params, callback);
    if (!params)
        return;

    if (const COutlookAddressBook* list = AddressListOf(*params))
    {
        if (list->m_Folder)
        {
            DoSynchronousListFetch(result);
        }
        else if (!list->m_Id.empty())
        {
            WakeWorker();
            result.m_Pending = true;
        }
        return;
    }
    // A number names nobody: neither search would look for it.
    if (!NamesPerson(SearchTextOf(*params)))
    {
        result.m_ImmediateBatch = CreateListItemBatch(*params);
        return;
    }
    // A lookup the cache answers is a quick filter of the cached entries:
    // it is served before the worker wakes, whose reading would compete
    // with it for the process heap.
    const bool cached = FindCacheEntry(SearchTextOf(*params), params->m_Name) != nullptr;
    if (!cached)
        WakeWorker();
    result.m_Pending = true;
    DoSynchronousListFetch(result);
    if (cached)
        WakeWorker();
}

void CMAPIMailUser_AsyncListProvider::DoSynchronousListFetch(CAsyncListProviderFetchResult& result)
{
    if (m_SynchronousSearchRunning)
    {
        result.m_Deferred = true;
        return;
    }
    struct CRunningFlag
    {
        explicit CRunningFlag(bool& flag) : m_Flag(flag) { m_Flag = true; }
        ~CRunningFlag() { m_Flag = false; }
        bool& m_Flag;
    } running(m_SynchronousSearchRunning);
    result.m_Deferred = false;
    m_StopsBeforeSearch = m_Stops;

    for (;;)
    {
        std::unique_ptr<CAsyncListProviderFetchParameters> params;
        IAsyncListProviderCallback* callback = nullptr;
        GetCurrentOperation(params, callback);
        if (!params)
            break;
        CFolderMatches matches(*this, *params);
        if (!SearchFolders(*params, callback, matches))
        {
            // Stopped while pumping: the lookup's results are dropped.
            result.m_ImmediateBatch.reset();
            return;
        }
        result.m_ImmediateBatch = matches.TakeRest();
        bool changed = false;
        IsDifferentOperation(params.get(), changed);
        if (!changed)
            break;
    }
}

bool CMAPIMailUser_AsyncListProvider::SearchFolders(const CAsyncListProviderFetchParameters& params,
                                                    IAsyncListProviderCallback* callback, CFolderMatches& matches)
{
    const COutlookAddressBook* const list = AddressListOf(params);
    const bool restricted = list != nullptr;
    std::vector<IDispatchPtr> folders;
    if (restricted)
    {
        if (list->m_Folder)
            folders.push_back(list->m_Folder);
    }
    else
    {
        folders = m_OutlookFolders;
    }

    const std::string text = SearchTextOf(params);
    if (!NamesPerson(text) && !restricted)
        return true;
    if (!restricted)
    {
        if (const CacheEntry* entry = FindCacheEntry(text, params.m_Name))
        {
            Trace(kSynchronousSearch, L"Getting result from cache");
            const bool all = entry->m_Key == text;
            if (all)
                matches.Reserve(entry->m_Results.size());
            for (const auto& user : entry->m_Results)
            {
                if (all || Matches(*user, text))
                    matches.Add(*user, false);
            }
            return true;
        }
    }

    Trace(kSynchronousSearch, L"Searching for matching contacts");
    const bool narrowing = text.size() >= 2;
    const std::string queryString = narrowing ? text.substr(0, 1) : text;
    // What queued while the keystroke was handled is served before the
    // tables are read, and then on the deadline.
    CacheEntry found{queryString, {}, true, params.m_Name};
    if (Pump())
        return false;

    bool failed = false;
    std::vector<std::string> errors;
    for (const IDispatchPtr& folder : folders)
    {
        std::string folderName;
        try
        {
            folderName = WideToAnsi(Dispatch::GetText(folder, L"Name"));
            Trace(kSynchronousSearch, L"Starting search for address book: " + AnsiToWide(folderName));
            const FolderRead read =
                SearchFolder(folder, queryString, text, narrowing, matches, restricted ? nullptr : &found.m_Results);
            if (read == FolderRead::kShutdown)
                return false;
            if (read == FolderRead::kLeft)
                break;
        }
        catch (...)
        {
            failed = true;
            if (m_FoldersTold.FirstTime(params.m_Name, folderName))
                errors.push_back(AddressBookErrorLine(folderName));
        }
    }

    Trace(kSynchronousSearch, L"Matching contacts have been transfered");
    if (!errors.empty())
    {
        Trace(kSynchronousSearch, L"Displaying error MessageBox to user (thread will be blocked)");
        ShowErrorMessageBox(callback ? callback->BoxOwner() : nullptr, AddressBookErrorText(errors),
                            kSynchronousSearchFunction);
        Trace(kSynchronousSearch, L"MessageBox dismissed by user");
        // The box's loop dispatches too.
        if (Stopped())
            return false;
    }
    // A folder that failed, at its table or half-way, gave only part of its
    // contacts: the name it was told for goes on with what was read, and
    // the next name asks Outlook again.
    found.m_Complete = !failed;
    if (!restricted)
        StoreInCache(std::move(found));
    return true;
}

CMAPIMailUser_AsyncListProvider::FolderRead CMAPIMailUser_AsyncListProvider::SearchFolder(
    IDispatch* folder, const std::string& queryString, const std::string& text, bool narrowing,
    CFolderMatches& matches, std::vector<std::unique_ptr<CMAPIOLMailUser>>* cacheList)
{
    std::wstring filter;
    if (queryString.empty())
    {
        Trace(kSynchronousSearch, L"sSearchStringForQuery is empty");
    }
    else
    {
        const std::wstring query = AnsiToWide(queryString);
        filter = L"@SQL=" +
                 CMicrosoftOutlookObjectModelUtils::DaslContainsCondition(L"urn:schemas:contacts:givenName", query) +
                 L" OR " + CMicrosoftOutlookObjectModelUtils::DaslContainsCondition(L"urn:schemas:contacts:sn", query);
        Trace(kSynchronousSearch, L"Query filter is: " + filter);
    }

    const IDispatchPtr table =
        TracedScope(1, [&] { return Dispatch::CallPtr(folder, L"GetTable", filter, Dispatch::Missing()); });
    if (PumpOnDeadline(matches))
        return FolderRead::kShutdown;
    TracedScope(2, [&] {
        const IDispatchPtr columns = Dispatch::GetPtr(table, L"Columns");
        Dispatch::Call(columns, L"RemoveAll");
        for (const TableColumn& column : kTableColumns)
            AddColumnToContactTable(columns, column);
    });
    if (PumpOnDeadline(matches))
        return FolderRead::kShutdown;

    // One address list's entries fill no cache: once the user has moved on
    // (another book chosen), the rest of its table is not read.
    const bool leaveWhenSuperseded = cacheList == nullptr;
    return TracedScope(3, [&] {
        CContactTableReader reader(table);
        CFolderStoreId storeId(folder);
        CTableBlock block;
        for (;;)
        {
            if (leaveWhenSuperseded && matches.IsSuperseded())
                return FolderRead::kLeft;
            if (!reader.NextBlock(block))
                return FolderRead::kWhole;
            for (LONG row = 0; row < block.Rows(); ++row)
            {
                std::unique_ptr<CMAPIOLMailUser> user = UserFromRow(block, row, storeId);
                if (!narrowing || Matches(*user, text))
                    matches.Add(*user, user->m_ObjectType == CMAPIMailUser::kDistributionList);
                if (cacheList)
                    cacheList->push_back(std::move(user));
            }
            if (PumpOnDeadline(matches))
                return FolderRead::kShutdown;
        }
    });
}

bool CMAPIMailUser_AsyncListProvider::PumpOnDeadline(CFolderMatches& matches)
{
    CTickCountTime now;
    now.SetToNow();
    if (!(now > m_PumpDeadline))
        return false;
    matches.HandOver();
    return Pump();
}

bool CMAPIMailUser_AsyncListProvider::Pump()
{
    const bool emptied = CWin32Utils::PumpMessages(kPumpBudgetMs);
    // What the budget left waiting is dispatched after the next block.
    m_PumpDeadline.SetToNow();
    if (emptied)
        m_PumpDeadline += kPumpIntervalMs;
    return Stopped();
}

// A Stop seen also when an Initialise followed it in the same pump: the
// search's lookup, folders and reads belong to the provider as it was.
bool CMAPIMailUser_AsyncListProvider::Stopped() const
{
    return m_Shutdown || m_Stops != m_StopsBeforeSearch;
}

const CMAPIMailUser_AsyncListProvider::CacheEntry* CMAPIMailUser_AsyncListProvider::FindCacheEntry(
    const std::string& text, std::uint32_t name) const
{
    const CacheEntry* best = nullptr;
    for (const CacheEntry& entry : m_Cache)
    {
        if (!entry.m_Complete && entry.m_Name != name)
            continue;
        if (text.compare(0, entry.m_Key.size(), entry.m_Key) == 0 && entry.m_Key.size() <= text.size() &&
            (!best || entry.m_Key.size() > best->m_Key.size()))
            best = &entry;
    }
    return best;
}

void CMAPIMailUser_AsyncListProvider::StoreInCache(CacheEntry entry)
{
    for (CacheEntry& stored : m_Cache)
    {
        if (stored.m_Key == entry.m_Key)
        {
            stored = std::move(entry);
            return;
        }
    }
    m_Cache.push_back(std::move(entry));
}

DWORD CMAPIMailUser_AsyncListProvider::Run()
{
    Trace(kWorker, L"Entry");
    CMAPIUtils mapi;
    struct CMAPISessionEnd
    {
        CMAPISessionEnd(CMAPIUtils& mapi, bool started) : m_MAPI(mapi), m_Started(started) {}
        ~CMAPISessionEnd()
        {
            Trace(kWorker, L"Logging off from MAPI");
            m_MAPI.Logoff();
            // Only a start that succeeded is ended (the count is Outlook's too).
            if (!m_Started)
                return;
            Trace(kWorker, L"Calling MAPIUninitialize");
            CMAPIUtils::UninitialiseMAPI();
        }
        CMAPIUtils& m_MAPI;
        const bool m_Started;
    } sessionEnd(mapi, CMAPIUtils::InitialiseMAPI());
    // Without a session no container can be read: the worker stays, so that
    // a lookup of one container is told so; the folders serve the others.
    std::exception_ptr logonFailure;
    try
    {
        mapi.LoginToCurrentSession();
    }
    catch (...)
    {
        TraceCurrentWorkerException(kComponent, kWorker);
        ReportCurrentException(kWorkerFunction);
        logonFailure = std::current_exception();
    }

    std::uint32_t lastCompletedRequestId = 0;
    bool shutdown = false;
    while (!shutdown)
    {
        std::unique_ptr<CAsyncListProviderFetchParameters> params;
        IAsyncListProviderCallback* callback = nullptr;
        GetCurrentOperation(params, callback);
        bool completed = false;
        if (params && callback)
            completed = logonFailure ? ReportUnreadableList(*params, logonFailure) : SearchContainers(mapi, *params);
        Trace(kWorker, L"Finished iterating through address books");
        if (completed)
            lastCompletedRequestId = params->m_RequestId;

        Trace(kWorker, L"Checking for new job");
        bool changed = false;
        IsDifferentOperation(params.get(), changed);
        if (changed)
            Trace(kWorker, L"New request is already was waiting");
        else
            WaitForNextJob(lastCompletedRequestId, shutdown);
    }
    return 0;
}

bool CMAPIMailUser_AsyncListProvider::SearchContainers(CMAPIUtils& mapi,
                                                       const CAsyncListProviderFetchParameters& params)
{
    const std::string text = SearchTextOf(params);
    const COutlookAddressBook* const list = AddressListOf(params);
    if (!NamesPerson(text) && !list)
        return true;

    CMAPIEntryId wanted;
    if (list)
        CMAPIUtils::StringToEntryId(list->m_Id, wanted);
    for (const CMAPIAddressBookContainer& container : m_Containers)
    {
        if (list && container.m_EntryId != wanted)
            continue;
        std::string error;
        if (!SearchContainer(mapi, container, params, text, error))
            return false;
        // A chosen book that could not be read is reported, once per name;
        // in a lookup of every book the others' entries speak for themselves.
        if (list && !error.empty() && m_ContainersTold.FirstTime(params.m_Name, container.m_DisplayName))
            PostError(params, error);
    }
    return true;
}

bool CMAPIMailUser_AsyncListProvider::ReportUnreadableList(const CAsyncListProviderFetchParameters& params,
                                                           const std::exception_ptr& failure)
{
    const COutlookAddressBook* const list = AddressListOf(params);
    if (!list || list->m_Id.empty())
        return true;
    try
    {
        std::rethrow_exception(failure);
    }
    catch (...)
    {
        if (m_ContainersTold.FirstTime(params.m_Name, list->m_Name))
            PostError(params, AddressBookErrorLine(list->m_Name));
    }
    return true;
}

void CMAPIMailUser_AsyncListProvider::PostError(const CAsyncListProviderFetchParameters& params,
                                                const std::string& line)
{
    std::unique_ptr<CAsyncListProviderListItemBatch> batch = CreateListItemBatch(params);
    batch->m_Error = AddressBookErrorText({line});
    Trace(kWorker, L"Passing error back to main thread");
    PostListItemBatchIfCurrent(params, batch);
}

bool CMAPIMailUser_AsyncListProvider::SearchContainer(CMAPIUtils& mapi, const CMAPIAddressBookContainer& container,
                                                      const CAsyncListProviderFetchParameters& params,
                                                      const std::string& text, std::string& error)
{
    const auto* mapiParams = MAPIParameters(params);
    const bool withDistributionLists = mapiParams && mapiParams->m_IncludeDistributionLists;
    bool goOn = true;
    try
    {
        Trace(kWorker, L"Starting search for address book: " + AnsiToWide(container.m_DisplayName));
        CMAPIAddressBookSession session;
        if (!mapi.OpenAddressBook(container.m_EntryId, session))
        {
            Trace(kWorker, L"MAPIUtils.OpenAddressBook retruned false");
            error = container.m_DisplayName;
            return true;
        }
        Trace(kWorker, L"Address book opened");
        if (!text.empty())
            mapi.SetNameRestriction(session, text);

        for (;;)
        {
            if (IsStopRequested(0))
            {
                Trace(kWorker, L"Thread shutdown requested");
                goOn = false;
                break;
            }
            CMAPIMailUserList users;
            // The rows the table gave, not the records kept, tell the end:
            // dropped rows must not hide the rest of the container.
            const ULONG rows = mapi.ReadBlockFromAddressBook(session, kBlockRows, users, true);
            Trace(kWorker, L"Read block of contacts, count=" + std::to_wstring(users.size()));
            std::unique_ptr<CAsyncListProviderListItemBatch> batch = CreateListItemBatch(params);
            CBatchSink sink(*batch, params);
            for (const CMAPIMailUser& user : users)
            {
                const bool isDistributionList = user.m_ObjectType == CMAPIMailUser::kDistributionList;
                if (!isDistributionList || withDistributionLists)
                    AddMailUserToListItemBatch(sink, user, isDistributionList);
            }
            // The check and the hand-off are one step under the base's lock;
            // the first check only spares the trace line of a stale post.
            bool posted = false;
            if (!IsDifferentOperation(&params))
            {
                Trace(kWorker, L"Passing results back to main thread");
                posted = PostListItemBatchIfCurrent(params, batch);
            }
            if (!posted)
            {
                Trace(kWorker, L"Current search is being cancelled as search criterior has changed");
                goOn = false;
                break;
            }
            if (rows < kBlockRows)
                break;
        }
    }
    catch (...)
    {
        TraceCurrentWorkerException(kComponent, kWorker);
        error = AddressBookErrorLine(container.m_DisplayName);
    }
    Trace(kWorker, L"Finish processing current address book");
    return goOn;
}

void CMAPIMailUser_AsyncListProvider::WaitForNextJob(std::uint32_t lastCompletedRequestId, bool& shutdown)
{
    Trace(kWorker, L"Thread is waiting for a new async search request");
    for (;;)
    {
        if (!WaitForNewJobOrShutDown(false, shutdown))
            break;
        std::unique_ptr<CAsyncListProviderFetchParameters> params;
        IAsyncListProviderCallback* callback = nullptr;
        GetCurrentOperation(params, callback);
        if (!params || params->m_RequestId != lastCompletedRequestId)
            break;
    }
    Trace(kWorker, shutdown ? L"Thread shutdown has been requested" : L"New request has been received");
}

bool CMAPIMailUser_AsyncListProvider::WaitForNewJobOrShutDown(bool pump, bool& shutdown)
{
    const HANDLE handles[2] = {m_StopEvent.get(), m_NewJobEvent.get()};
    const DWORD result = pump ? ::MsgWaitForMultipleObjects(2, handles, FALSE, INFINITE, 0)
                              : ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (result == WAIT_OBJECT_0)
    {
        shutdown = true;
        return false;
    }
    if (result == WAIT_OBJECT_0 + 1)
        return true;
    ThrowCOMError(E_FAIL, L"CMAPIMailUser_AsyncListProvider::WaitForNewJobOrShutDown");
}
