#include "core/ZentavoSMSSecurity.h"

#include "core/Base64.h"
#include "core/SHA1Hash.h"
#include "core/StringUtils.h"

#include <atomic>
#include <cstdlib>
#include <iomanip>
#include <sstream>

namespace
{
const char kSalt1[] = "q7m3x9ke"; // before the salted digest's input
const char kSalt2[] = "k#81w6";   // after its key
const char kSalt3[] = "ua#KRmp";  // before the user name
const char kSalt4[] = "pF719c";   // between user name and password
const char kSalt5[] = "z5nqr#8";  // after the password

std::atomic<std::uint32_t> g_SKeyCounter{0};

std::string Base64SHA1(const std::string& text)
{
    CSHA1Hash hash;
    hash.Update(reinterpret_cast<const unsigned char*>(text.data()), static_cast<std::uint32_t>(text.size()));
    hash.Final();
    unsigned char digest[20];
    hash.GetDigest(digest);
    return CBase64::Encode(digest, sizeof(digest));
}
} // namespace

std::string CZentavoSMSSecurity::GenerateSaltedDigest(const std::string& input, const std::string& key) const
{
    return "A" + Base64SHA1(kSalt1 + input + key + kSalt2);
}

std::string CZentavoSMSSecurity::GenerateCorporateKeyAuthDigest(const std::string& masterKey,
                                                                const std::string& sKey) const
{
    return GenerateSaltedDigest(masterKey, sKey);
}

std::string CZentavoSMSSecurity::GenerateUsernamePasswordAuthDigest(const std::string& username,
                                                                    const std::string& password,
                                                                    const std::string& sKey) const
{
    std::string user = username;
    std::string pass = password;
    const std::string inner = Base64SHA1(kSalt3 + ToLower(user) + kSalt4 + ToLower(pass) + kSalt5);
    return GenerateSaltedDigest(inner, sKey);
}

std::string CZentavoSMSSecurity::GenerateSKey() const
{
    return FormatSKey(g_SKeyCounter.fetch_add(1));
}

std::string CZentavoSMSSecurity::FormatSKey(std::uint32_t counter) const
{
    SYSTEMTIME utc;
    ::GetSystemTime(&utc);
    return FormatSKeyFields(utc, counter, std::rand());
}

std::string FormatSKeyFields(const SYSTEMTIME& utc, std::uint32_t counter, int randomNumber)
{
    std::ostringstream text;
    text << std::setfill('0') << std::setw(2) << utc.wYear % 100 << std::setw(2) << utc.wMonth << std::setw(2)
         << utc.wDay << std::setw(2) << utc.wHour << std::setw(2) << utc.wMinute << std::setw(2) << utc.wSecond
         << std::setw(2) << counter << std::setw(3) << utc.wMilliseconds << std::setw(3) << randomNumber % 1000;
    return text.str();
}
