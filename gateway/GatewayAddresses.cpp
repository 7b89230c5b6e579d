#include "gateway/GatewayAddresses.h"

#include "core/Win32Utils.h"

namespace
{
std::string ReadAddress(const char* variable, const char* host)
{
    std::string address = CWin32Utils::GetEnvironmentVariable(variable);
    if (address.empty())
        return std::string("https://") + host;
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address;
}
} // namespace

const std::string& GetGatewayMailDomain()
{
    static const std::string domain = [] {
        const std::string value = CWin32Utils::GetEnvironmentVariable(GatewayAddresses::kMailDomainVariable);
        return value.empty() ? std::string(GatewayAddresses::kMailDomain) : value;
    }();
    return domain;
}

const std::string& GetGatewayPrimaryURL()
{
    static const std::string address =
        ReadAddress(GatewayAddresses::kPrimaryURLVariable, GatewayAddresses::kPrimaryHost);
    return address;
}

const std::string& GetGatewayBackupURL()
{
    static const std::string address =
        ReadAddress(GatewayAddresses::kBackupURLVariable, GatewayAddresses::kBackupHost);
    return address;
}

const std::string& GetBulkJobServiceURL()
{
    static const std::string address =
        ReadAddress(GatewayAddresses::kBulkJobURLVariable, GatewayAddresses::kWebHost) +
        GatewayAddresses::kBulkJobServicePath;
    return address;
}
