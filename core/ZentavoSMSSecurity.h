// The authentication fields of the gateway's e-mail interface: a fresh SKey
// per submission and salted SHA-1 digests (Base64 text) that bind the
// credentials to it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CZentavoSMSSecurity
{
public:
    virtual ~CZentavoSMSSecurity() = default;

    // 'A' and the Base64 SHA-1 of salt 1, input, key and salt 2: 29
    // characters.
    std::string GenerateSaltedDigest(const std::string& input, const std::string& key) const;
    std::string GenerateCorporateKeyAuthDigest(const std::string& masterKey, const std::string& sKey) const;
    // User name and password count without regard to the case of A to Z.
    std::string GenerateUsernamePasswordAuthDigest(const std::string& username, const std::string& password,
                                                   const std::string& sKey) const;

    // FormatSKey of the process-wide counter, which then goes up by one.
    std::string GenerateSKey() const;
    // The current UTC time, the counter and a rand() number; 20 digits while
    // the counter is below 100.
    std::string FormatSKey(std::uint32_t counter) const;
};

// YYMMDDhhmmss, the counter (at least 2 digits), the milliseconds (3) and the
// random number modulo 1000 (3), all in decimal without separators.
std::string FormatSKeyFields(const SYSTEMTIME& utc, std::uint32_t counter, int randomNumber);
