// The address-book list provider with 50,000 contacts in an Outlook contact
// folder (the test Outlook) and 50,000 in an address-book container (the
// test MAPI beside the program): how long a typed letter waits for its first
// batch, and how long a message posted to the user-interface thread waits
// while the search runs there.
#include "bench/Bench.h"
#include "bench/BenchAddressBook.h"

#include "contacts/MAPIMailUser_AsyncListProvider.h"
#include "tests/support/TestMessageWindow.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace
{
// The requester: notes when the first batch of its latest lookup arrives,
// immediate or posted, and how late each probe message is dispatched.
class CBenchRequester : public IAsyncListProviderCallback
{
public:
    CBenchRequester()
    {
        m_Window.SetHandler([this](UINT message, WPARAM, LPARAM lParam) {
            if (message == WM_AC_LISTITEMBATCH)
            {
                std::unique_ptr<CAsyncListProviderListItemBatch> batch(
                    reinterpret_cast<CAsyncListProviderListItemBatch*>(lParam));
                FirstBatch(batch->m_RequestId);
            }
            else if (message == kProbe)
            {
                m_LongestProbeWaitMs = std::max(m_LongestProbeWaitMs, ProbeWaitMs(lParam));
            }
        });
    }

    void PostListItemBatch(CAsyncListProviderListItemBatch* batch) override
    {
        PostListItemBatchToWindow(m_Window.Handle(), WM_AC_LISTITEMBATCH, batch);
    }

    // Milliseconds from StartListFetch to the lookup's first batch; with
    // waitForPosted, a batch posted later counts when none came at once.
    double Lookup(IAsyncListProvider& provider, const std::string& text, const COutlookAddressBook* list,
                  bool waitForPosted)
    {
        // What waited for the thread before the keystroke is not the lookup's.
        Pump();
        auto params = std::make_unique<CMAPIMailUser_AsyncListProviderFetchParameters>();
        params->m_SearchText = text;
        params->m_AddressList = list;
        params->m_RequestId = CAsyncListProviderFetchParameters::TakeNextRequestId();
        m_RequestId = params->m_RequestId;
        m_FirstBatchSeen = false;
        m_Start = Now();
        CAsyncListProviderFetchResult result;
        provider.StartListFetch(std::move(params), result, this);
        m_ImmediateBatchMs = Milliseconds(m_Start, Now());
        if (result.m_ImmediateBatch && !result.m_Deferred)
            FirstBatch(result.m_ImmediateBatch->m_RequestId);
        while (waitForPosted && !m_FirstBatchSeen && Milliseconds(m_Start, Now()) < 60000)
        {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            Pump();
        }
        return m_FirstBatchMs;
    }

    void Pump()
    {
        MSG message;
        while (::PeekMessageA(&message, m_Window.Handle(), 0, 0, PM_REMOVE))
            ::DispatchMessageA(&message);
    }

    HWND Window() const { return m_Window.Handle(); }

    double m_LongestProbeWaitMs = 0;
    // From StartListFetch to its return with the folders' batch.
    double m_ImmediateBatchMs = 0;

private:
    void FirstBatch(std::uint32_t requestId)
    {
        if (requestId != m_RequestId || m_FirstBatchSeen)
            return;
        m_FirstBatchSeen = true;
        m_FirstBatchMs = Milliseconds(m_Start, Now());
    }

    CTestMessageWindow m_Window;
    std::uint32_t m_RequestId = 0;
    bool m_FirstBatchSeen = false;
    double m_FirstBatchMs = 0;
    LARGE_INTEGER m_Start = {};
};

const COutlookAddressBook* ListNamed(const CMAPIMailUser_AsyncListProvider& provider, const std::string& name)
{
    for (const auto& list : provider.GetAddressLists())
        if (list->m_Name == name)
            return list.get();
    return nullptr;
}

void AddressBookProvider(CBenchContext& context)
{
    RunOverFilledAddressBook(context, [&](CAddressBook& book, long long runs, const std::string& size) {
        book.m_Outlook.Log().Clear();

        std::vector<double> oneCold, oneWarm, twoCold, twoWarm, containerFirst, folderOnly;
        std::vector<double> oneColdImmediate, twoColdImmediate;
        double longestWait = 0;
        for (long long run = 0; run < runs; ++run)
        {
            CBenchRequester requester;
            {
                CMAPIMailUser_AsyncListProvider provider;
                provider.Initialise(book.m_Outlook.Application(), 16);
                CProbePoster probes(requester.Window());
                // Cold: the provider's cache is empty; Outlook is asked.
                oneCold.push_back(requester.Lookup(provider, "s", nullptr, false));
                oneColdImmediate.push_back(requester.m_ImmediateBatchMs);
                oneWarm.push_back(requester.Lookup(provider, "s", nullptr, false));
                twoWarm.push_back(requester.Lookup(provider, "sa", nullptr, false));
                twoCold.push_back(requester.Lookup(provider, "ma", nullptr, false));
                twoColdImmediate.push_back(requester.m_ImmediateBatchMs);
                folderOnly.push_back(requester.Lookup(provider, "", ListNamed(provider, "Contacts"), false));
                containerFirst.push_back(
                    requester.Lookup(provider, "j", ListNamed(provider, "Global Address List"), true));
                longestWait = std::max(longestWait, requester.m_LongestProbeWaitMs);
                provider.Stop();
            }
            requester.Pump(); // frees the batches still queued
            book.m_Outlook.Log().Clear();
        }
        // Cold, the first batch is the container's first block, handed over
        // by the search's first pump; the folders' batch follows the table.
        const std::string algorithm = "one immediate batch after the whole matching table";
        context.Report("one letter, cold cache, first batch" + size, Median(oneCold), "ms",
                       "target <= 100 ms; the first pump");
        context.Report("one letter, cold cache, folders' batch" + size, Median(oneColdImmediate), "ms", algorithm);
        context.Report("one letter, warm cache" + size, Median(oneWarm), "ms", "target <= 100 ms");
        context.Report("two letters, cold cache, first batch" + size, Median(twoCold), "ms",
                       "target <= 100 ms; the first pump");
        context.Report("two letters, cold cache, folders' batch" + size, Median(twoColdImmediate), "ms", algorithm);
        context.Report("two letters, warm cache" + size, Median(twoWarm), "ms", "target <= 100 ms");
        context.Report("whole contact folder" + size, Median(folderOnly), "ms", "no cache for one address list");
        context.Report("container, first block of 100" + size, Median(containerFirst), "ms", "target <= 100 ms");
        context.Report("longest wait of a posted message", longestWait, "ms",
                       "target <= 66 ms; the search pumps on a 50 ms deadline");
    });
}

const CBenchRegistration g_AddressBookProvider("provider", &AddressBookProvider);
} // namespace
