// SHA-256 (FIPS 180-4), in the program itself: the hash of what was shipped must be the
// same on every Windows the setup program runs on, including those whose crypto providers
// know no SHA-256.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

class Sha256 {
public:
    Sha256();
    void Add(const void* data, size_t size);
    std::array<unsigned char, 32> Finish();

private:
    void Block(const unsigned char* block);
    uint32_t state_[8];
    unsigned char buffer_[64];
    size_t buffered_ = 0;
    uint64_t length_ = 0;
};
