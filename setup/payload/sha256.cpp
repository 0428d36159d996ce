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

void Sha256::Add(const void* data, DWORD size) {
    if (failed_ || size == 0) return;
    if (!CryptHashData(hash_, static_cast<const BYTE*>(data), size, 0)) failed_ = true;
}

std::string Sha256::Hex() {
    BYTE digest[32];
    DWORD size = sizeof digest;
    if (failed_ || !CryptGetHashParam(hash_, HP_HASHVAL, digest, &size, 0) || size != sizeof digest)
        return std::string();
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (BYTE b : digest) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}
