// The digest of a setup program that leaves out what cannot be known when the other setup
// program's table is filled: its own table of shipped files, and what signing changes (the
// PE checksum, the security directory entry and the certificates after it). Computed the
// same way by package/seal_payload.py.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "shipped_files.h"

// False when the bytes are no PE image or hold no table (or more than one begin marker).
bool ImageDigestWithoutTable(const std::vector<unsigned char>& bytes,
                             std::array<unsigned char, 32>& digest);

// Whether the bytes are the shipped file: its SHA-256, or the digest above where the table
// says so.
bool MatchesShipped(const std::vector<unsigned char>& bytes, const ShippedFile& shipped);
