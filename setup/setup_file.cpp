#include "setup_file.h"

#include <windows.h>

#include "environment.h"
#include "windows64.h"

namespace {

const char kSetupFileInSystemDir[] = "\\Shellext\\vmxinst.exe";

}  // namespace

std::string RunningProgramFile() {
    char own[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(own, length) : std::string();
}

std::string SetupFilePath() {
    return FolderText(SystemDir) + kSetupFileInSystemDir;
}

std::vector<std::string> SetupFilesAtRestart() {
    std::vector<std::string> files;
    for (const std::string& folder : ProductFolders()) files.push_back(folder + "\\vmxinst.exe");
    return files;
}
