// trust_test_ca <certificate.pem>: adds a throwaway test CA to the current
// user's ROOT store of the Wine prefix, so that WinINet trusts the local test
// servers' certificates. Run only inside the tests' own prefix.
#include <windows.h>

#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
int Fail(const char* what)
{
    std::fprintf(stderr, "trust_test_ca: %s failed (error %lu)\n", what, ::GetLastError());
    return 1;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: trust_test_ca <certificate.pem>\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string pem((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (pem.empty())
    {
        std::fprintf(stderr, "trust_test_ca: cannot read %s\n", argv[1]);
        return 1;
    }

    DWORD size = 0;
    if (!::CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
        return Fail("CryptStringToBinary");
    std::vector<BYTE> der(size);
    if (!::CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr))
        return Fail("CryptStringToBinary");

    HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER,
                                       L"ROOT");
    if (!store)
        return Fail("CertOpenStore");
    const BOOL added = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const DWORD error = ::GetLastError();
    ::CertCloseStore(store, 0);
    if (!added)
    {
        ::SetLastError(error);
        return Fail("CertAddEncodedCertificateToStore");
    }
    return 0;
}
