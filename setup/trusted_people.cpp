#include "trusted_people.h"

// clang-format off
#include <windows.h>
#include <wincrypt.h>
// clang-format on

#include <vector>

#include "scoped_handle.h"
#include "system_library.h"

namespace {

// crypt32.dll looked up at run time, from the system folder: the Windows 95 family and
// NT 4 may lack it.
class CryptLibrary {
public:
    CryptLibrary() : module_(LoadLibraryA(SystemLibraryPath("crypt32.dll").c_str())) {
        open = Function<decltype(&CertOpenStore)>("CertOpenStore");
        close = Function<decltype(&CertCloseStore)>("CertCloseStore");
        create = Function<decltype(&CertCreateCertificateContext)>("CertCreateCertificateContext");
        free = Function<decltype(&CertFreeCertificateContext)>("CertFreeCertificateContext");
        add = Function<decltype(&CertAddCertificateContextToStore)>("CertAddCertificateContextToStore");
        find = Function<decltype(&CertFindCertificateInStore)>("CertFindCertificateInStore");
        remove = Function<decltype(&CertDeleteCertificateFromStore)>("CertDeleteCertificateFromStore");
    }
    ~CryptLibrary() {
        if (module_) FreeLibrary(module_);
    }
    CryptLibrary(const CryptLibrary&) = delete;
    CryptLibrary& operator=(const CryptLibrary&) = delete;
    bool Ready() const { return open && close && create && free && add && find && remove; }

    decltype(&CertOpenStore) open = nullptr;
    decltype(&CertCloseStore) close = nullptr;
    decltype(&CertCreateCertificateContext) create = nullptr;
    decltype(&CertFreeCertificateContext) free = nullptr;
    decltype(&CertAddCertificateContextToStore) add = nullptr;
    decltype(&CertFindCertificateInStore) find = nullptr;
    decltype(&CertDeleteCertificateFromStore) remove = nullptr;

private:
    template <class Fn>
    Fn Function(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
    }
    HMODULE module_;
};

std::vector<BYTE> ReadWhole(const std::string& path) {
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::vector<BYTE> bytes;
    if (!file.Valid()) return bytes;
    const DWORD size = GetFileSize(file.Get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > 64 * 1024) return bytes;
    bytes.resize(size);
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data(), size, &read, nullptr) || read != size) bytes.clear();
    return bytes;
}

// The certificate of the file and the machine's store, opened together for one call.
class StoreAndCertificate {
public:
    explicit StoreAndCertificate(const std::string& cerFile) {
        if (!crypt_.Ready()) return;
        const std::vector<BYTE> der = ReadWhole(cerFile);
        if (der.empty()) return;
        certificate_ = crypt_.create(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
        // The machine's own physical store, in its registry: what this program adds and
        // removes, apart from certificates that a policy deploys.
        store_ = crypt_.open(CERT_STORE_PROV_SYSTEM_REGISTRY_A, 0, 0,
                             CERT_SYSTEM_STORE_LOCAL_MACHINE, "TrustedPeople");
    }
    ~StoreAndCertificate() {
        if (certificate_) crypt_.free(certificate_);
        if (store_) crypt_.close(store_, 0);
    }
    StoreAndCertificate(const StoreAndCertificate&) = delete;
    StoreAndCertificate& operator=(const StoreAndCertificate&) = delete;

    bool Ready() const { return certificate_ && store_; }
    // The store's copy of the certificate, or null; freed by the caller's Free.
    PCCERT_CONTEXT Find() const {
        return crypt_.find(store_, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, certificate_, nullptr);
    }
    bool Add() const {
        return crypt_.add(store_, certificate_, CERT_STORE_ADD_USE_EXISTING, nullptr) != FALSE;
    }
    // Deletes the store's copy (and frees it, as the call does on every outcome).
    bool Delete(PCCERT_CONTEXT found) const { return crypt_.remove(found) != FALSE; }
    void Free(PCCERT_CONTEXT found) const { crypt_.free(found); }

private:
    CryptLibrary crypt_;
    PCCERT_CONTEXT certificate_ = nullptr;
    HCERTSTORE store_ = nullptr;
};

}  // namespace

bool TrustCertificateFile(const std::string& cerFile, bool& added) {
    added = false;
    StoreAndCertificate store(cerFile);
    if (!store.Ready()) return false;
    if (PCCERT_CONTEXT found = store.Find()) {
        store.Free(found);
        return true;
    }
    added = store.Add();
    return added;
}

bool ForgetCertificateFile(const std::string& cerFile) {
    StoreAndCertificate store(cerFile);
    if (!store.Ready()) return false;
    while (PCCERT_CONTEXT found = store.Find())
        if (!store.Delete(found)) return false;
    return true;
}

bool CertificateFileTrusted(const std::string& cerFile) {
    StoreAndCertificate store(cerFile);
    if (!store.Ready()) return false;
    PCCERT_CONTEXT found = store.Find();
    if (!found) return false;
    store.Free(found);
    return true;
}
