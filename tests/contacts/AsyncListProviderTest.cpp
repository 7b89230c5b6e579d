// The list-provider base through a scripted provider and a message-window
// requester that follows the requester's calling order.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "contacts/AsyncListProvider.h"
#include "core/ErrorReports.h"
#include "tests/support/TestMessageWindow.h"

namespace
{
std::atomic<int> s_BatchesCreated{0};
std::atomic<int> s_BatchesDeleted{0};

class CCountedBatch : public CAsyncListProviderListItemBatch_StringArray
{
public:
    CCountedBatch(std::uint32_t requestId, std::string item) : CAsyncListProviderListItemBatch_StringArray(requestId)
    {
        m_Items.push_back(std::move(item));
        ++s_BatchesCreated;
    }
    ~CCountedBatch() override { ++s_BatchesDeleted; }
};

// DoStartListFetch runs the test's script.
class CScriptedProvider : public CACAsyncListProviderBase
{
public:
    using Script = std::function<void(CScriptedProvider&, CAsyncListProviderFetchResult&)>;

    explicit CScriptedProvider(bool restart) { m_RestartOnNewFetch = restart; }
    void Stop() override {}

    Script m_Script = [](CScriptedProvider&, CAsyncListProviderFetchResult&) {};
    int m_Cleanups = 0;

protected:
    void DoStartListFetch(CAsyncListProviderFetchResult& result) override { m_Script(*this, result); }
    void CleanupAfterOperationFinished() override
    {
        ++m_Cleanups;
        CACAsyncListProviderBase::CleanupAfterOperationFinished();
    }
};

void Pending(CScriptedProvider&, CAsyncListProviderFetchResult& result)
{
    result.m_Pending = true;
}

// Dispatches what waits for the window.
void Pump(HWND window)
{
    MSG message;
    while (::PeekMessageA(&message, window, 0, 0, PM_REMOVE))
        ::DispatchMessageA(&message);
}

// A requester window: keeps the items of batches of its latest lookup,
// counts the others, deletes every batch it receives.
class CRequester : public IAsyncListProviderCallback
{
public:
    explicit CRequester(CACAsyncListProviderBase& provider) : m_Provider(provider)
    {
        m_Window.SetHandler([this](UINT message, WPARAM, LPARAM lParam) {
            if (message == WM_AC_LISTITEMBATCH)
                Merge(std::unique_ptr<CAsyncListProviderListItemBatch>(
                    reinterpret_cast<CAsyncListProviderListItemBatch*>(lParam)));
        });
    }

    void PostListItemBatch(CAsyncListProviderListItemBatch* batch) override
    {
        PostListItemBatchToWindow(m_Window.Handle(), WM_AC_LISTITEMBATCH, batch);
    }
    HWND BoxOwner() const override { return m_Window.Handle(); }

    // Steps 1 to 4 of the calling order; without cancelFirst, two starts in
    // quick succession.
    CAsyncListProviderFetchResult Start(const std::string& text, bool cancelFirst = true)
    {
        if (cancelFirst && m_Provider.IsFetchInProgress())
            m_Provider.CancelAsyncFetch(nullptr);
        auto params = std::make_unique<CAsyncListProviderFetchParameters>();
        params->m_SearchText = text;
        params->m_RequestId = CAsyncListProviderFetchParameters::TakeNextRequestId();
        m_RequestId = params->m_RequestId;
        m_Items.clear();
        CAsyncListProviderFetchResult result;
        m_Provider.StartListFetch(std::move(params), result, this);
        if (result.m_ImmediateBatch && !result.m_Deferred)
            Merge(std::move(result.m_ImmediateBatch));
        return result;
    }

    void Pump() { ::Pump(m_Window.Handle()); }

    HWND Window() const { return m_Window.Handle(); }

    std::vector<std::string> m_Items;
    int m_Stale = 0;

private:
    void Merge(std::unique_ptr<CAsyncListProviderListItemBatch> batch)
    {
        auto* const strings = dynamic_cast<CAsyncListProviderListItemBatch_StringArray*>(batch.get());
        if (!strings || strings->m_RequestId != m_RequestId)
        {
            ++m_Stale;
            return;
        }
        m_Items.insert(m_Items.end(), strings->m_Items.begin(), strings->m_Items.end());
    }

    CACAsyncListProviderBase& m_Provider;
    CTestMessageWindow m_Window;
    std::uint32_t m_RequestId = 0;
};

// The job as the worker sees it: a private clone.
std::unique_ptr<CAsyncListProviderFetchParameters> Job(CACAsyncListProviderBase& provider)
{
    std::unique_ptr<CAsyncListProviderFetchParameters> job;
    IAsyncListProviderCallback* callback = nullptr;
    provider.GetCurrentOperation(job, callback);
    return job;
}

// A batch the provider does not hand on stays here and is deleted here.
bool Post(CACAsyncListProviderBase& provider, const CAsyncListProviderFetchParameters& job, const char* item)
{
    std::unique_ptr<CAsyncListProviderListItemBatch> batch = std::make_unique<CCountedBatch>(job.m_RequestId, item);
    return provider.PostListItemBatchIfCurrent(job, batch);
}

std::string CGeneralDescription(const std::function<void()>& call)
{
    try
    {
        call();
    }
    catch (const CGeneralException& e)
    {
        EXPECT_EQ(E_FAIL, e.GetHResult());
        return e.GetDescription();
    }
    return "no exception";
}

class AsyncListProvider : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DiscardThreadMessages();
        m_Created = s_BatchesCreated;
        m_Deleted = s_BatchesDeleted;
    }
    void TearDown() override
    {
        DiscardThreadMessages();
        EXPECT_EQ(s_BatchesCreated - m_Created, s_BatchesDeleted - m_Deleted) << "every batch is deleted once";
    }

    int m_Created = 0;
    int m_Deleted = 0;
};

TEST_F(AsyncListProvider, ResultKindsDecideWhetherTheLookupStaysCurrent)
{
    struct Case
    {
        const char* name;
        bool immediate;
        bool pending;
        bool deferred;
        bool inProgressAfter;
        std::vector<std::string> merged;
    };
    const Case cases[] = {
        {"immediate", true, false, false, false, {"at once"}},
        {"nothing found", false, false, false, false, {}},
        {"pending", true, true, false, true, {"at once"}},
        {"deferred", true, false, true, true, {}},
    };
    for (const Case& scenario : cases)
    {
        CScriptedProvider provider(true);
        CRequester requester(provider);
        provider.m_Script = [&](CScriptedProvider& self, CAsyncListProviderFetchResult& result) {
            if (scenario.immediate)
                result.m_ImmediateBatch = std::make_unique<CCountedBatch>(Job(self)->m_RequestId, "at once");
            result.m_Pending = scenario.pending;
            result.m_Deferred = scenario.deferred;
        };
        requester.Start("a");
        EXPECT_EQ(scenario.inProgressAfter, provider.IsFetchInProgress()) << scenario.name;
        EXPECT_EQ(scenario.merged, requester.m_Items) << scenario.name;
    }
}

TEST_F(AsyncListProvider, PendingBatchesArriveByMessageAndEndAtTheNextStart)
{
    CScriptedProvider provider(true);
    CRequester requester(provider);
    provider.m_Script = Pending;
    requester.Start("a");
    std::thread worker([&] {
        const auto job = Job(provider);
        Post(provider, *job, "first");
        Post(provider, *job, "second");
    });
    worker.join();
    requester.Pump();
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), requester.m_Items);

    provider.m_Script = [](CScriptedProvider&, CAsyncListProviderFetchResult&) {};
    requester.Start("b");
    EXPECT_EQ(1, provider.m_Cleanups) << "the requester cancelled the finished lookup";
    EXPECT_FALSE(provider.IsFetchInProgress());
}

TEST_F(AsyncListProvider, SecondStartWithoutRestartIsRefused)
{
    CScriptedProvider provider(false);
    CRequester requester(provider);
    provider.m_Script = Pending;
    requester.Start("a");
    const auto first = Job(provider);

    auto second = std::make_unique<CAsyncListProviderFetchParameters>();
    CAsyncListProviderFetchResult result;
    EXPECT_EQ("CACAsyncListProviderBase::StartListFetch - Operation already in progress",
              CGeneralDescription([&] { provider.StartListFetch(std::move(second), result, &requester); }));
    EXPECT_TRUE(second) << "refused parameters stay the caller's";
    EXPECT_FALSE(provider.IsDifferentOperation(first.get())) << "the first lookup is untouched";
    provider.CancelAsyncFetch(nullptr);
}

TEST_F(AsyncListProvider, RestartDropsTheFirstLookupAndItsLateBatches)
{
    CScriptedProvider provider(true);
    CRequester requester(provider);
    provider.m_Script = Pending;
    requester.Start("a");
    const auto first = Job(provider);
    Post(provider, *first, "old but in time");

    requester.Start("b", false);

    bool changed = false;
    EXPECT_TRUE(provider.IsDifferentOperation(first.get(), changed));
    EXPECT_TRUE(changed);
    EXPECT_FALSE(Post(provider, *first, "late")) << "a batch of a replaced lookup is not handed on";
    requester.Pump();
    EXPECT_EQ(1, requester.m_Stale) << "a batch posted before the restart arrives stale";
    EXPECT_TRUE(requester.m_Items.empty());
    provider.CancelAsyncFetch(nullptr);
}

TEST_F(AsyncListProvider, ThrowingLookupLeavesTheProviderIdle)
{
    CScriptedProvider provider(true);
    CRequester requester(provider);
    provider.m_Script = [](CScriptedProvider&, CAsyncListProviderFetchResult&) {
        throw CGeneralException("search failed", E_FAIL);
    };
    EXPECT_EQ("search failed", CGeneralDescription([&] { requester.Start("a"); }));
    EXPECT_FALSE(provider.IsFetchInProgress());
}

TEST_F(AsyncListProvider, CancelChecksWhichLookupItEnds)
{
    CScriptedProvider provider(false);
    CRequester requester(provider);
    EXPECT_NO_THROW(provider.CancelAsyncFetch(nullptr)) << "idle";

    provider.m_Script = Pending;
    auto params = std::make_unique<CAsyncListProviderFetchParameters>();
    const CAsyncListProviderFetchParameters* const current = params.get();
    CAsyncListProviderFetchResult result;
    provider.StartListFetch(std::move(params), result, &requester);

    const CAsyncListProviderFetchParameters other;
    EXPECT_EQ("CACAsyncListProviderBase::CancelAsyncFetch - Operation being cancelled is different to the current one",
              CGeneralDescription([&] { provider.CancelAsyncFetch(&other); }));
    EXPECT_TRUE(provider.IsFetchInProgress());
    provider.CancelAsyncFetch(current);
    EXPECT_FALSE(provider.IsFetchInProgress());
}

TEST_F(AsyncListProvider, StaleCopiesAreToldApart)
{
    CScriptedProvider provider(true);
    CAsyncListProviderFetchParameters copy;
    bool changed = true;
    EXPECT_FALSE(provider.IsDifferentOperation(nullptr, changed));
    EXPECT_FALSE(changed);
    EXPECT_TRUE(provider.IsDifferentOperation(&copy, changed)) << "a copy of a lookup that has ended";
    EXPECT_FALSE(changed);
}

TEST_F(AsyncListProvider, ClonesKeepTheirKindAndRequestId)
{
    CMAPIMailUser_AsyncListProviderFetchParameters params;
    params.m_RequestId = CAsyncListProviderFetchParameters::TakeNextRequestId();
    params.m_ResultType = CMAPIMailUser_AsyncListProviderFetchParameters::kResultTypeContactDetails;
    params.m_IncludeDistributionLists = true;
    const auto clone = params.Clone();
    const auto* const same = dynamic_cast<CMAPIMailUser_AsyncListProviderFetchParameters*>(clone.get());
    ASSERT_NE(nullptr, same);
    EXPECT_EQ(params.m_RequestId, same->m_RequestId);
    EXPECT_EQ(2u, same->m_ResultType);
    EXPECT_TRUE(same->m_IncludeDistributionLists);
    EXPECT_EQ(params.m_RequestId + 1, CAsyncListProviderFetchParameters::TakeNextRequestId());
}

// A message pumped during the search starts a newer lookup; the outer start
// must not drop it when it finishes.
TEST_F(AsyncListProvider, NestedStartKeepsTheNewerLookup)
{
    CScriptedProvider provider(true);
    CRequester requester(provider);
    // The pumped message stands for the user typing again.
    CTestMessageWindow typing;
    typing.SetHandler([&](UINT, WPARAM, LPARAM) { requester.Start("ab"); });
    bool nested = false;
    provider.m_Script = [&](CScriptedProvider&, CAsyncListProviderFetchResult& result) {
        if (nested)
        {
            result.m_Deferred = true;
            return;
        }
        nested = true;
        ::PostMessageA(typing.Handle(), WM_APP, 0, 0);
        Pump(typing.Handle());
    };
    requester.Start("a");
    EXPECT_TRUE(provider.IsFetchInProgress()) << "the deferred lookup \"ab\" stays current";
    EXPECT_EQ("ab", Job(provider)->m_SearchText);
    provider.CancelAsyncFetch(nullptr);
}

// The requester cancels while a worker posts: once the cancel returns, no
// batch reaches the callback; every batch is deleted by someone.
TEST_F(AsyncListProvider, WorkerRacingACancelPostsNothingAfterIt)
{
    struct CWatchingCallback : IAsyncListProviderCallback
    {
        void PostListItemBatch(CAsyncListProviderListItemBatch* batch) override
        {
            if (m_Cancelled)
                ++m_AfterCancel;
            PostListItemBatchToWindow(m_Window.Handle(), WM_AC_LISTITEMBATCH, batch);
        }
        HWND BoxOwner() const override { return m_Window.Handle(); }
        std::atomic<bool> m_Cancelled{false};
        std::atomic<int> m_AfterCancel{0};
        CTestMessageWindow m_Window;
    };
    for (int round = 0; round < 20; ++round)
    {
        CScriptedProvider provider(true);
        CWatchingCallback callback;
        callback.m_Window.SetHandler([](UINT message, WPARAM, LPARAM lParam) {
            if (message == WM_AC_LISTITEMBATCH)
                delete reinterpret_cast<CAsyncListProviderListItemBatch*>(lParam);
        });
        provider.m_Script = Pending;
        auto params = std::make_unique<CAsyncListProviderFetchParameters>();
        CAsyncListProviderFetchResult result;
        provider.StartListFetch(std::move(params), result, &callback);

        std::atomic<bool> started{false};
        std::thread worker([&] {
            const auto job = Job(provider);
            started = true;
            for (int batch = 0; batch < 200 && Post(provider, *job, "item"); ++batch)
            {
            }
        });
        while (!started)
            ::Sleep(0);
        provider.CancelAsyncFetch(nullptr);
        callback.m_Cancelled = true;
        worker.join();
        EXPECT_EQ(0, callback.m_AfterCancel);
        Pump(callback.m_Window.Handle());
    }
}

TEST_F(AsyncListProvider, BatchForADestroyedRequesterIsDeleted)
{
    HWND gone = nullptr;
    {
        CTestMessageWindow window;
        gone = window.Handle();
    }
    const int deleted = s_BatchesDeleted;
    PostListItemBatchToWindow(gone, WM_AC_LISTITEMBATCH, new CCountedBatch(1, "lost"));
    EXPECT_EQ(deleted + 1, s_BatchesDeleted);
}
} // namespace
