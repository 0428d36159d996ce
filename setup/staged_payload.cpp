#include "staged_payload.h"

#include <windows.h>
#include <sddl.h>

#include "elevation.h"
#include "environment.h"
#include "errors.h"
#include "leftovers.h"
#include "scoped_handle.h"
#include "system_function.h"

const std::vector<const char*> kPackageFiles = {
    "vmxtool.inf",   "vmxtool.txt",   "vmxinst.exe",   "vmxtool.dll",  "vmxtool.exe",
    "vmxinst64.exe", "vmxtool64.dll", "vmxtool64.exe", "vmxmenu.dll",  "vmxmenu.msix",
    "vmxmenu.cer",
};

const char kStagedFolderAccess[] =
    "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

namespace {

// The access list as a security descriptor, freed with LocalFree. Looked up at run time:
// the Windows 95 family and NT 4 lack the conversion, and never stage.
class FolderSecurity {
public:
    FolderSecurity() {
        using ConvertFn = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);
        auto convert = SystemFunction<ConvertFn>(
            "advapi32.dll", "ConvertStringSecurityDescriptorToSecurityDescriptorA");
        if (!convert || !convert(kStagedFolderAccess, SDDL_REVISION_1, &descriptor_, nullptr))
            descriptor_ = nullptr;
    }
    ~FolderSecurity() {
        if (descriptor_) LocalFree(descriptor_);
    }
    FolderSecurity(const FolderSecurity&) = delete;
    FolderSecurity& operator=(const FolderSecurity&) = delete;
    PSECURITY_DESCRIPTOR Get() const { return descriptor_; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
};

// A folder of a new name: a folder that another user made beforehand under a name we might
// choose (the Temp folder lets users create) is passed over, never entered.
std::string CreateOwnFolder(const std::string& parent, const FolderSecurity& security) {
    if (!security.Get()) Raise<EFCreateError>("Cannot create folder in " + parent);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.Get(), FALSE};
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        wsprintfA(name, "\\VelluMax-%08lX%04lX", GetCurrentProcessId(),
                  static_cast<unsigned long>((counter.LowPart + attempt) & 0xFFFF));
        const std::string folder = parent + name;
        if (CreateDirectoryA(folder.c_str(), &attributes)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    Raise<EFCreateError>("Cannot create folder in " + parent);
}

// The copy is made with the folder's access list given explicitly: a copy may otherwise
// carry rights of its own (Wine gives the user and Everyone full control) for as long as
// nobody changes them.
bool CopyWithAccess(const std::string& from, const std::string& to, const FolderSecurity& security) {
    ScopedHandle source(CreateFileA(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!source.Valid()) return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.Get(), FALSE};
    ScopedHandle target(CreateFileA(to.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target.Valid()) return false;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD read = 0, written = 0;
        if (!ReadFile(source.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return false;
        if (read == 0) return true;
        if (!WriteFile(target.Get(), buffer.data(), read, &written, nullptr) || written != read)
            return false;
    }
}

}  // namespace

bool StagesPayload() {
    return IsWindowsNT() && RunsElevated();
}

StagedPayload::StagedPayload(const std::string& packageFolder,
                             const std::vector<const char*>& names) {
    const FolderSecurity security;
    folder_ = CreateOwnFolder(FolderText(WindowsDir) + "\\Temp", security);
    for (const char* name : names) {
        const std::string from = packageFolder + "\\" + name;
        if (GetFileAttributesA(from.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (!CopyWithAccess(from, File(name), security)) {
            files_.push_back(name);  // removed with the rest, whatever was written
            const std::string failed = File(name);
            Remove();
            Raise<EFCreateError>("Cannot create file " + failed);
        }
        files_.push_back(name);
    }
}

StagedPayload::StagedPayload(Empty) {
    const FolderSecurity security;
    folder_ = CreateOwnFolder(FolderText(WindowsDir) + "\\Temp", security);
}

HANDLE StagedPayload::CreateStagedFile(const std::string& name) {
    const FolderSecurity security;
    if (!security.Get()) return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.Get(), FALSE};
    HANDLE file = CreateFileA(File(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, &attributes,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) files_.push_back(name);
    return file;
}

StagedPayload::~StagedPayload() {
    Remove();
}

void StagedPayload::Remove() {
    bool held = false;
    for (const std::string& name : files_) {
        const std::string file = File(name);
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (DeleteFileA(file.c_str()) || !StillThere(file)) continue;
        RemoveAtRestart(file);
        held = true;
    }
    files_.clear();
    if (folder_.empty()) return;
    if (held || !RemoveDirectoryA(folder_.c_str())) RemoveAtRestart(folder_);
    folder_.clear();
}
