// Core services: the GSM count that the Send SMS window makes on every
// keystroke, SHA-1 throughput and the credential cipher.
#include "bench/Bench.h"

#include "core/GSMUtils.h"
#include "core/SHA1Hash.h"
#include "core/ZentavoEncryption.h"

#include <cstdlib>
#include <vector>

namespace
{
void GSMCount(CBenchContext& context)
{
    std::string text;
    while (text.size() < 1600)
        text += "Meet at [10:00] {room 4} ~ bring 20\x80 and the keys!\r";
    text.resize(1600);

    const long long iterations = context.Iterations(100000);
    const double seconds = context.Time(iterations, [&] {
        CBenchContext::Keep(CGSMUtils::GetMessageLength(text) + CGSMUtils::GetNumberOfPartsForText(text));
    });
    context.Report("length + parts of 1600 characters, per call", seconds * 1e6 / iterations, "us",
                   "target: 10 us or less");
}

void SHA1Throughput(CBenchContext& context)
{
    const std::vector<unsigned char> block(1 << 20, 0x5A);
    const long long iterations = context.Iterations(64);
    const double seconds = context.Time(iterations, [&] {
        CSHA1Hash hash;
        hash.Update(block.data(), static_cast<std::uint32_t>(block.size()));
        hash.Final();
        unsigned char digest[20];
        hash.GetDigest(digest);
        CBenchContext::Keep(digest[0]);
    });
    context.Report("SHA-1 of 1 MB blocks", static_cast<double>(iterations) / seconds, "MB/s");
}

void CipherRoundTrip(CBenchContext& context)
{
    std::srand(1);
    const std::string secret(64, 's');
    const CZentavoEncryption cipher;
    const long long iterations = context.Iterations(5000);
    const double seconds = context.Time(iterations, [&] {
        CBenchContext::Keep(static_cast<long long>(cipher.Decrypt(cipher.Encrypt(secret)).size()));
    });
    context.Report("Encrypt + Decrypt of a 64-byte secret", seconds * 1e6 / iterations, "us");
}

const CBenchRegistration g_GSM("gsm", &GSMCount);
const CBenchRegistration g_SHA1("sha1", &SHA1Throughput);
const CBenchRegistration g_Cipher("cipher", &CipherRoundTrip);
} // namespace
