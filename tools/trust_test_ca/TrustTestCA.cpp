// trust_test_ca <certificate file>: adds a CA certificate (PEM or DER) to
// the current user's ROOT store. Test set-up only: it lets WinINet in a Wine
// prefix trust the local gateway simulator's HTTPS ports, so that the tests
// run with certificate checks as strict as in production.
#include "core/ScopedHandle.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
struct CertStoreTraits
{
    using Handle = HCERTSTORE;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle store) noexcept { ::CertCloseStore(store, 0); }
};

struct CertContextTraits
{
    using Handle = PCCERT_CONTEXT;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle context) noexcept { ::CertFreeCertificateContext(context); }
};

int Fail(const char* what)
{
    std::fprintf(stderr, "trust_test_ca: %s failed (error %lu)\n", what, ::GetLastError());
    return 1;
}

bool ReadFileBytes(const char* path, std::string& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

// A PEM file is turned into its DER bytes; anything else is taken as DER.
bool ToDer(const std::string& file, std::vector<BYTE>& der)
{
    if (file.find("-----BEGIN") == std::string::npos)
    {
        der.assign(file.begin(), file.end());
        return true;
    }
    DWORD size = 0;
    if (!::CryptStringToBinaryA(file.data(), static_cast<DWORD>(file.size()), CRYPT_STRING_BASE64HEADER,
                                nullptr, &size, nullptr, nullptr))
        return false;
    der.resize(size);
    return ::CryptStringToBinaryA(file.data(), static_cast<DWORD>(file.size()), CRYPT_STRING_BASE64HEADER,
                                  der.data(), &size, nullptr, nullptr) != FALSE;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: trust_test_ca <certificate.pem|.der>\n");
        return 2;
    }
    std::string file;
    if (!ReadFileBytes(argv[1], file))
    {
        std::fprintf(stderr, "trust_test_ca: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> der;
    if (!ToDer(file, der))
        return Fail("CryptStringToBinaryA");

    CScopedHandle<CertContextTraits> certificate(::CertCreateCertificateContext(
        X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size())));
    if (!certificate)
        return Fail("CertCreateCertificateContext");

    CScopedHandle<CertStoreTraits> root(::CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0,
                                                        CERT_SYSTEM_STORE_CURRENT_USER, L"ROOT"));
    if (!root)
        return Fail("CertOpenStore(ROOT)");
    if (!::CertAddCertificateContextToStore(root.get(), certificate.get(), CERT_STORE_ADD_REPLACE_EXISTING,
                                            nullptr))
        return Fail("CertAddCertificateContextToStore");

    char name[256] = {};
    ::CertGetNameStringA(certificate.get(), CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, sizeof(name));
    std::printf("trusted \"%s\" in the current user's ROOT store\n", name);
    return 0;
}
