#include "install.h"

#include <windows.h>

#include <cstring>

#include "disk_info_verbs.h"
#include "environment.h"
#include "inf_installer.h"
#include "leftovers.h"
#include "registration_removal.h"
#include "setup_texts.h"
#include "system_calls.h"

namespace {

int Ask(const std::string& text, UINT style) {
    const std::string caption = ProductDisplayName + Texts::InstallCaptionSuffix;
    return SystemCalls.MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
}

std::string MissingInfText(const std::string& infPath) {
    const char* intro = IsJapaneseSystem() ? Texts::MissingInfJapanese : Texts::MissingInfFrench;
    // A full path too long to expand is reported by the name that was looked for.
    return intro + (infPath.empty() ? std::string("vmxtool.inf") : infPath);
}

std::string StartConfirmationText() {
    if (IsJapaneseSystem()) return ProductDisplayName + Texts::StartConfirmationJapaneseAfter;
    return Texts::StartConfirmationFrenchBefore + ProductDisplayName +
           Texts::StartConfirmationFrenchAfter;
}

void OpenReadme() {
    const std::string readme =
        FolderText(SystemDir) + "\\shellext\\vmxtool.txt";
    SystemCalls.ShellExecuteA(nullptr, nullptr, readme.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void RunInstall() {
    FillSystemFolders();
    bool diskInfoWanted = false;

    const std::string infPath = InfFullPath();
    if (!InfFileExists(infPath)) {
        Ask(MissingInfText(infPath), MB_OK | MB_ICONERROR);
        return;
    }
    if (Ask(StartConfirmationText(), MB_OKCANCEL | MB_ICONINFORMATION) == IDCANCEL) return;
    const char* offer =
        IsJapaneseSystem() ? Texts::DiskInfoOfferJapanese : Texts::DiskInfoOfferFrench;
    if (Ask(offer, MB_OKCANCEL | MB_ICONINFORMATION) == IDOK) diskInfoWanted = true;

    RemoveFolderVerb();
    if (diskInfoWanted)
        WriteDiskInfoVerbs();
    else
        RemoveDiskInfoVerbs();
    RemoveShellExtensionRegistration();

    // An uninstallation before this one left files and folders to the next restart, which
    // would take what the INF file is about to copy; a file in use would not be replaced.
    KeepProductAtRestart();
    MoveAsideFilesInUse();
    if (!RunInfInstaller(BuildInstallCommand())) return;
    OpenReadme();
}
