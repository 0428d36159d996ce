#include "flow_test_support.h"

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "child_process.h"
#include "menu_package.h"
#include "setup_test_support.h"

namespace flowtest {

const char kClassId[] = "{0b95b7e0-c8b9-11cf-8f59-444553540000}";
const std::string kClassKey = std::string("CLSID\\") + kClassId;
const std::string kFileHandler = "*\\ShellEx\\ContextMenuHandlers\\VelluMax";
const std::string kFolderHandler = "folder\\ShellEx\\ContextMenuHandlers\\VelluMax";
const std::string kDriveVerb = "Drive\\shell\\DiskInfoByVmax";
const std::string kDirectoryVerb = "Directory\\shell\\DiskInfoByVmax";
const std::string kFolderVerb = "folder\\shell\\DiskInfoByVmax";
const std::string kUninstallEntry =
    "SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelluMax";
const std::string kApproved =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const std::string kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";

namespace {

const char kPendingRenames[] = "PendingFileRenameOperations";
const char* const kInstalledFiles[] = {"vmxtool.dll", "vmxtool.exe", "vmxtool.txt", "vmxinst.exe"};
// Earlier versions put the Windows 11 menu command and its package here too; they now have
// a folder of their own.
const char* const kMenuFiles[] = {"vmxmenu.dll", "vmxmenu.msix", "vmxmenu.cer"};
const char kMenuActiveSetup[] =
    "Software\\Microsoft\\Active Setup\\Installed Components\\" VMX_MENU_CLSID;

// The Unix path of a built or source file as Wine shows it: the Unix root is drive Z:.
std::string FromUnix(const char* unixPath) {
    std::string path = std::string("Z:") + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

void DeleteTree(HKEY root, const std::string& path, REGSAM view = 0) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
    RegDeleteTreeA(key, nullptr);
    RegCloseKey(key);
    RegDeleteKeyExA(root, path.c_str(), view, 0);
}

void DeleteValue(HKEY root, const std::string& path, const char* name, REGSAM view = 0) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name);
    RegCloseKey(key);
}

bool ReadPending(std::string& data) {
    setuptest::ValueRead read = setuptest::ReadValue(HKLM, kSessionManager, kPendingRenames);
    data = read.bytes;
    return read.found;
}

void WritePending(bool present, const std::string& data) {
    HKEY key;
    if (RegOpenKeyExA(HKLM, kSessionManager.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open the Session Manager key");
    if (present)
        RegSetValueExA(key, kPendingRenames, 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    else
        RegDeleteValueA(key, kPendingRenames);
    RegCloseKey(key);
}

void SetKeySecurity(HKEY root, const std::string& path, const char* sddl, REGSAM access) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        throw std::runtime_error(std::string("bad security descriptor ") + sddl);
    HKEY key;
    LONG result = RegOpenKeyExA(root, path.c_str(), 0, access, &key);
    if (result == ERROR_SUCCESS) {
        result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        RegCloseKey(key);
    }
    LocalFree(descriptor);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("cannot set the rights of " + path + ": error " +
                                 std::to_string(result));
}

}  // namespace

std::string Ansi(const std::u16string& text, UINT codePage) {
    std::wstring wide(text.begin(), text.end());
    int length = WideCharToMultiByte(codePage, 0, wide.c_str(), static_cast<int>(wide.size()),
                                     nullptr, 0, nullptr, nullptr);
    std::string bytes(length, '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), static_cast<int>(wide.size()), bytes.data(),
                        length, nullptr, nullptr);
    return bytes;
}

bool JapaneseRun() {
    char locale[64] = {};
    GetEnvironmentVariableA("LC_ALL", locale, sizeof locale);
    return std::string(locale).rfind("ja", 0) == 0;
}

std::string ExpectedDisplayName() {
    return JapaneseRun() ? Ansi(u"ベルマMAX", 932) : "VelluMax";
}

std::string SystemFolder() {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return folder;
}

std::string WindowsFolder() {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    return folder;
}

std::string MenuFolder() {
    return NativeShellextFolder() + "\\vmxmenu";
}

std::string ShellextFolder() {
    return SystemFolder() + "\\Shellext";
}

bool On64BitWindows() {
    return setuptest::On64BitWindows();
}

namespace {

constexpr bool k64BitProgram = sizeof(void*) == 8;

std::string Wow64Folder() {
    char folder[MAX_PATH] = {};
    GetSystemWow64DirectoryA(folder, MAX_PATH);
    return folder;
}

}  // namespace

std::string NativeShellextFolder() {
    if (!On64BitWindows() || k64BitProgram) return ShellextFolder();
    return WindowsFolder() + "\\Sysnative\\Shellext";
}

std::string Shellext32Folder() {
    return On64BitWindows() ? Wow64Folder() + "\\Shellext" : ShellextFolder();
}

std::vector<std::string> ShellextFolders() {
    if (!On64BitWindows()) return {ShellextFolder()};
    if (k64BitProgram) return {ShellextFolder(), Shellext32Folder()};
    return {ShellextFolder(), NativeShellextFolder()};
}

std::vector<std::string> KnownShellextFolders() {
    if (!On64BitWindows()) return {ShellextFolder()};
    if (k64BitProgram) return {ShellextFolder(), Shellext32Folder()};
    return {Shellext32Folder(), ShellextFolder()};
}

std::vector<REGSAM> RegistryViews() {
    if (!On64BitWindows()) return {0};
    return {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
}

REGSAM NativeView() {
    return RegistryViews().back();
}

std::string ExtensionRegisteredIn(REGSAM view) {
    if (view != KEY_WOW64_32KEY) return ShellextFolder() + "\\vmxtool.dll";
    return Shellext32Folder() + "\\vmxtool.dll";
}

ProductStateGuard::ProductStateGuard() {
    shellextExisted_ = vmxtest::DirectoryExists(ShellextFolder());
    approvedExisted_ = setuptest::KeyExists(HKLM, kApproved);
    pendingExisted_ = ReadPending(pendingData_);
    const std::string wininit = WindowsFolder() + "\\wininit.ini";
    wininitExisted_ = vmxtest::FileExists(wininit);
    if (wininitExisted_) wininitBytes_ = vmxtest::ReadFileBytes(wininit);
    // Every test starts without restart-time work; what was there comes back at the end.
    WritePending(false, std::string());
    DeleteFileA(wininit.c_str());
    RemoveProductState();
}

ProductStateGuard::~ProductStateGuard() {
    RemoveProductState();
    if (!shellextExisted_)  // only when empty
        for (const std::string& folder : ShellextFolders()) RemoveDirectoryA(folder.c_str());
    if (!approvedExisted_ && setuptest::KeyExists(HKLM, kApproved) &&
        setuptest::SubKeyCount(HKLM, kApproved) == 0)
        RegDeleteKeyA(HKLM, kApproved.c_str());
    // A deletion left pending here would be carried out by the next Wine session.
    WritePending(pendingExisted_, pendingData_);
    const std::string wininit = WindowsFolder() + "\\wininit.ini";
    SetFileAttributesA(wininit.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (wininitExisted_)
        vmxtest::WriteFileBytes(wininit, wininitBytes_);
    else
        DeleteFileA(wininit.c_str());
}

void ProductStateGuard::RemoveProductState() {
    for (REGSAM view : RegistryViews()) {
        for (const std::string& key :
             {kClassKey, kFileHandler, kFolderHandler, kDriveVerb, kDirectoryVerb, kFolderVerb})
            DeleteTree(HKCR, key, view);
        DeleteTree(HKLM, kUninstallEntry, view);
        DeleteValue(HKLM, kApproved, kClassId, view);
    }
    DeleteTree(HKCU, "Software\\Caldwyn");
    DeleteTree(HKCU, "Software\\Wine\\AppDefaults\\vmxinst.exe");
    DeleteTree(HKLM, kMenuActiveSetup);
    for (const std::string& folder : ShellextFolders()) {
        std::vector<const char*> names(std::begin(kInstalledFiles), std::end(kInstalledFiles));
        names.insert(names.end(), std::begin(kMenuFiles), std::end(kMenuFiles));
        for (const char* name : names) {
            const std::string file = folder + "\\" + name;
            SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(file.c_str());
        }
    }
    vmxtest::RemoveTreeOnDisk(MenuFolder());
}

InstallSource::InstallSource(Place place) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    base_ = (place == NearRoot ? std::string("C:\\") : std::string(temp)) +
            setuptest::UniqueName("vmxsrc");
    folder_ = base_ + "\\Mes fichiers VelluMax";
    vmxtest::RemoveTreeOnDisk(base_);
    if (!CreateDirectoryA(base_.c_str(), nullptr) || !CreateDirectoryA(folder_.c_str(), nullptr))
        throw std::runtime_error("cannot create " + folder_);
    const std::pair<const char*, const char*> files[] = {
        {VMX_PACKAGE_INF, "vmxtool.inf"},     {VMX_PACKAGE_README, "vmxtool.txt"},
        {VMX_BUILT_EXTENSION, "vmxtool.dll"}, {VMX_BUILT_VIEWER, "vmxtool.exe"},
        {VMX_BUILT_SETUP, "vmxinst.exe"},     {VMX_BUILT_EXTENSION64, "vmxtool64.dll"},
        {VMX_BUILT_VIEWER64, "vmxtool64.exe"}, {VMX_BUILT_SETUP64, "vmxinst64.exe"},
        {VMX_BUILT_MENU, "vmxmenu.dll"},
    };
    for (const auto& [from, name] : files)
        if (!CopyFileA(FromUnix(from).c_str(), File(name).c_str(), FALSE))
            throw std::runtime_error("cannot copy " + FromUnix(from) + " to " + File(name));
    // The Windows 11 menu command's package, with its certificate where the build made one.
    for (const char* name : {"vmxmenu.msix", "vmxmenu.cer", "vmxmenu.png"})
        CopyFileA(FromUnix((std::string(VMX_MENU_SHIP_DIR) + "/" + name).c_str()).c_str(),
                  File(name).c_str(), FALSE);
}

InstallSource::~InstallSource() {
    vmxtest::RemoveTreeOnDisk(base_);
}

void InstallWithInf(const InstallSource& source, Installer installer) {
    std::string folder = SystemFolder();
    if (On64BitWindows() && installer == Installer::Native && !k64BitProgram)
        folder = WindowsFolder() + "\\Sysnative";
    if (On64BitWindows() && installer == Installer::Bits32 && k64BitProgram) folder = Wow64Folder();
    std::string command = "\"";
    command += folder + "\\rundll32.exe\" setupapi.dll,InstallHinfSection DefaultInstall 132 ";
    command += source.File("vmxtool.inf");
    vmxtest::RunAndWait(command, 120000);
    for (const char* name : kInstalledFiles)
        if (!vmxtest::FileExists(ShellextFolder() + "\\" + name))
            throw std::runtime_error(std::string("the INF file did not install ") + name);
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& folder) {
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    saved_ = saved;
    if (!SetCurrentDirectoryA(folder.c_str()))
        throw std::runtime_error("cannot make " + folder + " the current directory");
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
    SetCurrentDirectoryA(saved_.c_str());
}

LockedKey::LockedKey(HKEY root, const std::string& path) : root_(root), path_(path) {
    setuptest::CreateKey(root, path);
    // Everyone may read it, delete it and change its rights; nobody may write into it.
    SetKeySecurity(root, path, "D:P(A;;KRSDWD;;;WD)", KEY_ALL_ACCESS);
}

LockedKey::~LockedKey() {
    try {
        SetKeySecurity(root_, path_, "D:P(A;;KA;;;WD)", WRITE_DAC);
    } catch (const std::exception&) {
        // Gone already.
    }
}

ScopedStringValue::ScopedStringValue(HKEY root, const std::string& key, const std::string& name,
                                     const std::string& text)
    : root_(root), key_(key), name_(name) {
    setuptest::SetStringValue(root, key, name, text);
}

ScopedStringValue::~ScopedStringValue() {
    DeleteValue(root_, key_, name_.c_str());
}

std::vector<std::string> PendingRenames() {
    std::string data;
    std::vector<std::string> names;
    if (!ReadPending(data)) return names;
    std::string::size_type p = 0;
    while (p < data.size()) {
        std::string::size_type nul = data.find('\0', p);
        if (nul == std::string::npos) nul = data.size();
        names.push_back(data.substr(p, nul - p));
        p = nul + 1;
    }
    if (names.size() % 2 == 1 && names.back().empty()) names.pop_back();
    return names;
}

bool PendingRenamesPresent() {
    std::string data;
    return ReadPending(data);
}

}  // namespace flowtest
