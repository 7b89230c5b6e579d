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
const char kSynchronousSearchFunction[] = "CMAPIMailUser_AsyncListProvider::DoSynchronousListFetch";

const ULONG kBlockRows = 100;
const DWORD kPumpIntervalMs = 50;

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

bool Matches(const CMAPIMailUser& user, const std::string& text)
{
    std::string name = user.m_DisplayName;
    return ToLower(name).find(text) != std::string::npos;
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

std::string ListText(const std::string& text)
{
    return ReplaceChar(ReplaceChar(ReplaceChar(text, '[', '('), ']', ')'), ';', ',');
}

void AddItem(CAsyncListProviderListItemBatch& batch, const CMAPIMailUser& user, const std::string& name,
             const std::string& number, bool isMobile, bool isDistributionList)
{
    if (auto* details = dynamic_cast<CAsyncListProviderListItemBatch_ContactDetails*>(&batch))
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
        details->m_Items.push_back(std::move(item));
        return;
    }
    const std::string listName = ListText(name);
    const std::string listNumber = ListText(number);
    static_cast<CAsyncListProviderListItemBatch_StringArray&>(batch).m_Items.push_back(
        !listName.empty() && listName != listNumber ? listName + " [" + listNumber + "]" : listNumber);
}

void AddMailUserToListItemBatch(CAsyncListProviderListItemBatch& batch, const CAsyncListProviderFetchParameters& params,
                                const CMAPIMailUser& user, bool isDistributionList)
{
    std::string name = user.m_DisplayName;
    if (!user.m_GivenName.empty() || !user.m_Surname.empty())
        name = user.m_Surname.empty() ? user.m_GivenName : user.m_GivenName + " " + user.m_Surname;

    if (isDistributionList)
    {
        AddItem(batch, user, name, std::string(), false, true);
        return;
    }
    const auto* mapi = MAPIParameters(params);
    if (mapi && mapi->m_IncludeBusinessAndHomeNumbers)
    {
        if (!user.m_BusinessPhone.empty())
            AddItem(batch, user, name, user.m_BusinessPhone, false, false);
        if (!user.m_HomePhone.empty())
            AddItem(batch, user, name, user.m_HomePhone, false, false);
    }
    if (!user.m_MobilePhone.empty() || (mapi && mapi->m_IncludeEntriesWithoutMobile))
        AddItem(batch, user, name, user.m_MobilePhone, true, false);
}

// The value of one column of a row read with GetValues.
std::string RowText(SAFEARRAY* values, LONG index)
{
    _variant_t value;
    if (FAILED(::SafeArrayGetElement(values, &index, &value)))
        return std::string();
    if (V_VT(&value) == VT_EMPTY || V_VT(&value) == VT_NULL || V_VT(&value) == VT_ERROR)
        return std::string();
    return WideToAnsi(Dispatch::ToText(value));
}

// Calls by dispatch ids looked up once per table: with tens of thousands of
// rows the name lookups would cost more than the reads.
class CContactTableReader
{
public:
    explicit CContactTableReader(const IDispatchPtr& table)
        : m_Table(table),
          m_EndOfTable(Dispatch::GetDispId(table, L"EndOfTable")),
          m_GetNextRow(Dispatch::GetDispId(table, L"GetNextRow"))
    {
    }

    bool AtEnd() const
    {
        const _variant_t end = Dispatch::InvokeById(m_Table, m_EndOfTable, DISPATCH_PROPERTYGET, {});
        return static_cast<bool>(end);
    }

    // The next row's values, one per column in the order of kTableColumns.
    std::vector<std::string> NextRow()
    {
        const IDispatchPtr row = Dispatch::ToPtr(
            Dispatch::InvokeById(m_Table, m_GetNextRow, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}));
        if (!row)
            throw _com_error(E_POINTER);
        if (m_GetValues == DISPID_UNKNOWN)
            m_GetValues = Dispatch::GetDispId(row, L"GetValues");
        _variant_t values = Dispatch::InvokeById(row, m_GetValues, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {});
        if (!(V_VT(&values) & VT_ARRAY) || !V_ARRAY(&values))
            throw _com_error(DISP_E_TYPEMISMATCH);
        SAFEARRAY* const array = V_ARRAY(&values);
        LONG lower = 0;
        ::SafeArrayGetLBound(array, 1, &lower);
        std::vector<std::string> texts;
        for (LONG index = 0; index < kColumnCount; ++index)
            texts.push_back(RowText(array, lower + index));
        return texts;
    }

private:
    IDispatchPtr m_Table;
    DISPID m_EndOfTable;
    DISPID m_GetNextRow;
    DISPID m_GetValues = DISPID_UNKNOWN;
};

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

std::string FolderErrorLine(const std::string& folderName)
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
        return folderName + " (" + description + ", " + std::to_string(static_cast<long>(error.Error())) + ")";
    }
    catch (...)
    {
        return folderName;
    }
}
} // namespace

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

void CMAPIMailUser_AsyncListProvider::Stop()
{
    if (!m_Initialised)
        return;
    RequestStop();
    m_Shutdown = true;
    WaitForThreadToFinish(true);
    m_Initialised = false;
}

void CMAPIMailUser_AsyncListProvider::CleanupAfterOperationFinished()
{
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
    WakeWorker();
    result.m_Pending = true;
    DoSynchronousListFetch(result);
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

    for (;;)
    {
        std::unique_ptr<CAsyncListProviderFetchParameters> params;
        IAsyncListProviderCallback* callback = nullptr;
        GetCurrentOperation(params, callback);
        if (!params)
            break;
        result.m_ImmediateBatch = CreateListItemBatch(*params);
        if (!SearchFolders(*params, *result.m_ImmediateBatch))
        {
            // Stopped while pumping: the lookup's results are dropped.
            result.m_ImmediateBatch.reset();
            return;
        }
        bool changed = false;
        IsDifferentOperation(params.get(), changed);
        if (!changed)
            break;
    }
}

bool CMAPIMailUser_AsyncListProvider::SearchFolders(const CAsyncListProviderFetchParameters& params,
                                                    CAsyncListProviderListItemBatch& batch)
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
        if (const CacheEntry* entry = FindCacheEntry(text))
        {
            Trace(kSynchronousSearch, L"Getting result from cache");
            for (const auto& user : entry->m_Results)
            {
                if (entry->m_Key == text || Matches(*user, text))
                    AddMailUserToListItemBatch(batch, params, *user, false);
            }
            return true;
        }
    }

    Trace(kSynchronousSearch, L"Searching for matching contacts");
    const bool narrowing = text.size() >= 2;
    const std::string queryString = narrowing ? text.substr(0, 1) : text;
    m_PumpDeadline.SetToNow();
    m_PumpDeadline += kPumpIntervalMs;
    std::vector<std::unique_ptr<CMAPIOLMailUser>> cacheList;

    std::vector<std::string> errors;
    for (const IDispatchPtr& folder : folders)
    {
        std::string folderName;
        try
        {
            folderName = WideToAnsi(Dispatch::GetText(folder, L"Name"));
            Trace(kSynchronousSearch, L"Starting search for address book: " + AnsiToWide(folderName));
            if (!SearchFolder(folder, queryString, text, narrowing, batch, params, restricted ? nullptr : &cacheList))
                return false;
        }
        catch (...)
        {
            errors.push_back(FolderErrorLine(folderName));
        }
    }

    Trace(kSynchronousSearch, L"Matching contacts have been transfered");
    if (!errors.empty())
    {
        std::string message = "Error occurred accessing these address book(s):\n\n";
        for (const std::string& line : errors)
            message += line + "\n";
        Trace(kSynchronousSearch, L"Displaying error MessageBox to user (thread will be blocked)");
        ShowErrorMessageBox(message, kSynchronousSearchFunction);
        Trace(kSynchronousSearch, L"MessageBox dismissed by user");
    }
    if (!restricted)
        StoreInCache(queryString, std::move(cacheList));
    return true;
}

bool CMAPIMailUser_AsyncListProvider::SearchFolder(IDispatch* folder, const std::string& queryString,
                                                   const std::string& text, bool narrowing,
                                                   CAsyncListProviderListItemBatch& batch,
                                                   const CAsyncListProviderFetchParameters& params,
                                                   std::vector<std::unique_ptr<CMAPIOLMailUser>>* cacheList)
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
    if (PumpOnDeadline())
        return false;
    TracedScope(2, [&] {
        const IDispatchPtr columns = Dispatch::GetPtr(table, L"Columns");
        Dispatch::Call(columns, L"RemoveAll");
        for (const TableColumn& column : kTableColumns)
            AddColumnToContactTable(columns, column);
    });
    if (PumpOnDeadline())
        return false;

    return TracedScope(3, [&] {
        CContactTableReader reader(table);
        CMAPIEntryId storeId;
        bool storeIdRead = false;
        while (!reader.AtEnd())
        {
            const std::vector<std::string> row = reader.NextRow();
            auto user = std::make_unique<CMAPIOLMailUser>();
            user->m_DisplayName = row[kFullNameColumn].empty() ? row[kCompanyColumn] : row[kFullNameColumn];
            user->m_MobilePhone = row[kMobileColumn];
            user->m_BusinessPhone = row[kBusinessColumn];
            user->m_HomePhone = row[kHomeColumn];
            CMAPIUtils::StringToEntryId(row[kEntryIdColumn], user->m_EntryId);
            const bool isDistributionList = row[kMessageClassColumn] == "IPM.DistList";
            if (isDistributionList)
            {
                user->m_ObjectType = CMAPIMailUser::kDistributionList;
                if (!storeIdRead)
                {
                    CMAPIUtils::StringToEntryId(WideToAnsi(Dispatch::GetText(folder, L"StoreID")), storeId);
                    storeIdRead = true;
                }
                user->m_OutlookEntryId = storeId;
            }
            if (PumpOnDeadline())
                return false;
            if (!narrowing || Matches(*user, text))
                AddMailUserToListItemBatch(batch, params, *user, isDistributionList);
            if (cacheList)
                cacheList->push_back(std::move(user));
        }
        return true;
    });
}

bool CMAPIMailUser_AsyncListProvider::PumpOnDeadline()
{
    CTickCountTime now;
    now.SetToNow();
    if (!(now > m_PumpDeadline))
        return false;
    CWin32Utils::PumpMessages();
    m_PumpDeadline.SetToNow();
    m_PumpDeadline += kPumpIntervalMs;
    return m_Shutdown;
}

const CMAPIMailUser_AsyncListProvider::CacheEntry* CMAPIMailUser_AsyncListProvider::FindCacheEntry(
    const std::string& text) const
{
    const CacheEntry* best = nullptr;
    for (const CacheEntry& entry : m_Cache)
    {
        if (text.compare(0, entry.m_Key.size(), entry.m_Key) == 0 && entry.m_Key.size() <= text.size() &&
            (!best || entry.m_Key.size() > best->m_Key.size()))
            best = &entry;
    }
    return best;
}

void CMAPIMailUser_AsyncListProvider::StoreInCache(const std::string& key,
                                                   std::vector<std::unique_ptr<CMAPIOLMailUser>> results)
{
    for (CacheEntry& entry : m_Cache)
    {
        if (entry.m_Key == key)
        {
            entry.m_Results = std::move(results);
            return;
        }
    }
    m_Cache.push_back(CacheEntry{key, std::move(results)});
}

DWORD CMAPIMailUser_AsyncListProvider::Run()
{
    Trace(kWorker, L"Entry");
    CMAPIUtils mapi;
    CMAPIUtils::InitialiseMAPI();
    struct CMAPISessionEnd
    {
        explicit CMAPISessionEnd(CMAPIUtils& mapi) : m_MAPI(mapi) {}
        ~CMAPISessionEnd()
        {
            Trace(kWorker, L"Logging off from MAPI");
            m_MAPI.Logoff();
            Trace(kWorker, L"Calling MAPIUninitialize");
            CMAPIUtils::UninitialiseMAPI();
        }
        CMAPIUtils& m_MAPI;
    } sessionEnd(mapi);
    mapi.LoginToCurrentSession();

    std::uint32_t lastCompletedRequestId = 0;
    bool shutdown = false;
    while (!shutdown)
    {
        std::unique_ptr<CAsyncListProviderFetchParameters> params;
        IAsyncListProviderCallback* callback = nullptr;
        GetCurrentOperation(params, callback);
        const bool completed = params && callback && SearchContainers(mapi, *params);
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
        if (!SearchContainer(mapi, container, params, text))
            return false;
    }
    return true;
}

bool CMAPIMailUser_AsyncListProvider::SearchContainer(CMAPIUtils& mapi, const CMAPIAddressBookContainer& container,
                                                      const CAsyncListProviderFetchParameters& params,
                                                      const std::string& text)
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
            for (const CMAPIMailUser& user : users)
            {
                const bool isDistributionList = user.m_ObjectType == CMAPIMailUser::kDistributionList;
                if (!isDistributionList || withDistributionLists)
                    AddMailUserToListItemBatch(*batch, params, user, isDistributionList);
            }
            // The check and the hand-off are one step under the base's lock;
            // the first check only spares the trace line of a stale post.
            bool posted = false;
            if (!IsDifferentOperation(&params))
            {
                Trace(kWorker, L"Passing results back to main thread");
                posted = PostListItemBatchIfCurrent(params, std::move(batch));
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
