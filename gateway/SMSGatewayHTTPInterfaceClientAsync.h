// Keeps the account balance fresh without blocking Outlook: a worker thread
// waits for refresh requests, asks the gateway for the balance and stores
// the answer where the user-interface thread reads it at any time.
//
// The plug-in core owns the one object: SetInterface, Initialise (starts the
// worker), then any number of SetAccessKeys, RequestBalanceRefresh and
// GetLastBalance from the user-interface thread, Uninitialise, destroy. The
// keys, the balance and its valid flag cross between the threads only under
// m_Mutex; the worker never holds it during a request.
//
// Each request runs on a thread of its own that shares nothing with this
// object, so the worker ends as soon as it is told to stop: it aborts the
// request under way (its WinINet handles closed, its "DELAY:" wait ended)
// and leaves. What remains of the request ends by itself, keeping the
// module loaded until then.
#pragma once

#include "core/Mutex.h"
#include "core/ScopedHandle.h"
#include "core/WorkerThread.h"

#include <windows.h>

#include <cstdint>
#include <string>

class SMSGatewayHTTPInterfaceClientAsync : private CWorkerThread
{
public:
    SMSGatewayHTTPInterfaceClientAsync();
    // Stops the worker and waits for it, without limit when the usual wait
    // runs out: the worker uses this object's members until it ends.
    ~SMSGatewayHTTPInterfaceClientAsync() override;

    // Starts the worker thread. After a stop that timed out, a worker that
    // has ended since is joined and a new one started, and one still running
    // is kept on as the worker.
    void Initialise();
    // Asks the worker to stop and waits up to 30000 ms for it; raises
    // _com_error "Could not stop Engine worker thread" when it does not end.
    // Returns at once when no worker runs.
    void Uninitialise();

    // Keys other than the current ones make the balance unknown at once, and
    // a refresh still under way for the old keys stores nothing.
    void SetAccessKeys(const std::string& accessKey, const std::string& secretKey);
    // Set by the owner before Initialise; not locked.
    void SetInterface(std::uint32_t interfaceId);

    // Wakes the worker; never waits for it. Requests made before the worker
    // takes the last one merge into one refresh.
    bool RequestBalanceRefresh();
    // The last balance the gateway gave, and whether it is one: a refused or
    // failed refresh gives 0, not valid.
    std::int32_t GetLastBalance(bool& valid);

private:
    DWORD Run() override;
    // False when the stop came during the refresh.
    bool RefreshBalance();
    void StoreBalance(std::uint32_t generation, std::int32_t balance, bool valid);

    CScopedKernelHandle m_RequestEvent;  // auto reset
    CMutex m_Mutex;
    std::uint32_t m_InterfaceId = 0;
    std::string m_AccessKey;
    std::string m_SecretKey;
    // Counts the changes of keys; a refresh stores its answer only while it
    // is the one it began under.
    std::uint32_t m_KeysGeneration = 0;
    std::int32_t m_LastBalance = 0;
    BYTE m_BalanceValid = 0;
};
