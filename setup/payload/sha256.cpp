#include "sha256.h"

Sha256::Sha256() {
    // PROV_RSA_AES is the provider that knows SHA-256 on every Windows that runs a 64-bit
    // program; a verify context needs no key container.
    if (!CryptAcquireContextA(&provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
        provider_ = 0;
        failed_ = true;
        return;
    }
    if (!CryptCreateHash(provider_, CALG_SHA_256, 0, 0, &hash_)) {
        hash_ = 0;
        failed_ = true;
    }
}

Sha256::~Sha256() {
    if (hash_) CryptDestroyHash(hash_);
    if (provider_) CryptReleaseContext(provider_, 0);
}

void Sha256::Add(const void* data, size_t size) {
    if (failed_ || size == 0) return;
    if (size > MAXDWORD || !CryptHashData(hash_, static_cast<const BYTE*>(data),
                                          static_cast<DWORD>(size), 0))
        failed_ = true;
}

std::array<unsigned char, 32> Sha256::Finish() {
    std::array<unsigned char, 32> digest = {};
    DWORD size = static_cast<DWORD>(digest.size());
    if (failed_ || !CryptGetHashParam(hash_, HP_HASHVAL, digest.data(), &size, 0) ||
        size != digest.size())
        digest.fill(0);
    return digest;
}
