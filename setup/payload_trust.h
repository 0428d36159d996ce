// A signed setup program installs only programs and DLLs signed by its own publisher, so
// that nothing but what was shipped runs elevated or lands in the system folder. A
// developer's unsigned build checks nothing.
#pragma once

#include <string>
#include <vector>

enum class SignatureState { Unsigned, Valid, Invalid };

struct FileSigner {
    SignatureState state = SignatureState::Unsigned;
    // The signing certificate's subject as encoded in the certificate; empty unless Valid.
    std::string subject;
};

// The file's Authenticode signature as WinVerifyTrust judges it, without any dialog and
// without going to the network. Invalid also where the system offers no verification.
FileSigner ReadFileSigner(const std::string& path);

// The first program or DLL of the names in the folder that does not carry a valid
// signature of the subject; empty when every one does.
std::string FirstNotSignedBy(const std::string& folder, const std::vector<std::string>& names,
                             const std::string& subject);

// Checks the staged files against the signature of the setup program's own file: empty
// when its file is unsigned or every staged program and DLL is signed by its publisher;
// otherwise the name of the first file that is not (its own name when its own signature
// is broken).
std::string FirstUntrustedPayloadFile(const std::string& ownFile, const std::string& folder,
                                      const std::vector<std::string>& names);
