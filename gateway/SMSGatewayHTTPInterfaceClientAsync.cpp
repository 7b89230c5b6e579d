#include "gateway/SMSGatewayHTTPInterfaceClientAsync.h"

#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "gateway/SMSGatewayHTTPInterfaceClient.h"

#include <comdef.h>

#include <atomic>
#include <memory>

namespace
{
const char* const kRunFunction = "SMSGatewayHTTPInterfaceClientAsync::Run";

CMutexLock LockOf(CMutex& mutex)
{
    return CMutexLock(&mutex, nullptr, "", -1, false);
}

// One balance request on a module thread of its own. That thread holds this
// object (a counted reference) and reaches nothing else, so the worker may
// leave it behind when told to stop; under Wine a blocked WinINet call does
// not return when its handle is closed, only when the server answers or
// WinINet gives up.
class CBalanceRequest
{
public:
    // Raises _com_error E_FAIL "Could not create worker thread" when no
    // thread starts.
    static std::shared_ptr<CBalanceRequest> Start(const std::string& accessKey, const std::string& secretKey)
    {
        std::shared_ptr<CBalanceRequest> request(new CBalanceRequest(accessKey, secretKey));
        auto held = std::make_unique<std::shared_ptr<CBalanceRequest>>(request);
        const CScopedKernelHandle thread(CreateModuleThread(&CBalanceRequest::ThreadProc, held.get()));
        if (!thread)
            ThrowCOMError(E_FAIL, L"Could not create worker thread");
        held.release();
        return request;
    }

    // Signalled once the request has ended, aborted or not.
    HANDLE Done() const { return m_Done.get(); }
    // After Done: whether the gateway gave a balance, and the balance.
    bool Succeeded(std::int32_t& balance) const
    {
        balance = m_Balance;
        return m_Status == OK;
    }
    // From the worker: ends the exchange under way, or keeps it from
    // starting (the client's Abort is the one call another thread may make).
    void Abort()
    {
        m_Aborted = true;
        m_Client.Abort();
    }

private:
    CBalanceRequest(const std::string& accessKey, const std::string& secretKey)
        : m_AccessKey(accessKey), m_SecretKey(secretKey), m_Done(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }

    static DWORD WINAPI ThreadProc(LPVOID parameter)
    {
        const std::unique_ptr<std::shared_ptr<CBalanceRequest>> held(
            static_cast<std::shared_ptr<CBalanceRequest>*>(parameter));
        (*held)->Run();
        return 0;
    }

    // A failure is reported unless the request was aborted; either way the
    // balance is not one.
    void Run()
    {
        try
        {
            InitialiseSMSGatewayHTTPInterfaceClient(m_Client);
            SMSGatewayResultCode status = UNKNOWN;
            // No options: failover allowed, WinINet's own time-outs.
            m_Balance = m_Client.GetBalance(nullptr, m_AccessKey, m_SecretKey, status);
            m_Status = status;
        }
        catch (...)
        {
            if (!m_Aborted)
                ReportCurrentException(kRunFunction);
        }
        ::SetEvent(m_Done.get());
    }

    const std::string m_AccessKey;
    const std::string m_SecretKey;
    const CScopedKernelHandle m_Done;  // manual reset
    CSMSGatewayHTTPInterfaceClient m_Client;
    std::atomic<bool> m_Aborted{false};
    // Written by the request's thread before Done, read after it.
    SMSGatewayResultCode m_Status = UNKNOWN;
    std::int32_t m_Balance = 0;
};
} // namespace

SMSGatewayHTTPInterfaceClientAsync::SMSGatewayHTTPInterfaceClientAsync() : CWorkerThread(true)
{
    m_RequestEvent.reset(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
}

SMSGatewayHTTPInterfaceClientAsync::~SMSGatewayHTTPInterfaceClientAsync()
{
    try
    {
        Uninitialise();
    }
    catch (...)
    {
        // Only the join can fail here: report it and wait for the end.
        try
        {
            ReportError(EVENTLOG_ERROR_TYPE, "SMSGatewayHTTPInterfaceClientAsync::~SMSGatewayHTTPInterfaceClientAsync",
                        "Could not stop Engine worker thread");
        }
        catch (...)
        {
        }
        ::WaitForSingleObject(m_Thread.get(), INFINITE);
    }
}

void SMSGatewayHTTPInterfaceClientAsync::Initialise()
{
    StartOrResume();
}

void SMSGatewayHTTPInterfaceClientAsync::Uninitialise()
{
    RequestStop();
    WaitForThreadToFinish(true);
}

// Other keys are another account (or none): the balance held is not its
// balance, and a refresh under way for the old keys must not store one.
void SMSGatewayHTTPInterfaceClientAsync::SetAccessKeys(const std::string& accessKey, const std::string& secretKey)
{
    CMutexLock lock = LockOf(m_Mutex);
    if (accessKey == m_AccessKey && secretKey == m_SecretKey)
        return;
    m_AccessKey = accessKey;
    m_SecretKey = secretKey;
    ++m_KeysGeneration;
    m_LastBalance = 0;
    m_BalanceValid = 0;
}

void SMSGatewayHTTPInterfaceClientAsync::SetInterface(std::uint32_t interfaceId)
{
    m_InterfaceId = interfaceId;
}

bool SMSGatewayHTTPInterfaceClientAsync::RequestBalanceRefresh()
{
    ::SetEvent(m_RequestEvent.get());
    return true;
}

std::int32_t SMSGatewayHTTPInterfaceClientAsync::GetLastBalance(bool& valid)
{
    CMutexLock lock = LockOf(m_Mutex);
    valid = m_BalanceValid != 0;
    return m_LastBalance;
}

DWORD SMSGatewayHTTPInterfaceClientAsync::Run()
{
    // A request and a stop signalled together: the request is served first.
    const HANDLE handles[2] = {m_RequestEvent.get(), m_StopEvent.get()};
    for (;;)
    {
        const DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0 + 1)
            return 0;
        if (result == WAIT_OBJECT_0)
        {
            if (!RefreshBalance())
                return 0;
        }
        else if (result == WAIT_FAILED)
            return 1;  // the handles are gone: no later wait can succeed
    }
}

// One failed refresh must not end the worker: it is reported, the balance
// becomes invalid, and later requests are served as before. A stop ends the
// wait for the request, which is aborted and left to end by itself; the
// balance then stays as it was.
bool SMSGatewayHTTPInterfaceClientAsync::RefreshBalance()
{
    std::int32_t balance = 0;
    bool valid = false;
    std::uint32_t generation = 0;
    try
    {
        std::string accessKey;
        std::string secretKey;
        {
            CMutexLock lock = LockOf(m_Mutex);
            accessKey = m_AccessKey;
            secretKey = m_SecretKey;
            generation = m_KeysGeneration;
        }
        const std::shared_ptr<CBalanceRequest> request = CBalanceRequest::Start(accessKey, secretKey);
        const HANDLE handles[2] = {request->Done(), m_StopEvent.get()};
        if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0)
        {
            request->Abort();
            return false;
        }
        valid = request->Succeeded(balance);
    }
    catch (...)
    {
        ReportCurrentException(kRunFunction);
    }
    StoreBalance(generation, valid ? balance : 0, valid);
    return true;
}

// An answer for keys that have changed since the request is dropped.
void SMSGatewayHTTPInterfaceClientAsync::StoreBalance(std::uint32_t generation, std::int32_t balance, bool valid)
{
    CMutexLock lock = LockOf(m_Mutex);
    if (generation != m_KeysGeneration)
        return;
    m_LastBalance = balance;
    m_BalanceValid = valid ? 1 : 0;
}
