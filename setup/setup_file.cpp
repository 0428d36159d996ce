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
    std::vector<std::string> files;
    for (const std::string& folder : ProductFolders()) files.push_back(folder + "\\vmxinst.exe");
    return files;
}
