#include "setup_file.h"

#include <windows.h>

#include "ansi_path.h"
#include "environment.h"
#include "windows64.h"

namespace {

const char kSetupFileInSystemDir[] = "\\Shellext\\vmxinst.exe";

}  // namespace

std::string RunningProgramFile() {
    const std::wstring wide = RunningProgramFileWide();
    // Started from a folder that the code page cannot spell: its short name.
    if (!wide.empty()) return AnsiPath(wide);
    char own[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(own, length) : std::string();
}

std::wstring RunningProgramFileWide() {
    if (!IsWindowsNT()) return std::wstring();
    wchar_t own[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(own, length) : std::wstring();
}

std::string SetupFilePath() {
    return FolderText(SystemDir) + kSetupFileInSystemDir;
}

std::vector<std::string> SetupFilesAtRestart() {
    std::vector<std::string> files;
    for (const std::string& folder : ProductFolders()) files.push_back(folder + "\\vmxinst.exe");
    return files;
}
