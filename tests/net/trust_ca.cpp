// Test set-up under Wine: puts the test CA (a DER file) into the machine's root store, the
// way an administrator trusts a private CA on Windows. Any earlier test CA of the same name
// (from an earlier run of the servers) is removed first, so that chains find this one.
// Usage: trust_ca CA.der
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_ca CA.der\n");
        return 2;
    }
    FILE* file = std::fopen(argv[1], "rb");
    if (file == nullptr) {
        std::fprintf(stderr, "trust_ca: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<BYTE> der;
    BYTE chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) der.insert(der.end(), chunk, chunk + n);
    std::fclose(file);

    PCCERT_CONTEXT ca = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
    // The machine's root store as the registry holds it; Wine's system-store view of it is a
    // copy that forgets what is added.
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\SystemCertificates\\ROOT", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key, nullptr);
    HCERTSTORE root = key != nullptr ? CertOpenStore(CERT_STORE_PROV_REG, 0, 0, 0, key) : nullptr;
    if (ca == nullptr || root == nullptr) {
        std::fprintf(stderr, "trust_ca: no certificate in %s or no root store (error %lu)\n", argv[1],
                     static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    for (PCCERT_CONTEXT old = nullptr;
         (old = CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_NAME, &ca->pCertInfo->Subject,
                                           old)) != nullptr;) {
        if (CertCompareCertificate(X509_ASN_ENCODING, old->pCertInfo, ca->pCertInfo)) continue;
        // Deleting frees the context; the search starts over.
        CertDeleteCertificateFromStore(CertDuplicateCertificateContext(old));
        CertFreeCertificateContext(old);
        old = nullptr;
    }
    bool ok = CertAddCertificateContextToStore(root, ca, CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
    if (!ok) std::fprintf(stderr, "trust_ca: not added (error %lu)\n", static_cast<unsigned long>(GetLastError()));
    CertFreeCertificateContext(ca);
    CertCloseStore(root, 0);
    RegCloseKey(key);
    return ok ? 0 : 1;
}
