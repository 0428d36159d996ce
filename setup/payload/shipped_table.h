// The layout of the table of shipped files in the setup program's read-only data, as
// package/seal_payload.py finds and fills it after linking: it looks for the begin marker,
// which must occur exactly once in the file, and writes the entries and the publisher's
// key between the markers. Little-endian, no padding.
#pragma once

#include <cstdint>

#pragma pack(push, 1)
struct ShippedTableEntry {
    char name[63];  // NUL-terminated, "folder\name" for a file in a subfolder
    uint8_t flags;  // kWithoutTable: the digest leaves the table and the signature out
    uint8_t sha256[32];
};

struct ShippedTable {
    char begin[16];
    uint32_t count;
    uint8_t publisherKey[32];
    ShippedTableEntry entries[40];
    char end[16];
};
#pragma pack(pop)

constexpr uint8_t kWithoutTable = 1;

// Defined in a file of its own, so that no compiler sees its (empty) contents where it is
// read and folds them away.
extern "C" const ShippedTable vmxShippedTable;
