#include "install.h"

#include <windows.h>

#include <cstring>

#include "disk_info_verbs.h"
#include "elevation.h"
#include "environment.h"
#include "inf_installer.h"
#include "leftovers.h"
#include "registration_removal.h"
#include "setup_texts.h"
#include "system_calls.h"
#include "windows64.h"

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

std::string UnservedMachineText() {
    if (IsJapaneseSystem()) return ProductDisplayName + Texts::UnservedMachineJapaneseAfter;
    return Texts::UnservedMachineFrenchBefore + ProductDisplayName + Texts::UnservedMachineFrenchAfter;
}

std::string StartConfirmationText() {
    if (IsJapaneseSystem()) return ProductDisplayName + Texts::StartConfirmationJapaneseAfter;
    return Texts::StartConfirmationFrenchBefore + ProductDisplayName +
           Texts::StartConfirmationFrenchAfter;
}

// Elevated, the readme opens through the user's own shell: whatever the user's .txt
// association starts must not run with this program's rights.
void OpenReadme() {
    const std::string readme =
        FolderText(SystemDir) + "\\shellext\\vmxtool.txt";
    if (RunsElevated() && SystemCalls.OpenThroughDesktopShell(readme.c_str())) return;
    SystemCalls.ShellExecuteA(nullptr, nullptr, readme.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

void RunInstall() {
    FillSystemFolders();
    bool diskInfoWanted = false;
    // An extension of another machine's code would be installed where Explorer cannot
    // load it, and listed as installed: refuse before anything changes.
    if (!PackageServesThisMachine()) {
        Ask(UnservedMachineText(), MB_OK | MB_ICONERROR);
        return;
    }

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
