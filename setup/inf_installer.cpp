#include "inf_installer.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "ansi_path.h"
#include "environment.h"
#include "scoped_handle.h"
#include "system_calls.h"

namespace {

const char kInfName[] = "vmxtool.inf";
const char kInstallSection[] = "InstallHinfSection DefaultInstall 132 ";

// The program in a system folder, quoted, then its arguments.
std::string QuotedProgram(const std::string& folder, const char* program) {
    return "\"" + folder + "\\" + program + "\" ";
}

}  // namespace

std::string InfFullPath() {
    if (IsWindowsNT()) {
        // A folder that the code page cannot spell is named by its short form.
        const std::wstring folder = CurrentFolderWide();
        const std::string ansi = folder.empty() ? std::string() : AnsiPath(folder);
        if (!ansi.empty()) {
            const std::string path = ansi + "\\" + kInfName;
            return path.size() < MAX_PATH ? path : std::string();
        }
    }
    char path[MAX_PATH] = {};
    DWORD length = GetFullPathNameA(kInfName, MAX_PATH, path, nullptr);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return std::string(path, length);
}

bool InfFileExists(const std::string& path) {
    if (path.empty()) return false;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string BuildInstallCommand(const std::string& infPath) {
    if (IsWindowsNT())
        return QuotedProgram(FolderText(SystemDir), "rundll32.exe") + "setupapi.dll," + kInstallSection +
               infPath;

    char shortInfPath[MAX_PATH] = {};
    DWORD length = infPath.empty() ? 0 : GetShortPathNameA(infPath.c_str(), shortInfPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return QuotedProgram(FolderText(WindowsDir), "RUNDLL.EXE") + "setupx.dll," + kInstallSection +
           std::string(shortInfPath, length);
}

bool RunInfInstaller(const std::string& command) {
    if (command.empty()) return false;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    PROCESS_INFORMATION started = {};
    // rundll32 starts in the system folder: in the unpacked folder (Downloads, as a rule) a
    // DLL that it loads by name could be the user's. The Windows 95 family's installer starts
    // where it always did: nothing runs elevated there.
    const std::string systemFolder = IsWindowsNT() ? FolderText(SystemDir) : std::string();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                        nullptr, systemFolder.empty() ? nullptr : systemFolder.c_str(), &startup,
                        &started))
        return false;
    // Declared thread first: the process handle is closed first.
    ScopedHandle thread(started.hThread);
    ScopedHandle process(started.hProcess);
    while (SystemCalls.WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT)
        SystemCalls.Sleep(100);
    return true;
}
