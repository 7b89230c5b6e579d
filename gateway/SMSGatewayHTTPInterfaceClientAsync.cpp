#include "gateway/SMSGatewayHTTPInterfaceClientAsync.h"

#include "core/ErrorReports.h"
#include "core/Exceptions.h"
#include "gateway/SMSGatewayHTTPInterfaceClient.h"

#include <comdef.h>

#include <exception>

namespace
{
const char* const kRunFunction = "SMSGatewayHTTPInterfaceClientAsync::Run";

CMutexLock LockOf(CMutex& mutex)
{
    return CMutexLock(&mutex, nullptr, "", -1, false);
}
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
    Start();
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
            RefreshBalance();
        else if (result == WAIT_FAILED)
            return 1;  // the handles are gone: no later wait can succeed
    }
}

// One failed refresh must not end the worker: it is reported, the balance
// becomes invalid, and later requests are served as before.
void SMSGatewayHTTPInterfaceClientAsync::RefreshBalance()
{
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
        CSMSGatewayHTTPInterfaceClient client;
        InitialiseSMSGatewayHTTPInterfaceClient(client);
        SMSGatewayResultCode status = UNKNOWN;
        // No options: failover allowed, WinINet's own time-outs.
        const std::int32_t balance = client.GetBalance(nullptr, accessKey, secretKey, status);
        if (status == OK)
            StoreBalance(generation, balance, true);
        else
            StoreBalance(generation, 0, false);
        return;
    }
    catch (const _com_error& e)
    {
        ReportCOMException(e, kRunFunction);
    }
    catch (const CGeneralException& e)
    {
        ReportGeneralException(e, kRunFunction);
    }
    catch (const std::exception& e)
    {
        ReportStandardException(e, kRunFunction);
    }
    catch (...)
    {
        ReportUnrecognisedException(kRunFunction);
    }
    StoreBalance(generation, 0, false);
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
