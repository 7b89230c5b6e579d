// Winsock before anything that brings in windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "tests/support/TcpRelay.h"

#include <stdexcept>
#include <string>

namespace
{
const long kPollMicroseconds = 50000;

void CloseAbortively(SOCKET socket)
{
    if (socket == INVALID_SOCKET)
        return;
    linger reset = {1, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof(reset));
    ::closesocket(socket);
}

// Waits up to one poll period for any of the sockets to become readable.
int WaitReadable(const SOCKET* sockets, int count, fd_set& readable)
{
    FD_ZERO(&readable);
    for (int i = 0; i < count; ++i)
        FD_SET(sockets[i], &readable);
    timeval timeout = {0, kPollMicroseconds};
    return ::select(0, &readable, nullptr, nullptr, &timeout);
}

bool SendAll(SOCKET socket, const char* data, int size)
{
    while (size > 0)
    {
        const int sent = ::send(socket, data, size, 0);
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

SOCKET ConnectToTarget(unsigned short port)
{
    SOCKET target = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (target == INVALID_SOCKET)
        return INVALID_SOCKET;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(port);
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (::connect(target, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0)
    {
        CloseAbortively(target);
        return INVALID_SOCKET;
    }
    return target;
}

SOCKET Listen(int family, unsigned short port)
{
    SOCKET listener = ::socket(family, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        return INVALID_SOCKET;
    sockaddr_storage storage = {};
    int size = 0;
    if (family == AF_INET)
    {
        auto* address = reinterpret_cast<sockaddr_in*>(&storage);
        address->sin_family = AF_INET;
        address->sin_port = ::htons(port);
        address->sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        size = sizeof(sockaddr_in);
    }
    else
    {
        auto* address = reinterpret_cast<sockaddr_in6*>(&storage);
        address->sin6_family = AF_INET6;
        address->sin6_port = ::htons(port);
        address->sin6_addr = in6addr_loopback;
        size = sizeof(sockaddr_in6);
    }
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&storage), size) != 0 || ::listen(listener, 64) != 0)
    {
        ::closesocket(listener);
        return INVALID_SOCKET;
    }
    return listener;
}

unsigned short LocalPort(SOCKET socket)
{
    sockaddr_in address = {};
    int size = sizeof(address);
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ::ntohs(address.sin_port);
}
} // namespace

CTcpRelay::CTcpRelay(unsigned short targetPort) : m_TargetPort(targetPort)
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        throw std::runtime_error("relay: WSAStartup failed");
    const SOCKET first = Listen(AF_INET, 0);
    if (first == INVALID_SOCKET)
    {
        ::WSACleanup();
        throw std::runtime_error("relay: cannot listen on 127.0.0.1");
    }
    m_Port = LocalPort(first);
    m_Listeners.push_back(first);
    // "localhost" may name ::1 first; listen there too when it can.
    const SOCKET second = Listen(AF_INET6, m_Port);
    if (second != INVALID_SOCKET)
        m_Listeners.push_back(second);
    m_AcceptThread = std::thread([this] { AcceptLoop(); });
}

CTcpRelay::~CTcpRelay()
{
    m_Stopping = true;
    m_AcceptThread.join();
    {
        std::lock_guard<std::mutex> lock(m_ThreadsLock);
        for (std::thread& thread : m_Threads)
            thread.join();
    }
    for (const std::uintptr_t listener : m_Listeners)
        ::closesocket(static_cast<SOCKET>(listener));
    ::WSACleanup();
}

void CTcpRelay::SetReachable(bool reachable)
{
    m_Reachable = reachable;
    if (reachable)
        return;
    ++m_Generation;
    // New connections are refused from here on, so every forwarder left is
    // one of the connections being cut.
    const DWORD start = ::GetTickCount();
    while (m_ActiveForwarders.load() > 0 && ::GetTickCount() - start < 10000)
        ::Sleep(5);
}

void CTcpRelay::AcceptLoop()
{
    std::vector<SOCKET> listeners;
    for (const std::uintptr_t listener : m_Listeners)
        listeners.push_back(static_cast<SOCKET>(listener));
    while (!m_Stopping)
    {
        fd_set readable;
        if (WaitReadable(listeners.data(), static_cast<int>(listeners.size()), readable) <= 0)
            continue;
        for (const SOCKET listener : listeners)
        {
            if (!FD_ISSET(listener, &readable))
                continue;
            const SOCKET client = ::accept(listener, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                continue;
            ++m_Connections;
            // Counted before the checks, so that SetReachable(false) waits
            // for a connection that slips past them.
            ++m_ActiveForwarders;
            const unsigned long generation = m_Generation.load();
            if (!m_Reachable)
            {
                CloseAbortively(client);
                --m_ActiveForwarders;
                continue;
            }
            std::lock_guard<std::mutex> lock(m_ThreadsLock);
            m_Threads.emplace_back([this, client, generation] { Forward(client, generation); });
        }
    }
}

// Copies both ways until both sides have finished, the relay becomes
// unreachable or it is destroyed.
void CTcpRelay::Forward(std::uintptr_t clientHandle, unsigned long generation)
{
    const SOCKET client = static_cast<SOCKET>(clientHandle);
    const SOCKET target = ConnectToTarget(m_TargetPort);
    if (target == INVALID_SOCKET)
    {
        CloseAbortively(client);
        --m_ActiveForwarders;
        return;
    }
    const SOCKET sockets[2] = {client, target};
    bool open[2] = {true, true};
    char buffer[16384];
    while (!m_Stopping && m_Generation.load() == generation && (open[0] || open[1]))
    {
        fd_set readable;
        SOCKET waiting[2];
        int count = 0;
        for (int i = 0; i < 2; ++i)
            if (open[i])
                waiting[count++] = sockets[i];
        if (WaitReadable(waiting, count, readable) <= 0)
            continue;
        for (int i = 0; i < 2; ++i)
        {
            if (!open[i] || !FD_ISSET(sockets[i], &readable))
                continue;
            const int received = ::recv(sockets[i], buffer, sizeof(buffer), 0);
            if (received > 0 && SendAll(sockets[1 - i], buffer, received))
                continue;
            if (received < 0)
            {
                open[0] = open[1] = false;  // a reset: pass it on
                break;
            }
            open[i] = false;
            ::shutdown(sockets[1 - i], SD_SEND);
        }
    }
    CloseAbortively(client);
    CloseAbortively(target);
    --m_ActiveForwarders;
}
