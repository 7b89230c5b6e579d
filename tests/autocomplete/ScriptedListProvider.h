// A list provider driven by the test: it records each lookup, answers with
// the immediate entries scripted for its text (or leaves the lookup pending),
// and posts later batches when the test says so. Its batches count how many
// of them are alive, so tests can see that every one was deleted.
#pragma once

#include "contacts/AsyncListProvider.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

class CCountedBatch : public CAsyncListProviderListItemBatch_StringArray
{
public:
    CCountedBatch(std::uint32_t requestId, std::vector<std::string> items);
    ~CCountedBatch() override;

    static int s_Alive;
};

// A batch of the kind the recipient selector takes, counted the same way.
class CCountedDetailsBatch : public CAsyncListProviderListItemBatch_ContactDetails
{
public:
    explicit CCountedDetailsBatch(std::uint32_t requestId);
    ~CCountedDetailsBatch() override;
};

class CScriptedListProvider : public IAsyncListProvider
{
public:
    struct Lookup
    {
        std::string text;
        LONG callerValue;
        std::uint32_t requestId;
        // The requester's cancels before the lookup: the name it types ends
        // with each.
        int cancelsBefore;
    };

    void StartListFetch(std::unique_ptr<CAsyncListProviderFetchParameters>&& params,
                        CAsyncListProviderFetchResult& result, IAsyncListProviderCallback* callback) override;
    bool IsFetchInProgress() override { return m_Current != 0; }
    void CancelAsyncFetch(const CAsyncListProviderFetchParameters*) override;
    void Stop() override { ++m_Stops; }

    // Posts a text batch for the current lookup (or the given request).
    void Post(const std::vector<std::string>& items);
    void Post(const std::vector<std::string>& items, std::uint32_t requestId);

    // Entries answered at once, by lookup text; other texts stay pending.
    std::map<std::string, std::vector<std::string>> m_Immediate;
    // Runs inside StartListFetch, as a message pumped by a search would.
    std::function<void()> m_DuringFetch;
    std::vector<Lookup> m_Lookups;
    int m_Cancels = 0;
    int m_Stops = 0;

private:
    std::uint32_t m_Current = 0;
    IAsyncListProviderCallback* m_pCallback = nullptr;
};
