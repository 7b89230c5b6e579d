#include "tests/autocomplete/ScriptedListProvider.h"

int CCountedBatch::s_Alive = 0;

CCountedBatch::CCountedBatch(std::uint32_t requestId, std::vector<std::string> items)
    : CAsyncListProviderListItemBatch_StringArray(requestId)
{
    m_Items = std::move(items);
    ++s_Alive;
}

CCountedBatch::~CCountedBatch()
{
    --s_Alive;
}

CCountedDetailsBatch::CCountedDetailsBatch(std::uint32_t requestId)
    : CAsyncListProviderListItemBatch_ContactDetails(requestId)
{
    ++CCountedBatch::s_Alive;
}

CCountedDetailsBatch::~CCountedDetailsBatch()
{
    --CCountedBatch::s_Alive;
}

void CScriptedListProvider::StartListFetch(std::unique_ptr<CAsyncListProviderFetchParameters>&& params,
                                           CAsyncListProviderFetchResult& result,
                                           IAsyncListProviderCallback* callback)
{
    m_Lookups.push_back({params->m_SearchText, params->m_CallerValue, params->m_RequestId, m_Cancels});
    m_pCallback = callback;
    if (m_DuringFetch)
        m_DuringFetch();
    const auto answer = m_Immediate.find(params->m_SearchText);
    if (answer == m_Immediate.end())
    {
        m_Current = params->m_RequestId;
        result.m_Pending = true;
        return;
    }
    m_Current = 0;
    result.m_ImmediateBatch = std::make_unique<CCountedBatch>(params->m_RequestId, answer->second);
}

void CScriptedListProvider::CancelAsyncFetch(const CAsyncListProviderFetchParameters*)
{
    ++m_Cancels;
    m_Current = 0;
}

void CScriptedListProvider::Post(const std::vector<std::string>& items)
{
    Post(items, m_Lookups.empty() ? 0 : m_Lookups.back().requestId);
}

void CScriptedListProvider::Post(const std::vector<std::string>& items, std::uint32_t requestId)
{
    m_pCallback->PostListItemBatch(new CCountedBatch(requestId, items));
}
