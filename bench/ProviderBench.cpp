// The address-book list provider with 50,000 contacts in an Outlook contact
// folder (the test Outlook) and 50,000 in an address-book container (the
// test MAPI beside the program): how long a typed letter waits for its first
// batch and for the folder's matches, and how long a message posted to the
// user-interface thread waits while the search runs there.
#include "bench/Bench.h"
#include "bench/BenchAddressBook.h"

#include "contacts/MAPIMailUser_AsyncListProvider.h"
#include "tests/support/TestMessageWindow.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
// Batches handed over on the requester's own thread: the folder's.
constexpr UINT kFolderBatch = WM_USER + 91;

// What one lookup took, from StartListFetch on.
struct CLookupTimes
{
    // The first batch, the folder's or the container's.
    CSpan m_FirstBatch;
    // The folder's first batch.
    CSpan m_FolderFirst;
    // StartListFetch's return: the folder's matches all handed over.
    CSpan m_FolderComplete;
};

// The requester: notes when the batches of its latest lookup arrive,
// immediate or posted, and how late each probe message is dispatched.
class CBenchRequester : public IAsyncListProviderCallback
{
public:
    CBenchRequester() : m_ThreadId(::GetCurrentThreadId())
    {
        m_Window.SetHandler([this](UINT message, WPARAM wParam, LPARAM lParam) {
            if (message == WM_AC_LISTITEMBATCH || message == kFolderBatch)
            {
                std::unique_ptr<CAsyncListProviderListItemBatch> batch(
                    reinterpret_cast<CAsyncListProviderListItemBatch*>(lParam));
                m_LastBatchAt = Now();
                Arrived(batch->m_RequestId, message == kFolderBatch);
            }
            else if (message == kProbe)
            {
                m_LongestProbeWait = Longest(m_LongestProbeWait, ProbeWait(wParam, lParam));
            }
        });
    }

    void PostListItemBatch(CAsyncListProviderListItemBatch* batch) override
    {
        const bool folder = ::GetCurrentThreadId() == m_ThreadId;
        PostListItemBatchToWindow(m_Window.Handle(), folder ? kFolderBatch : WM_AC_LISTITEMBATCH, batch);
    }
    HWND BoxOwner() const override { return m_Window.Handle(); }

    // With waitForPosted, waits for a batch posted later when none came
    // during StartListFetch.
    CLookupTimes Lookup(IAsyncListProvider& provider, const std::string& text, const COutlookAddressBook* list,
                        bool waitForPosted)
    {
        // What waited for the thread before the keystroke is not the lookup's.
        Pump();
        auto params = std::make_unique<CMAPIMailUser_AsyncListProviderFetchParameters>();
        params->m_SearchText = text;
        params->m_AddressList = list;
        params->m_RequestId = CAsyncListProviderFetchParameters::TakeNextRequestId();
        m_RequestId = params->m_RequestId;
        m_FirstSeen = false;
        m_FolderSeen = false;
        m_Times = CLookupTimes();
        m_Start = CMark::Now();
        CAsyncListProviderFetchResult result;
        provider.StartListFetch(std::move(params), result, this);
        m_Times.m_FolderComplete = Between(m_Start, CMark::Now());
        if (result.m_ImmediateBatch && !result.m_Deferred)
            Arrived(result.m_ImmediateBatch->m_RequestId, true);
        while (waitForPosted && !m_FirstSeen && Milliseconds(m_Start.m_At, Now()) < 60000)
        {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            Pump();
        }
        if (waitForPosted && !m_FirstSeen)
            throw std::runtime_error("no batch came within 60 s of the lookup of \"" + text + "\"");
        return m_Times;
    }

    // What is queued, for 50 ms at most: the probes never stop coming.
    void Pump()
    {
        const LARGE_INTEGER start = Now();
        MSG message;
        while (Milliseconds(start, Now()) < 50 && ::PeekMessageA(&message, m_Window.Handle(), 0, 0, PM_REMOVE))
            ::DispatchMessageA(&message);
    }

    // Everything queued; once the probes have stopped, the queue ends.
    void Drain()
    {
        MSG message;
        while (::PeekMessageA(&message, m_Window.Handle(), 0, 0, PM_REMOVE))
            ::DispatchMessageA(&message);
    }

    // Until the worker has posted nothing for a while: its reading is over.
    void WaitForQuiet()
    {
        const LARGE_INTEGER start = Now();
        m_LastBatchAt = Now();
        while (Milliseconds(m_LastBatchAt, Now()) < 300)
        {
            if (Milliseconds(start, Now()) >= 60000)
                throw std::runtime_error("the worker was still posting 60 s after the last lookup");
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            Pump();
        }
    }

    HWND Window() const { return m_Window.Handle(); }

    CSpan m_LongestProbeWait;

private:
    void Arrived(std::uint32_t requestId, bool folder)
    {
        if (requestId != m_RequestId)
            return;
        const CSpan now = Between(m_Start, CMark::Now());
        if (!m_FirstSeen)
            m_Times.m_FirstBatch = now;
        if (folder && !m_FolderSeen)
            m_Times.m_FolderFirst = now;
        m_FirstSeen = true;
        m_FolderSeen = m_FolderSeen || folder;
    }

    const DWORD m_ThreadId;
    CTestMessageWindow m_Window;
    std::uint32_t m_RequestId = 0;
    bool m_FirstSeen = false;
    bool m_FolderSeen = false;
    CLookupTimes m_Times;
    CMark m_Start = {};
    LARGE_INTEGER m_LastBatchAt = {};
};

const COutlookAddressBook* ListNamed(const CMAPIMailUser_AsyncListProvider& provider, const std::string& name)
{
    for (const auto& list : provider.GetAddressLists())
        if (list->m_Name == name)
            return list.get();
    return nullptr;
}

// The lookups' figures across the runs.
struct CRuns
{
    std::vector<CSpan> m_First;
    std::vector<CSpan> m_FolderFirst;
    std::vector<CSpan> m_FolderComplete;

    void Add(const CLookupTimes& times)
    {
        m_First.push_back(times.m_FirstBatch);
        m_FolderFirst.push_back(times.m_FolderFirst);
        m_FolderComplete.push_back(times.m_FolderComplete);
    }
};

// One lookup, timed and told at once.
void LookupStep(CBenchContext& context, const std::string& step, CBenchRequester& requester,
                IAsyncListProvider& provider, const std::string& text, const COutlookAddressBook* list,
                bool waitForPosted, CRuns& runs)
{
    context.Doing(step);
    const CLookupTimes times = requester.Lookup(provider, text, list, waitForPosted);
    runs.Add(times);
    context.Done("first batch " + Ms(times.m_FirstBatch) + ", folder's first " + Ms(times.m_FolderFirst) +
                 ", folder's complete " + Ms(times.m_FolderComplete));
}

void AddressBookProvider(CBenchContext& context)
{
    RunOverFilledAddressBook(context, [&](CAddressBook& book, long long runs, const std::string& size) {
        book.m_Outlook.Log().Clear();

        CRuns oneCold, oneWarm, oneWarmQuiet, twoCold, twoWarm, folderOnly, containerOnly;
        CSpan longestWait;
        for (long long run = 0; run < runs; ++run)
        {
            context.Doing(RunStep(run, runs, "starting"));
            CBenchRequester requester;
            {
                CMAPIMailUser_AsyncListProvider provider;
                provider.Initialise(book.m_Outlook.Application(), 16);
                CProbePoster probes(requester.Window());
                const auto step = [&](const std::string& what, const std::string& text,
                                      const COutlookAddressBook* list, bool waitForPosted, CRuns& into) {
                    LookupStep(context, RunStep(run, runs, what), requester, provider, text, list, waitForPosted,
                               into);
                };
                // Cold: the provider's cache is empty; Outlook is asked.
                step("\"s\", cold", "s", nullptr, false, oneCold);
                step("\"s\", warm", "s", nullptr, false, oneWarm);
                step("\"sa\", warm", "sa", nullptr, false, twoWarm);
                step("\"ma\", cold", "ma", nullptr, false, twoCold);
                step("the contact folder", "", ListNamed(provider, "Contacts"), false, folderOnly);
                step("\"j\" in the container", "j", ListNamed(provider, "Global Address List"), true, containerOnly);
                // The cached filter alone, with no container read beside it.
                context.Doing(RunStep(run, runs, "waiting for the worker to end its reading"));
                requester.WaitForQuiet();
                step("\"s\", warm, worker idle", "s", nullptr, false, oneWarmQuiet);
                longestWait = Longest(longestWait, requester.m_LongestProbeWait);
                context.Doing(RunStep(run, runs, "stopping the provider"));
                provider.Stop();
            }
            requester.Drain(); // frees the batches still queued
            book.m_Outlook.Log().Clear();
        }
        ReportSpan(context, "one letter, cold cache, first batch" + size, Median(oneCold.m_First),
                   "target <= 100 ms; the first pump");
        ReportSpan(context, "one letter, cold cache, folder's first matches" + size, Median(oneCold.m_FolderFirst),
                   "target <= 100 ms");
        ReportSpan(context, "one letter, cold cache, folder's matches complete" + size,
                   Median(oneCold.m_FolderComplete), "target <= 300 ms");
        ReportSpan(context, "one letter, warm cache" + size, Median(oneWarm.m_FolderComplete),
                   "target <= 20 ms; the worker still reading the container for the cold lookup");
        ReportSpan(context, "one letter, warm cache, worker idle" + size, Median(oneWarmQuiet.m_FolderComplete),
                   "target <= 20 ms");
        ReportSpan(context, "two letters, cold cache, first batch" + size, Median(twoCold.m_First),
                   "target <= 100 ms; the first pump");
        ReportSpan(context, "two letters, cold cache, folder's first matches" + size, Median(twoCold.m_FolderFirst),
                   "target <= 100 ms");
        ReportSpan(context, "two letters, cold cache, folder's matches complete" + size,
                   Median(twoCold.m_FolderComplete), "");
        ReportSpan(context, "two letters, warm cache" + size, Median(twoWarm.m_FolderComplete), "target <= 20 ms");
        ReportSpan(context, "whole contact folder, first matches" + size, Median(folderOnly.m_FolderFirst),
                   "no cache for one address list");
        ReportSpan(context, "whole contact folder, complete" + size, Median(folderOnly.m_FolderComplete), "");
        ReportSpan(context, "container, first block of 100" + size, Median(containerOnly.m_First), "target <= 100 ms");
        ReportSpan(context, "longest wait of a posted message", longestWait,
                   "target <= 66 ms; the search pumps on a 50 ms deadline");
    });
}

const CBenchRegistration g_AddressBookProvider("provider", &AddressBookProvider);
} // namespace
