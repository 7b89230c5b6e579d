#include <winsock2.h>

#include "GatewayTestSupport.h"

#include <mutex>
#include <stdexcept>

const char kAddinClientDetails[] = "clientid=ZentavoSMS&clientver=5.0.1&appid=ZentavSMSOutlookAddin&appver=5.0.1";

namespace
{
std::mutex g_WaitLock;
std::vector<DWORD> g_Waits;

void RecordDelay(DWORD milliseconds)
{
    std::lock_guard<std::mutex> lock(g_WaitLock);
    g_Waits.push_back(milliseconds);
}
} // namespace

GatewaySimulatorTest::GatewaySimulatorTest()
    : m_Primary(CGatewaySimulator::Primary()), m_Backup(CGatewaySimulator::Backup())
{
}

void GatewaySimulatorTest::SetUp()
{
    m_Primary.Reset();
    m_Backup.Reset();
    g_PrimaryServerLastFailure.SetNull();
    g_BackupServerLastFailure.SetNull();
    {
        std::lock_guard<std::mutex> lock(g_WaitLock);
        g_Waits.clear();
    }
    SetGatewayDelayWaitFunction(&RecordDelay);
}

void GatewaySimulatorTest::TearDown()
{
    SetGatewayDelayWaitFunction(nullptr);
    g_PrimaryServerLastFailure.SetNull();
    g_BackupServerLastFailure.SetNull();
}

void GatewaySimulatorTest::Configure(CSMSGatewayProxy& proxy) const
{
    proxy.SetServers(m_Primary.HttpsServer(), m_Backup.HttpsServer(), "", "", "");
    proxy.SetInterface(0x20000001);
    proxy.SetClientId("ZentavoSMS", "5.0.1", "ZentavSMSOutlookAddin", "5.0.1");
}

void GatewaySimulatorTest::Configure(CSMSGatewayService& service) const
{
    service.SetServers(m_Primary.HttpsServer(), m_Backup.HttpsServer(), "", "", "");
    service.SetClientDetails(kAddinClientDetails);
}

std::vector<DWORD> GatewaySimulatorTest::DelayWaits()
{
    std::lock_guard<std::mutex> lock(g_WaitLock);
    return g_Waits;
}

unsigned short GatewaySimulatorTest::ClosedPort()
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        throw std::runtime_error("WSAStartup failed");
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    if (s == INVALID_SOCKET || ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("no free loopback port");
    ::closesocket(s);
    ::WSACleanup();
    return ntohs(address.sin_port);
}

CSMSGatewayRequestOptions PrimaryOnly(DWORD timeoutMs)
{
    CSMSGatewayRequestOptions options;
    options.m_AllowFailover = 0;
    options.m_HTTPOptions.m_TimeoutMs = timeoutMs;
    return options;
}

CSMSGatewayRequestOptions WithFailover(DWORD timeoutMs)
{
    CSMSGatewayRequestOptions options = PrimaryOnly(timeoutMs);
    options.m_AllowFailover = 1;
    return options;
}
