// A release's programs and DLLs carry the release certificate's Authenticode signature.
// Its public key is fixed in the setup program's table at build time, so that the check
// needs nothing from the unpacked folder, not even the running program's own file.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "shipped_files.h"

enum class SignatureState { Unsigned, Valid, Invalid };

struct FileSigner {
    SignatureState state = SignatureState::Unsigned;
    // SHA-256 of the signing certificate's SubjectPublicKeyInfo; all zero unless Valid.
    std::array<unsigned char, 32> publicKey = {};
};

// The file's signature as WinVerifyTrust judges it, without any dialog, with the whole
// chain's revocation checked. Invalid also where the system offers no verification.
FileSigner ReadFileSigner(const std::string& path);

// With a release certificate in the table, the first program or DLL of the names in the
// folder that does not carry a valid signature by that key; empty when every one does, or
// when the build has no release certificate (its files are checked by hash alone).
std::string FirstNotSignedByPublisher(const std::string& folder, const std::vector<std::string>& names,
                                      const ShippedPackage& shipped);
