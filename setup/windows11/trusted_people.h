// The machine's TrustedPeople certificate store, where Windows looks for the signer of a
// package whose certificate no public authority issued: the build's own certificate for
// the menu package goes there while the package is installed, and only then.
#pragma once

#include <string>

// Adds the DER certificate in the file to the local machine's TrustedPeople store. True
// when it is there afterwards; `added` tells whether this call put it there.
bool TrustCertificateFile(const std::string& cerFile, bool& added);

// Removes the certificate in the file from that store; true when it is not there
// afterwards (also when it never was).
bool ForgetCertificateFile(const std::string& cerFile);

// Whether the store holds the certificate in the file.
bool CertificateFileTrusted(const std::string& cerFile);
