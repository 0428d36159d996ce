#include "signature_check.h"

// clang-format off
#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
// clang-format on

#include "sha256.h"
#include "system_library.h"

namespace {

bool IsProgramOrDll(const std::string& name) {
    if (name.size() < 4) return false;
    const std::string tail = name.substr(name.size() - 4);
    return lstrcmpiA(tail.c_str(), ".exe") == 0 || lstrcmpiA(tail.c_str(), ".dll") == 0;
}

// SHA-256 of the certificate's SubjectPublicKeyInfo as DER, which is what the build reads
// from the release certificate (openssl x509 -pubkey | openssl pkey -pubin -outform DER).
bool PublicKeyHash(PCCERT_CONTEXT certificate, std::array<unsigned char, 32>& hash) {
    using EncodeFn = BOOL(WINAPI*)(DWORD, LPCSTR, const void*, BYTE*, DWORD*);
    const SystemLibrary crypt32("crypt32.dll");
    auto encode = crypt32.Function<EncodeFn>("CryptEncodeObject");
    if (!encode) return false;
    const CERT_PUBLIC_KEY_INFO* key = &certificate->pCertInfo->SubjectPublicKeyInfo;
    DWORD size = 0;
    if (!encode(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, nullptr, &size) || size == 0) return false;
    std::vector<BYTE> der(size);
    if (!encode(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, der.data(), &size)) return false;
    Sha256 digest;
    digest.Add(der.data(), size);
    hash = digest.Finish();
    return true;
}

}  // namespace

FileSigner ReadFileSigner(const std::string& path) {
    using VerifyFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
    using ProviderFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
    using SignerFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
    FileSigner result;
    result.state = SignatureState::Invalid;
    const SystemLibrary wintrust("wintrust.dll");
    auto verify = wintrust.Function<VerifyFn>("WinVerifyTrust");
    auto provider = wintrust.Function<ProviderFn>("WTHelperProvDataFromStateData");
    auto signer = wintrust.Function<SignerFn>("WTHelperGetProvSignerFromChain");
    if (!verify || !provider || !signer) return result;

    wchar_t widePath[MAX_PATH] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH)) return result;
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = widePath;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    // A certificate revoked since signing (a stolen key) must not pass.
    data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG status = verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    if (status == TRUST_E_NOSIGNATURE || status == TRUST_E_SUBJECT_FORM_UNKNOWN)
        result.state = SignatureState::Unsigned;
    if (status == ERROR_SUCCESS) {
        CRYPT_PROVIDER_DATA* state = provider(data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* first = state ? signer(state, 0, FALSE, 0) : nullptr;
        if (first && first->csCertChain > 0 && first->pasCertChain && first->pasCertChain[0].pCert &&
            PublicKeyHash(first->pasCertChain[0].pCert, result.publicKey))
            result.state = SignatureState::Valid;
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

std::string FirstNotSignedByPublisher(const std::string& folder, const std::vector<std::string>& names,
                                      const ShippedPackage& shipped) {
    if (!shipped.Signed()) return std::string();
    for (const std::string& name : names) {
        if (!IsProgramOrDll(name)) continue;
        const FileSigner signer = ReadFileSigner(folder + "\\" + name);
        if (signer.state != SignatureState::Valid || signer.publicKey != shipped.publisherKey) return name;
    }
    return std::string();
}
