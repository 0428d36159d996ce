// SHA-256 through the system's own CryptoAPI provider, fed piece by piece as data arrives.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <array>
#include <cstddef>

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Add(const void* data, size_t size);
    // The digest; all zero when the system offers no SHA-256 or a piece could not be
    // hashed, which matches no recorded digest.
    std::array<unsigned char, 32> Finish();

private:
    HCRYPTPROV provider_ = 0;
    HCRYPTHASH hash_ = 0;
    bool failed_ = false;
};
