// SHA-256 through the system's own CryptoAPI provider, fed piece by piece as data arrives.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <string>

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Add(const void* data, DWORD size);
    // The digest in lower-case hexadecimal, as sha256sum writes it; empty when the system
    // offers no SHA-256 or a piece could not be hashed.
    std::string Hex();

private:
    HCRYPTPROV provider_ = 0;
    HCRYPTHASH hash_ = 0;
    bool failed_ = false;
};
