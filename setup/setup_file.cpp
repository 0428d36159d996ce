#include "setup_file.h"

#include <windows.h>

#include "environment.h"
#include "windows64.h"

namespace {

const char kSetupFileInSystemDir[] = "\\Shellext\\vmxinst.exe";

}  // namespace

std::string SetupFilePath() {
    return FolderText(SystemDir) + kSetupFileInSystemDir;
}

std::vector<std::string> SetupFilesAtRestart() {
    if (!RunsOn64BitWindows()) return {SetupFilePath()};
    const std::string wow64 = Wow64SystemFolder();
    if (wow64.empty()) return {SetupFilePath()};
    return {wow64 + kSetupFileInSystemDir, SetupFilePath()};
}
