#include "native_setup.h"

#include <windows.h>

#include "ansi_path.h"
#include "child_setup.h"
#include "command_line.h"
#include "environment.h"
#include "exit_codes.h"
#include "refusal_report.h"
#include "run_options.h"
#include "scoped_handle.h"
#include "setup_file.h"
#include "setup_texts.h"
#include "staged_package.h"
#include "system_calls.h"
#include "windows64.h"

namespace {

constexpr bool kIs64BitProgram = sizeof(void*) == 8;
const char kInstalledName[] = "\\Shellext\\vmxinst.exe";

std::string FolderOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool SameFolder(const std::string& a, const std::string& b) {
    return !a.empty() && !b.empty() &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
               CSTR_EQUAL;
}

// Reads the machine from the file's PE header: a planted or damaged file, or the 32-bit
// program under the 64-bit one's name, would otherwise start, or start this one again.
bool IsX64Program(const std::string& path) {
    ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    IMAGE_DOS_HEADER dos = {};
    DWORD read = 0;
    if (!ReadFile(file.Get(), &dos, sizeof dos, &read, nullptr) || read != sizeof dos ||
        dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0)
        return false;
    struct {
        DWORD signature;
        IMAGE_FILE_HEADER header;
    } nt = {};
    if (SetFilePointer(file.Get(), dos.e_lfanew, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !ReadFile(file.Get(), &nt, sizeof nt, &read, nullptr) || read != sizeof nt)
        return false;
    return nt.signature == IMAGE_NT_SIGNATURE && nt.header.Machine == IMAGE_FILE_MACHINE_AMD64;
}

int ReportMissing(const NativeSetup& program, const RunOptions& options) {
    return ReportRefusal(Texts::NativeSetupMissingFrench, Texts::NativeSetupMissingJapanese,
                         program.known, options);
}

// Elevated, the 64-bit program is started from a copy, checked against this program's
// table, in a folder that only administrators can change; it stages the rest of the
// package itself, from the current folder, before its first box. The installed copy
// already lies in such a folder.
int RunStagedNativeSetup(const NativeSetup& program, const std::wstring& packageFolder,
                         const char* commandLine, const RunOptions& options) {
    if (!IsX64Program(program.reached)) return ReportMissing(program, options);
    const ShippedPackage shipped = BuiltInShippedPackage();
    ShippedPackage setup64;
    setup64.publisherKey = shipped.publisherKey;
    if (const ShippedFile* file = shipped.Find("vmxinst64.exe")) setup64.files.push_back(*file);
    const StagingOutcome staged = StagePackage(packageFolder, setup64);
    if (!staged.folder)
        return ReportRefusal(Texts::UntrustedPayloadFrench, Texts::UntrustedPayloadJapanese,
                             FolderOf(program.known) + "\\" + staged.refused, options);
    const std::string copy = staged.folder->File("vmxinst64.exe");
    if (GetFileAttributesA(copy.c_str()) == INVALID_FILE_ATTRIBUTES) return ReportMissing(program, options);
    return RunNativeSetup({copy, program.known}, commandLine, options);
}

}  // namespace

bool HandsOverTo64BitSetup() {
    return !kIs64BitProgram && IsWindowsNT() && RunsUnderWow64() &&
           SystemCalls.NativeMachine() == IMAGE_FILE_MACHINE_AMD64;
}

NativeSetup NativeSetupFor(const std::string& ownPath, const std::string& systemFolder,
                           const std::string& wow64Folder) {
    const std::string folder = FolderOf(ownPath);
    if (SameFolder(folder, wow64Folder + "\\Shellext") ||
        SameFolder(folder, systemFolder + "\\Shellext")) {
        // The system folder's parent is the machine's Windows folder, also on a terminal
        // server where GetWindowsDirectoryA gives the user's own.
        return {FolderOf(systemFolder) + "\\Sysnative" + kInstalledName, systemFolder + kInstalledName};
    }
    const std::string beside = folder + "\\vmxinst64.exe";
    return {beside, beside};
}

int RunNativeSetup(const NativeSetup& program, const char* commandLine, const RunOptions& options) {
    if (!IsX64Program(program.reached)) return ReportMissing(program, options);
    DWORD exitCode = 1;
    if (!RunChildSetup(program.reached, commandLine, nullptr, exitCode))
        return ReportMissing(program, options);
    return static_cast<int>(exitCode);
}

int HandOverTo64BitSetup(const char* commandLine, const RunOptions& options) {
    FillSystemFolders();
    const std::string ownPath = RunningProgramFile();
    const NativeSetup program = NativeSetupFor(ownPath, FolderText(SystemDir), Wow64SystemFolder());
    if (!StagesPayload() || !SameFolder(FolderOf(program.reached), FolderOf(ownPath)))
        return RunNativeSetup(program, commandLine, options);
    const std::wstring package = WideFolderOf(RunningProgramFileWide());
    return RunReportingErrors(options, [&] {
        return RunStagedNativeSetup(program, package, commandLine, options);
    });
}
