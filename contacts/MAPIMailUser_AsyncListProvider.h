// The address-book list provider: finds recipients whose names match a typed
// text in the user's Outlook contact folders (searched at once on the
// user-interface thread, their tables read in blocks between pumps of the
// thread's messages, the matches read so far handed to the requester at
// each pump and the rest returned at once; with a per-provider cache of one
// query per initial letter; a lookup of one address list that another has
// replaced reads no further block; a folder that cannot be read is told in
// a box of the requester's window, and what the other folders gave answers
// the rest of that name, while the next name reads it again) and in
// Extended MAPI address-book containers (read by the provider's worker
// thread, 100 rows at a time, each block posted to the requester as one
// batch; a lookup of one container that cannot be read ends with an empty
// batch whose m_Error says so).
//
// Names: a lookup goes on with the name of the lookup before it when the
// same requester looks in the same address book (or all of them) for a text
// that runs on from that one or back into it, and has not ended it
// (CancelAsyncFetch) in between; else it begins a new name. A book that
// cannot be read is told once per name, by the folders' search and by the
// worker alike.
//
// Threads: everything but WorkerThread runs on the user-interface thread,
// which owns the cache, the folders and the flags. The worker reads only the
// container list, which Initialise fills before the first lookup, and shares
// the current lookup through the base's lock.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "contacts/AsyncListProvider.h"
#include "contacts/MAPIUtils.h"
#include "contacts/MicrosoftOutlookObjectModelUtils.h"
#include "core/DateTimeUtils.h"
#include "core/ScopedHandle.h"
#include "core/WorkerThread.h"
#include "platform/ComPtr.h"

// An address-book entry found by the provider; one read from an Outlook
// contact folder also carries its source and, for a distribution list, the
// entry id of the folder's store.
class CMAPIOLMailUser : public CMAPIMailUser
{
public:
    enum : std::uint32_t
    {
        kSourceOutlookTable = 2
    };

    CMAPIEntryId m_OutlookEntryId;
    std::uint32_t m_Source = kSourceOutlookTable;
};

class CMAPIMailUser_AsyncListProvider : public CACAsyncListProviderBase, private CWorkerThread
{
public:
    CMAPIMailUser_AsyncListProvider();
    ~CMAPIMailUser_AsyncListProvider() override;

    // Names of Outlook address lists never listed nor searched; compared
    // exactly, as typed in the configuration.
    void SetAddressBookExclusionList(const std::vector<std::string>& names);
    // Reads Outlook's address lists (with their contact folders from
    // Outlook 12 on); nothing when already initialised. After a Stop it
    // starts afresh: no shutdown, no folders, no cache.
    void Initialise(const IDispatchPtr& application, long outlookMajorVersion);
    // The address lists Initialise kept, owned by the provider.
    const COutlookAddressBookList& GetAddressLists() const { return m_AddressLists; }

    // Takes the lookup into its requester's name (the parameters' m_Name).
    void StartListFetch(std::unique_ptr<CAsyncListProviderFetchParameters>&& params,
                        CAsyncListProviderFetchResult& result, IAsyncListProviderCallback* callback) override;
    // Also ends the requester's name.
    void CancelAsyncFetch(const CAsyncListProviderFetchParameters* params) override;
    // Stops and joins the worker; a synchronous search running below on the
    // stack returns at its next pump without results.
    void Stop() override;

protected:
    void DoStartListFetch(CAsyncListProviderFetchResult& result) override;
    void CleanupAfterOperationFinished() override;

private:
    class CFolderMatches;
    // The names lookups belong to (user-interface thread only).
    class CNames
    {
    public:
        std::uint32_t Of(const CAsyncListProviderFetchParameters& params, const IAsyncListProviderCallback* callback);
        void End() { m_Open = false; }

    private:
        std::uint32_t m_Count = 0;
        bool m_Open = false;
        const IAsyncListProviderCallback* m_Requester = nullptr;
        const COutlookAddressBook* m_Book = nullptr;
        std::string m_Text;
    };
    // The books a name has been told it cannot read; each thread that reads
    // books keeps its own.
    class CToldBooks
    {
    public:
        // True the first time the book is told in the name.
        bool FirstTime(std::uint32_t name, const std::string& book);

    private:
        std::uint32_t m_Name = 0;
        std::vector<std::string> m_Books;
    };
    struct CacheEntry
    {
        std::string m_Key;
        std::vector<std::unique_ptr<CMAPIOLMailUser>> m_Results;
        // A folder failed, at its table or half-way: the entry answers only
        // the name it was read for.
        bool m_Complete = true;
        std::uint32_t m_Name = 0;
    };

    DWORD Run() override;

    void WakeWorker();
    void DoSynchronousListFetch(CAsyncListProviderFetchResult& result);
    // One lookup of the synchronous search, for the requester behind the
    // callback; false when a shutdown was seen.
    bool SearchFolders(const CAsyncListProviderFetchParameters& params, IAsyncListProviderCallback* callback,
                       CFolderMatches& matches);
    enum class FolderRead
    {
        kWhole,
        // A restricted lookup no longer current: the rest of the table is
        // not read.
        kLeft,
        kShutdown
    };
    // One folder into the matches (and the cache list; none for a lookup of
    // one address list).
    FolderRead SearchFolder(IDispatch* folder, const std::string& queryString, const std::string& text,
                            bool narrowing, CFolderMatches& matches,
                            std::vector<std::unique_ptr<CMAPIOLMailUser>>* cacheList);
    // When the deadline has passed, hands the matches gathered so far to
    // the requester and pumps; true when a shutdown was seen.
    bool PumpOnDeadline(CFolderMatches& matches);
    // Dispatches the thread's queue until it is empty or a budget is spent,
    // and sets the next deadline (at once when messages were left); true
    // when a shutdown was seen.
    bool Pump();
    // Stopped since the running synchronous search began.
    bool Stopped() const;
    // An entry for the text of a lookup of the name.
    const CacheEntry* FindCacheEntry(const std::string& text, std::uint32_t name) const;
    void StoreInCache(CacheEntry entry);

    // The worker's job for one lookup; false when it did not run to its end.
    bool SearchContainers(CMAPIUtils& mapi, const CAsyncListProviderFetchParameters& params);
    // False when the rest of the job is to be dropped. error: the box's line
    // for a container that could not be read, else untouched.
    bool SearchContainer(CMAPIUtils& mapi, const CMAPIAddressBookContainer& container,
                         const CAsyncListProviderFetchParameters& params, const std::string& text, std::string& error);
    // The job without a MAPI session: a lookup of one container is told why
    // it cannot be read.
    bool ReportUnreadableList(const CAsyncListProviderFetchParameters& params, const std::exception_ptr& failure);
    // An empty batch whose error names the address book, as the lookup's last.
    void PostError(const CAsyncListProviderFetchParameters& params, const std::string& line);
    void WaitForNextJob(std::uint32_t lastCompletedRequestId, bool& shutdown);
    bool WaitForNewJobOrShutDown(bool pump, bool& shutdown);

    bool m_Initialised = false;
    CScopedKernelHandle m_NewJobEvent;
    bool m_SynchronousSearchRunning = false;
    bool m_Shutdown = false;
    // Lookups started or cancelled (user-interface thread only).
    std::uint32_t m_LookupChanges = 0;
    CNames m_Names;
    CToldBooks m_FoldersTold;
    // The worker's own.
    CToldBooks m_ContainersTold;
    // Stops so far, and before the running synchronous search began.
    std::uint32_t m_Stops = 0;
    std::uint32_t m_StopsBeforeSearch = 0;
    std::vector<std::string> m_ExclusionList;
    std::vector<CacheEntry> m_Cache;
    COutlookAddressBookList m_AddressLists;
    std::vector<CMAPIAddressBookContainer> m_Containers;
    std::vector<IDispatchPtr> m_OutlookFolders;
    // The synchronous search's next pump.
    CTickCountTime m_PumpDeadline;
};
