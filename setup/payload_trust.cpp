#include "payload_trust.h"

// clang-format off
#include <windows.h>
#include <wintrust.h>
#include <softpub.h>
// clang-format on

namespace {

// wintrust.dll loaded for one check; the DLL search is restricted to the system folder.
class TrustLibrary {
public:
    TrustLibrary() : module_(LoadLibraryA("wintrust.dll")) {}
    ~TrustLibrary() {
        if (module_) FreeLibrary(module_);
    }
    TrustLibrary(const TrustLibrary&) = delete;
    TrustLibrary& operator=(const TrustLibrary&) = delete;

    template <class Fn>
    Fn Function(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};

bool IsProgramOrDll(const std::string& name) {
    if (name.size() < 4) return false;
    const std::string tail = name.substr(name.size() - 4);
    return lstrcmpiA(tail.c_str(), ".exe") == 0 || lstrcmpiA(tail.c_str(), ".dll") == 0;
}

}  // namespace

FileSigner ReadFileSigner(const std::string& path) {
    using VerifyFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
    using ProviderFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
    using SignerFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
    FileSigner result;
    result.state = SignatureState::Invalid;
    TrustLibrary library;
    auto verify = library.Function<VerifyFn>("WinVerifyTrust");
    auto provider = library.Function<ProviderFn>("WTHelperProvDataFromStateData");
    auto signer = library.Function<SignerFn>("WTHelperGetProvSignerFromChain");
    if (!verify || !provider || !signer) return result;

    wchar_t widePath[MAX_PATH] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH)) return result;
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = widePath;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const LONG status = verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    if (status == TRUST_E_NOSIGNATURE || status == TRUST_E_SUBJECT_FORM_UNKNOWN)
        result.state = SignatureState::Unsigned;
    if (status == ERROR_SUCCESS) {
        CRYPT_PROVIDER_DATA* state = provider(data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* first = state ? signer(state, 0, FALSE, 0) : nullptr;
        if (first && first->csCertChain > 0 && first->pasCertChain && first->pasCertChain[0].pCert) {
            const CERT_NAME_BLOB& name = first->pasCertChain[0].pCert->pCertInfo->Subject;
            result.subject.assign(reinterpret_cast<const char*>(name.pbData), name.cbData);
            result.state = SignatureState::Valid;
        }
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

std::string FirstNotSignedBy(const std::string& folder, const std::vector<std::string>& names,
                             const std::string& subject) {
    for (const std::string& name : names) {
        if (!IsProgramOrDll(name)) continue;
        const FileSigner signer = ReadFileSigner(folder + "\\" + name);
        if (signer.state != SignatureState::Valid || signer.subject != subject) return name;
    }
    return std::string();
}

std::string FirstUntrustedPayloadFile(const std::string& ownFile, const std::string& folder,
                                      const std::vector<std::string>& names) {
    const FileSigner own = ReadFileSigner(ownFile);
    if (own.state == SignatureState::Unsigned) return std::string();
    if (own.state == SignatureState::Invalid) {
        const std::string::size_type slash = ownFile.rfind('\\');
        return slash == std::string::npos ? ownFile : ownFile.substr(slash + 1);
    }
    return FirstNotSignedBy(folder, names, own.subject);
}
