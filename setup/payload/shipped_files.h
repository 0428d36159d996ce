// What the build shipped: the name and SHA-256 of every file of the package, fixed when the
// package is made and carried inside the setup program, where nothing in the unpacked
// folder can change it. A file that is not listed is never staged, read or used.
#pragma once

#include <array>
#include <string>
#include <vector>

struct ShippedFile {
    // The name inside the package; a file in a subfolder is named "folder\name".
    std::string name;
    // Only for the two setup programs, which cannot hold each other's complete hash (see
    // package/seal_payload.py): the digest leaves out the hash table itself and the
    // parts that signing changes (PE checksum, security directory entry, certificates).
    bool withoutTable = false;
    std::array<unsigned char, 32> sha256 = {};
};

struct ShippedPackage {
    std::vector<ShippedFile> files;
    // SHA-256 of the release certificate's public key (its SubjectPublicKeyInfo); all zero
    // for a build made without a release certificate, whose files are checked by hash only.
    std::array<unsigned char, 32> publisherKey = {};
    bool Signed() const;
    const ShippedFile* Find(const std::string& name) const;  // case-insensitive; null if absent
};

// The table that the running setup program carries. Empty (no file at all) in a program
// that packaging never sealed: such a program stages and installs nothing elevated.
ShippedPackage BuiltInShippedPackage();
