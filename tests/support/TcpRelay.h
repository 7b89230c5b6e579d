// A loopback TCP relay that tests can switch off: it listens on a free port
// of 127.0.0.1 and ::1 and forwards each connection, byte for byte, to a
// port of 127.0.0.1. TLS passes through untouched, so a client that talks
// HTTPS to "localhost:<relay port>" reaches the server behind it.
//
// While the relay is unreachable, every open connection is cut and every new
// one is reset as soon as it arrives: to the client the server is gone (a
// WinINet request fails with a Win32 error). Switching back restores
// forwarding for new connections.
//
// Each connection is served by a thread of its own; the destructor cuts them
// all and joins every thread. Every failure to set the relay up throws
// std::runtime_error.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CTcpRelay
{
public:
    explicit CTcpRelay(unsigned short targetPort);
    ~CTcpRelay();

    CTcpRelay(const CTcpRelay&) = delete;
    CTcpRelay& operator=(const CTcpRelay&) = delete;

    unsigned short Port() const { return m_Port; }
    // Switching off returns once every open connection is cut.
    void SetReachable(bool reachable);
    bool IsReachable() const { return m_Reachable.load(); }
    // Connections accepted so far, refused ones included.
    long Connections() const { return m_Connections.load(); }

private:
    struct CListener;
    void AcceptLoop();
    void Forward(std::uintptr_t client, unsigned long generation);

    unsigned short m_TargetPort;
    unsigned short m_Port = 0;
    std::vector<std::uintptr_t> m_Listeners;  // SOCKETs
    std::atomic<bool> m_Stopping{false};
    std::atomic<bool> m_Reachable{true};
    // Raised each time the relay becomes unreachable: connections of an older
    // generation end.
    std::atomic<unsigned long> m_Generation{0};
    std::atomic<long> m_Connections{0};
    std::atomic<long> m_ActiveForwarders{0};
    std::mutex m_ThreadsLock;
    std::vector<std::thread> m_Threads;
    std::thread m_AcceptThread;
};
