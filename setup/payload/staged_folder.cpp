#include "staged_folder.h"

#include <sddl.h>
#include <wincrypt.h>

#include "errors.h"
#include "image_digest.h"
#include "leftovers.h"
#include "scoped_handle.h"
#include "security_descriptor.h"
#include "system_function.h"

const char kStagedFolderAccess[] =
    "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

namespace {

// 64 bits that nobody can foresee: a name that another user cannot make beforehand.
bool RandomBits(unsigned char (&bits)[8]) {
    using GenRandomFn = BOOLEAN(WINAPI*)(PVOID, ULONG);  // RtlGenRandom, since Windows XP
    auto generate = SystemFunction<GenRandomFn>("advapi32.dll", "SystemFunction036");
    if (generate) return generate(bits, sizeof bits);
    // Windows 2000: the base crypto provider's generator.
    using AcquireFn = BOOL(WINAPI*)(HCRYPTPROV*, LPCSTR, LPCSTR, DWORD, DWORD);
    using RandomFn = BOOL(WINAPI*)(HCRYPTPROV, DWORD, BYTE*);
    using ReleaseFn = BOOL(WINAPI*)(HCRYPTPROV, DWORD);
    auto acquire = SystemFunction<AcquireFn>("advapi32.dll", "CryptAcquireContextA");
    auto random = SystemFunction<RandomFn>("advapi32.dll", "CryptGenRandom");
    auto release = SystemFunction<ReleaseFn>("advapi32.dll", "CryptReleaseContext");
    HCRYPTPROV provider = 0;
    if (!acquire || !random || !release || !acquire(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
        return false;
    const bool made = random(provider, sizeof bits, bits) != FALSE;
    release(provider, 0);
    return made;
}

// The machine's Windows folder, also on a terminal server, where GetWindowsDirectoryA
// gives the user's own.
std::string MachineWindowsFolder() {
    using FolderFn = UINT(WINAPI*)(LPSTR, UINT);
    auto machineFolder = SystemFunction<FolderFn>("kernel32.dll", "GetSystemWindowsDirectoryA");
    char folder[MAX_PATH] = {};
    const UINT length = machineFolder ? machineFolder(folder, MAX_PATH) : 0;
    if (length == 0 || length >= MAX_PATH) Raise<EFCreateError>("Cannot create folder in the Windows folder");
    return std::string(folder, length);
}

// Package names are ASCII.
std::wstring Wide(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

// Reads a file without following a link: a symbolic link or junction is refused, and so
// is a file with another name elsewhere (a hard link, perhaps to a file the user could not
// read). The whole file, since it is checked before any of it is written.
bool ReadWithoutLinks(const std::wstring& path, std::vector<unsigned char>& bytes) {
    ScopedHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) return false;
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file.Get(), &information) ||
        (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
        information.nNumberOfLinks != 1 || information.nFileSizeHigh != 0 ||
        information.nFileSizeLow > 256u * 1024 * 1024)
        return false;
    bytes.resize(information.nFileSizeLow);
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size()))
        return false;
    // A file that grew while it was read is not the file that was measured.
    char more = 0;
    return ReadFile(file.Get(), &more, 1, &read, nullptr) && read == 0;
}

bool ReadStaged(const std::string& path, std::vector<unsigned char>& bytes) {
    wchar_t wide[MAX_PATH] = {};
    return MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) && ReadWithoutLinks(wide, bytes);
}

}  // namespace

StagedFolder::StagedFolder() {
    const SecurityDescriptor security(kStagedFolderAccess);
    if (!security.Valid()) Raise<EFCreateError>("Cannot create folder in the Windows folder");
    const std::string parent = MachineWindowsFolder() + "\\Temp";
    SECURITY_ATTRIBUTES attributes = security.Attributes();
    for (unsigned attempt = 0; attempt < 16; ++attempt) {
        unsigned char bits[8];
        if (!RandomBits(bits)) break;
        char name[32];
        wsprintfA(name, "\\VelluMax-%02X%02X%02X%02X%02X%02X%02X%02X", bits[0], bits[1], bits[2],
                  bits[3], bits[4], bits[5], bits[6], bits[7]);
        const std::string folder = parent + name;
        if (CreateDirectoryA(folder.c_str(), &attributes)) {
            folder_ = folder;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    Raise<EFCreateError>("Cannot create folder in " + parent);
}

StagedFolder::~StagedFolder() {
    Remove();
}

HANDLE StagedFolder::NewFile(const std::string& name) {
    const SecurityDescriptor security(kStagedFolderAccess);
    if (!security.Valid() || folder_.empty()) return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES attributes = security.Attributes();
    files_.push_back(name);
    const std::string::size_type slash = name.rfind('\\');
    if (slash != std::string::npos) {
        const std::string subfolder = name.substr(0, slash);
        bool made = false;
        for (const std::string& known : subfolders_) made = made || known == subfolder;
        if (!made) {
            if (!CreateDirectoryA(File(subfolder).c_str(), &attributes)) return INVALID_HANDLE_VALUE;
            subfolders_.push_back(subfolder);
        }
    }
    return CreateFileA(File(name).c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

void StagedFolder::Remove() {
    bool held = false;
    for (const std::string& name : files_) {
        const std::string file = File(name);
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileA(file.c_str()) || !StillThere(file)) continue;
        RemoveAtRestart(file);
        held = true;
    }
    files_.clear();
    for (auto it = subfolders_.rbegin(); it != subfolders_.rend(); ++it)
        if (held || !RemoveDirectoryA(File(*it).c_str())) RemoveAtRestart(File(*it));
    subfolders_.clear();
    if (folder_.empty()) return;
    if (held || !RemoveDirectoryA(folder_.c_str())) RemoveAtRestart(folder_);
    folder_.clear();
}

std::string CopyShippedFiles(StagedFolder& staged, const std::wstring& sourceFolder,
                             const ShippedPackage& shipped) {
    for (const ShippedFile& file : shipped.files) {
        const std::wstring from = sourceFolder + L"\\" + Wide(file.name);
        const DWORD attributes = GetFileAttributesW(from.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;
        std::vector<unsigned char> bytes;
        // What does not match is never written where the user's programs may read it.
        if (!ReadWithoutLinks(from, bytes) || !MatchesShipped(bytes, file)) return file.name;
        ScopedHandle target(staged.NewFile(file.name));
        DWORD written = 0;
        if (!target.Valid() ||
            (!bytes.empty() && (!WriteFile(target.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                           &written, nullptr) ||
                                written != bytes.size())))
            Raise<EFCreateError>("Cannot create file " + staged.File(file.name));
    }
    return std::string();
}

std::string FirstMismatch(const StagedFolder& staged, const ShippedPackage& shipped) {
    for (const std::string& name : staged.Files()) {
        const ShippedFile* file = shipped.Find(name);
        std::vector<unsigned char> bytes;
        if (!file || !ReadStaged(staged.File(name), bytes) || !MatchesShipped(bytes, *file)) return name;
    }
    return std::string();
}
