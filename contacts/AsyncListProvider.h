// List providers: a requester on the user-interface thread asks which
// entries match a text and gets the answer in batches, at once or later from
// the provider's worker thread as a pointer posted to the requester's window.
//
// Threads: requesters call StartListFetch, IsFetchInProgress,
// CancelAsyncFetch and Stop on the user-interface thread only; a worker calls
// only GetCurrentOperation, IsDifferentOperation and
// PostListItemBatchIfCurrent, and works on private clones of the parameters,
// which the user-interface thread may replace or delete at any time.
//
// Ownership: the provider owns the current parameters; a batch belongs to
// the provider until it is handed to PostListItemBatch or returned as the
// immediate batch, then to the requester, who deletes it after handling it.
// Every batch carries its lookup's request id; a requester keeps only
// batches of its latest lookup.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "contacts/MAPIUtils.h"
#include "core/Mutex.h"

class COutlookAddressBook;

// Posted to the auto-complete drop-down list: wParam 0, lParam the batch.
constexpr UINT WM_AC_LISTITEMBATCH = 0x08B1;
// Sent (never posted) between the auto-complete list, its edit and the
// edit's parent: wParam the notification, lParam the sender's control id.
constexpr UINT WM_AC_NOTIFY = 0x08B0;

// One lookup. Clone returns a copy of the same dynamic type with the same
// request id.
class CAsyncListProviderFetchParameters
{
public:
    CAsyncListProviderFetchParameters();
    virtual ~CAsyncListProviderFetchParameters();
    virtual std::unique_ptr<CAsyncListProviderFetchParameters> Clone() const;

    // The process-wide request-id counter, starting at 1: whoever creates
    // the parameters of a new lookup takes the next id.
    static std::uint32_t TakeNextRequestId();

    // The requester's own value; no provider reads it.
    LONG m_CallerValue;
    std::string m_SearchText;
    std::uint32_t m_RequestId;
    // The name typed that the lookup belongs to, as its provider counts
    // them; set by the provider when it takes the lookup.
    std::uint32_t m_Name = 0;
};

// A lookup of the address-book provider.
class CMAPIMailUser_AsyncListProviderFetchParameters : public CAsyncListProviderFetchParameters
{
public:
    enum : std::uint32_t
    {
        kResultTypeStrings = 1,
        kResultTypeContactDetails = 2
    };

    std::unique_ptr<CAsyncListProviderFetchParameters> Clone() const override;

    // One of the provider's address books, or null for all of them. Not
    // owned: the provider's list outlives its lookups.
    const COutlookAddressBook* m_AddressList = nullptr;
    // kResultTypeContactDetails asks for contact-detail batches, any other
    // value for text batches.
    std::uint32_t m_ResultType = kResultTypeStrings;
    bool m_IncludeBusinessAndHomeNumbers = false;
    bool m_IncludeEntriesWithoutMobile = false;
    bool m_IncludeDistributionLists = false;
};

class CAsyncListProviderListItemBatch
{
public:
    explicit CAsyncListProviderListItemBatch(std::uint32_t requestId) : m_RequestId(requestId) {}
    virtual ~CAsyncListProviderListItemBatch();

    std::uint32_t m_RequestId;
    // Empty, or the text that tells the user which chosen address book
    // could not be read; such a batch is the last of its lookup.
    std::string m_Error;
};

// Display texts, for the auto-complete list.
class CAsyncListProviderListItemBatch_StringArray : public CAsyncListProviderListItemBatch
{
public:
    using CAsyncListProviderListItemBatch::CAsyncListProviderListItemBatch;

    std::vector<std::string> m_Items;
};

// One found recipient.
class CAsyncListProviderContactDetailsItem
{
public:
    enum : std::uint32_t
    {
        kSourceMAPIAddressBook = 1,
        kSourceOutlookContactFolder = 2
    };

    std::string m_Name;
    // Empty for a distribution list, and for a contact without a mobile
    // number when such entries are asked for.
    std::string m_Number;
    bool m_IsMobile = false;
    bool m_IsDistributionList = false;
    CMAPIEntryId m_EntryId;
    // Set only for entries found in Outlook contact folders.
    CMAPIEntryId m_OutlookEntryId;
    std::uint32_t m_Source = kSourceMAPIAddressBook;
};

// Recipients, for the recipient selector; the batch owns its items.
class CAsyncListProviderListItemBatch_ContactDetails : public CAsyncListProviderListItemBatch
{
public:
    using CAsyncListProviderListItemBatch::CAsyncListProviderListItemBatch;

    std::vector<std::unique_ptr<CAsyncListProviderContactDetailsItem>> m_Items;
};

// Filled by the provider during StartListFetch; the caller owns it and the
// immediate batch in it.
struct CAsyncListProviderFetchResult
{
    // Found at once; merged by the caller unless m_Deferred is set.
    std::unique_ptr<CAsyncListProviderListItemBatch> m_ImmediateBatch;
    // The worker has the lookup and will post further batches.
    bool m_Pending = false;
    // A synchronous search lower on this thread's stack will serve the
    // lookup; this call returns without results.
    bool m_Deferred = false;
};

class IAsyncListProviderCallback
{
public:
    // Takes ownership of the batch from the call on, also when it cannot be
    // delivered (it then deletes it). Any thread; returns at once.
    virtual void PostListItemBatch(CAsyncListProviderListItemBatch* batch) = 0;
    // The window that owns the boxes a lookup of this requester shows: the
    // one whose field or list the lookup fills. User-interface thread only.
    virtual HWND BoxOwner() const = 0;

protected:
    ~IAsyncListProviderCallback() = default;
};

// PostListItemBatch for a requester window: posts the batch pointer as
// lParam (wParam 0); when there is no window or the post fails the batch is
// deleted here.
void PostListItemBatchToWindow(HWND window, UINT message, CAsyncListProviderListItemBatch* batch);
// The requester window's end: takes the batches still queued for it and
// deletes them. Once the provider has stopped, none can follow.
void DeleteQueuedListItemBatches(HWND window, UINT message);

class IAsyncListProvider
{
public:
    // Starts a lookup. params must be set; the provider takes it over when
    // it accepts the lookup and leaves it with the caller when it refuses.
    // callback is kept, not owned, while the lookup is current. A lookup
    // replaces a current one: the requester goes on with its name.
    virtual void StartListFetch(std::unique_ptr<CAsyncListProviderFetchParameters>&& params,
                                CAsyncListProviderFetchResult& result, IAsyncListProviderCallback* callback) = 0;
    virtual bool IsFetchInProgress() = 0;
    // Ends the current lookup: params is null (whatever is current) or the
    // very object handed to StartListFetch. The requester has done with
    // the name it was typing (a choice, Escape, the caret gone), also when
    // no lookup is current any more.
    virtual void CancelAsyncFetch(const CAsyncListProviderFetchParameters* params) = 0;
    // Stops and joins the worker.
    virtual void Stop() = 0;

protected:
    ~IAsyncListProvider() = default;
};

class CACAsyncListProviderBase : public IAsyncListProvider
{
public:
    CACAsyncListProviderBase();
    virtual ~CACAsyncListProviderBase();

    CACAsyncListProviderBase(const CACAsyncListProviderBase&) = delete;
    CACAsyncListProviderBase& operator=(const CACAsyncListProviderBase&) = delete;

    // Busy and not restarting: CGeneralException E_FAIL "...Operation already
    // in progress". A lookup that DoStartListFetch leaves neither pending
    // nor deferred, or that it fails, is dropped again; a newer lookup
    // started meanwhile (by a message pumped during the search) stays.
    void StartListFetch(std::unique_ptr<CAsyncListProviderFetchParameters>&& params,
                        CAsyncListProviderFetchResult& result, IAsyncListProviderCallback* callback) override;
    bool IsFetchInProgress() override;
    // Another lookup than the current one: CGeneralException E_FAIL, and
    // nothing changes. Once it returns, no batch of the ended lookup reaches
    // the callback.
    void CancelAsyncFetch(const CAsyncListProviderFetchParameters* params) override;

    // A private copy of the current lookup (null when none) and its callback.
    void GetCurrentOperation(std::unique_ptr<CAsyncListProviderFetchParameters>& params,
                             IAsyncListProviderCallback*& callback);
    // Whether the private copy is stale: no lookup current while params is
    // set, or a current one with another request id (changed: a newer lookup
    // is waiting).
    bool IsDifferentOperation(const CAsyncListProviderFetchParameters* params, bool& changed);
    bool IsDifferentOperation(const CAsyncListProviderFetchParameters* params);
    // Hands the batch to the current callback when job is still the current
    // lookup, as one step under the lock, so that a requester that has
    // cancelled gets nothing. Otherwise the batch stays with the caller.
    // True when handed on.
    bool PostListItemBatchIfCurrent(const CAsyncListProviderFetchParameters& job,
                                    std::unique_ptr<CAsyncListProviderListItemBatch>& batch);

protected:
    // Serves the stored current lookup, filling result.
    virtual void DoStartListFetch(CAsyncListProviderFetchResult& result) = 0;
    // Drops the current lookup; a derived class adds its own work and calls
    // the base.
    virtual void CleanupAfterOperationFinished() = 0;

    bool m_RestartOnNewFetch;

private:
    // Drops the current lookup only when it is still the given one.
    void CleanupIfCurrent(const CAsyncListProviderFetchParameters* params, std::uint32_t requestId);
    bool IsCurrent(const CAsyncListProviderFetchParameters* params, std::uint32_t requestId) const;

    CMutex m_Mutex;
    std::unique_ptr<CAsyncListProviderFetchParameters> m_CurrentParams;
    IAsyncListProviderCallback* m_CurrentCallback;
};
