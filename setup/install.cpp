#include "install.h"

#include <windows.h>

#include <cstring>

#include "disk_info_verbs.h"
#include "environment.h"
#include "inf_installer.h"
#include "pending_renames.h"
#include "registration_removal.h"
#include "restart_delete.h"
#include "setup_file.h"
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

// An uninstallation before this installation left the setup program's file to be deleted
// at the next restart; that would take the file that the INF file is about to copy.
void CancelSetupFileDeletion() {
    if (IsWindowsNT())
        for (const std::string& file : SetupFilesAtRestart()) CancelPendingRestartDelete(file);
    else
        CancelPendingSelfDelete();
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

    CancelSetupFileDeletion();
    if (!RunInfInstaller(BuildInstallCommand())) return;
    OpenReadme();
}
