// What the tests of the installation and uninstallation share: the product's keys and files
// in the test prefix and a guard that leaves them as it found them, the package beside the
// built files, keys the flows may not write, and the expected texts in the run's language.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "test_files.h"

namespace flowtest {

const HKEY HKCR = HKEY_CLASSES_ROOT;
const HKEY HKLM = HKEY_LOCAL_MACHINE;
const HKEY HKCU = HKEY_CURRENT_USER;

extern const char kClassId[];
extern const std::string kClassKey;
extern const std::string kFileHandler;
extern const std::string kFolderHandler;
extern const std::string kDriveVerb;
extern const std::string kDirectoryVerb;
extern const std::string kFolderVerb;
extern const std::string kUninstallEntry;
extern const std::string kApproved;
extern const std::string kSessionManager;

// Text in a code page, for expected bytes: Ansi(u"Désinstallation", 1252).
std::string Ansi(const std::u16string& text, UINT codePage);
// LC_ALL names Japanese: the flows must speak Japanese.
bool JapaneseRun();
// "VelluMax", or "ベルマMAX" in code page 932 on a Japanese run.
std::string ExpectedDisplayName();

std::string SystemFolder();    // as GetSystemDirectoryA gives it
std::string WindowsFolder();   // as GetWindowsDirectoryA gives it
std::string ShellextFolder();  // SystemFolder() + "\Shellext"
// The Windows 11 menu command's folder in the native Shellext folder, as this program
// reaches it.
std::string MenuFolder();

// The test prefix is 64-bit Windows. A 32-bit test program sees it through WOW64: the
// product also lives in the native system folder, reached as Sysnative, and in the 64-bit
// registry view. A 64-bit one sees the native folder as its own and reaches the 32-bit one
// as SysWOW64.
bool On64BitWindows();
// The native folder's Shellext as this program reaches it.
std::string NativeShellextFolder();
// The Shellext folder of the 32-bit extension: SysWOW64's on 64-bit Windows.
std::string Shellext32Folder();
// The folders and views that hold the product: one each on 32-bit Windows, two on 64-bit;
// the program's own system folder first.
std::vector<std::string> ShellextFolders();
// The same folders by the names the user and the restart processing know them by.
std::vector<std::string> KnownShellextFolders();
std::vector<REGSAM> RegistryViews();
// The view of the system's own bitness, where the list of installed programs looks.
REGSAM NativeView();
// The extension's path as a view's class names it: the INF file's system folder of that
// view's bitness.
std::string ExtensionRegisteredIn(REGSAM view);

// The product's keys, files, the approval of its class, the maker's key, the restart-time
// deletions (PendingFileRenameOperations and wininit.ini) and the Wine version settings of
// a program named vmxinst.exe: removed or saved when the guard is made, and removed or put
// back when it goes. Tests that use it run alone (RUN_SERIAL).
class ProductStateGuard {
public:
    ProductStateGuard();
    ~ProductStateGuard();
    ProductStateGuard(const ProductStateGuard&) = delete;
    ProductStateGuard& operator=(const ProductStateGuard&) = delete;

private:
    void RemoveProductState();
    bool shellextExisted_;
    bool approvedExisted_;
    bool pendingExisted_;
    std::string pendingData_;
    bool wininitExisted_;
    std::string wininitBytes_;
};

// The package as a user unpacks it: vmxtool.inf, vmxtool.txt and the built vmxinst.exe,
// vmxtool.dll, vmxtool.exe and their 64-bit builds vmxinst64.exe, vmxtool64.dll and
// vmxtool64.exe in a
// folder whose name has spaces, below the temporary folder or, for the Windows 95 family's
// installer, whose command line is short, below C:\.
class InstallSource {
public:
    enum Place { InTemp, NearRoot };
    explicit InstallSource(Place place = InTemp);
    ~InstallSource();
    InstallSource(const InstallSource&) = delete;
    InstallSource& operator=(const InstallSource&) = delete;
    const std::string& Folder() const { return folder_; }
    std::string File(const std::string& name) const { return folder_ + "\\" + name; }

private:
    std::string base_;
    std::string folder_;
};

// Runs the INF file of the source with the system's installer, as an earlier installation
// did, and waits for its end: the native installer, or the 32-bit one when asked.
enum class Installer { Native, Bits32 };
void InstallWithInf(const InstallSource& source, Installer installer = Installer::Native);

class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::string& folder);
    ~ScopedCurrentDirectory();
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    std::string saved_;
};

// A key that may be read and deleted but not opened with full access, as where the user
// lacks the rights to change it. At scope exit full access comes back, so that cleaning up
// can remove it.
class LockedKey {
public:
    LockedKey(HKEY root, const std::string& path);
    ~LockedKey();
    LockedKey(const LockedKey&) = delete;
    LockedKey& operator=(const LockedKey&) = delete;

private:
    HKEY root_;
    std::string path_;
};

// A string value written for a scope and deleted at its end.
class ScopedStringValue {
public:
    ScopedStringValue(HKEY root, const std::string& key, const std::string& name,
                      const std::string& text);
    ~ScopedStringValue();
    ScopedStringValue(const ScopedStringValue&) = delete;
    ScopedStringValue& operator=(const ScopedStringValue&) = delete;

private:
    HKEY root_;
    std::string key_, name_;
};

// The names in PendingFileRenameOperations, source and target in turn, without the closing
// empty name; empty when the value is absent.
std::vector<std::string> PendingRenames();
bool PendingRenamesPresent();


}  // namespace flowtest
