#include "contacts/AsyncListProvider.h"

#include <atomic>

#include "core/Exceptions.h"
#include "core/TraceLogging.h"

namespace
{
std::atomic<std::uint32_t> s_NextRequestId{1};

void Trace(const wchar_t* operation, const wchar_t* message)
{
    if (g_pTraceLogger)
        g_pTraceLogger->Trace(1, L"ContactsFetch", operation, message);
}

// "Entry" now, "Exit" when the operation leaves, also by an exception.
class CEntryExitTrace
{
public:
    explicit CEntryExitTrace(const wchar_t* operation) : m_Operation(operation) { Trace(m_Operation, L"Entry"); }
    ~CEntryExitTrace() { Trace(m_Operation, L"Exit"); }

    CEntryExitTrace(const CEntryExitTrace&) = delete;
    CEntryExitTrace& operator=(const CEntryExitTrace&) = delete;

private:
    const wchar_t* m_Operation;
};

class CLock
{
public:
    explicit CLock(CMutex& mutex) : m_Lock(&mutex, nullptr, "", -1, false) {}

private:
    CMutexLock m_Lock;
};
} // namespace

CAsyncListProviderFetchParameters::CAsyncListProviderFetchParameters() : m_CallerValue(-1), m_RequestId(0) {}

CAsyncListProviderFetchParameters::~CAsyncListProviderFetchParameters() = default;

std::unique_ptr<CAsyncListProviderFetchParameters> CAsyncListProviderFetchParameters::Clone() const
{
    return std::make_unique<CAsyncListProviderFetchParameters>(*this);
}

std::uint32_t CAsyncListProviderFetchParameters::TakeNextRequestId()
{
    return s_NextRequestId++;
}

std::unique_ptr<CAsyncListProviderFetchParameters> CMAPIMailUser_AsyncListProviderFetchParameters::Clone() const
{
    return std::make_unique<CMAPIMailUser_AsyncListProviderFetchParameters>(*this);
}

CAsyncListProviderListItemBatch::~CAsyncListProviderListItemBatch() = default;

void PostListItemBatchToWindow(HWND window, UINT message, CAsyncListProviderListItemBatch* batch)
{
    // No window would post to the calling thread's own queue, where no one
    // takes the batch.
    if (!window || !::PostMessageA(window, message, 0, reinterpret_cast<LPARAM>(batch)))
        delete batch;
}

void DeleteQueuedListItemBatches(HWND window, UINT message)
{
    MSG queued;
    while (::PeekMessageA(&queued, window, message, message, PM_REMOVE))
        delete reinterpret_cast<CAsyncListProviderListItemBatch*>(queued.lParam);
}

CACAsyncListProviderBase::CACAsyncListProviderBase() : m_RestartOnNewFetch(false), m_CurrentCallback(nullptr) {}

CACAsyncListProviderBase::~CACAsyncListProviderBase() = default;

void CACAsyncListProviderBase::StartListFetch(std::unique_ptr<CAsyncListProviderFetchParameters>&& params,
                                              CAsyncListProviderFetchResult& result,
                                              IAsyncListProviderCallback* callback)
{
    const wchar_t* const operation = L"CACAsyncListProviderBase::StartListFetch";
    CEntryExitTrace trace(operation);
    if (!params)
        throw CGeneralException("CACAsyncListProviderBase::StartListFetch - No fetch parameters", E_POINTER);
    const CAsyncListProviderFetchParameters* const started = params.get();
    const std::uint32_t requestId = params->m_RequestId;
    {
        CLock lock(m_Mutex);
        if (m_CurrentParams)
        {
            if (!m_RestartOnNewFetch)
                throw CGeneralException("CACAsyncListProviderBase::StartListFetch - Operation already in progress",
                                        E_FAIL);
            Trace(operation, L"Calling CleanupAfterOperationFinished before call to DoStartListFetch");
            CACAsyncListProviderBase::CleanupAfterOperationFinished();
        }
        m_CurrentCallback = callback;
        m_CurrentParams = std::move(params);
    }

    try
    {
        DoStartListFetch(result);
    }
    catch (...)
    {
        Trace(operation, L"Calling CleanupAfterOperationFinished after exception");
        CleanupIfCurrent(started, requestId);
        throw;
    }
    if (!result.m_Pending && !result.m_Deferred)
    {
        Trace(operation, L"Calling CleanupAfterOperationFinished after call to DoStartListFetch");
        CleanupIfCurrent(started, requestId);
    }
}

bool CACAsyncListProviderBase::IsFetchInProgress()
{
    CEntryExitTrace trace(L"CACAsyncListProviderBase::IsFetchInProgress");
    CLock lock(m_Mutex);
    return m_CurrentParams != nullptr;
}

void CACAsyncListProviderBase::CancelAsyncFetch(const CAsyncListProviderFetchParameters* params)
{
    const wchar_t* const operation = L"CACAsyncListProviderBase::CancelAsyncFetch";
    CEntryExitTrace trace(operation);
    {
        CLock lock(m_Mutex);
        if (m_CurrentParams && params && params != m_CurrentParams.get())
            throw CGeneralException(
                "CACAsyncListProviderBase::CancelAsyncFetch - Operation being cancelled is different to the current one",
                E_FAIL);
    }
    CleanupAfterOperationFinished();
    Trace(operation, L"Calling CleanupAfterOperationFinished");
    CACAsyncListProviderBase::CleanupAfterOperationFinished();
}

void CACAsyncListProviderBase::CleanupAfterOperationFinished()
{
    CEntryExitTrace trace(L"CACAsyncListProviderBase::CleanupAfterOperationFinished");
    CLock lock(m_Mutex);
    m_CurrentParams.reset();
    m_CurrentCallback = nullptr;
}

void CACAsyncListProviderBase::GetCurrentOperation(std::unique_ptr<CAsyncListProviderFetchParameters>& params,
                                                   IAsyncListProviderCallback*& callback)
{
    CEntryExitTrace trace(L"CACAsyncListProviderBase::GetCurrentOperation");
    CLock lock(m_Mutex);
    params = m_CurrentParams ? m_CurrentParams->Clone() : nullptr;
    callback = m_CurrentCallback;
}

bool CACAsyncListProviderBase::IsDifferentOperation(const CAsyncListProviderFetchParameters* params, bool& changed)
{
    CEntryExitTrace trace(L"CACAsyncListProviderBase::IsDifferentOperation");
    CLock lock(m_Mutex);
    changed = false;
    if (!m_CurrentParams)
        return params != nullptr;
    if (params && params->m_RequestId != m_CurrentParams->m_RequestId)
    {
        changed = true;
        return true;
    }
    return false;
}

bool CACAsyncListProviderBase::IsDifferentOperation(const CAsyncListProviderFetchParameters* params)
{
    bool changed = false;
    return IsDifferentOperation(params, changed);
}

bool CACAsyncListProviderBase::PostListItemBatchIfCurrent(const CAsyncListProviderFetchParameters& job,
                                                          std::unique_ptr<CAsyncListProviderListItemBatch>& batch)
{
    CEntryExitTrace trace(L"CACAsyncListProviderBase::PostListItemBatchIfCurrent");
    CLock lock(m_Mutex);
    if (!m_CurrentParams || !m_CurrentCallback || m_CurrentParams->m_RequestId != job.m_RequestId)
        return false;
    m_CurrentCallback->PostListItemBatch(batch.release());
    return true;
}

// Compared by address and request id: the address alone may be reused by a
// newer lookup once this one has been deleted.
bool CACAsyncListProviderBase::IsCurrent(const CAsyncListProviderFetchParameters* params,
                                         std::uint32_t requestId) const
{
    return m_CurrentParams.get() == params && m_CurrentParams && m_CurrentParams->m_RequestId == requestId;
}

void CACAsyncListProviderBase::CleanupIfCurrent(const CAsyncListProviderFetchParameters* params,
                                                std::uint32_t requestId)
{
    CLock lock(m_Mutex);
    if (IsCurrent(params, requestId))
        CACAsyncListProviderBase::CleanupAfterOperationFinished();
}
