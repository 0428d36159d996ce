#include "install.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "ansi_path.h"
#include "ask_user.h"
#include "disk_info_verbs.h"
#include "elevation.h"
#include "environment.h"
#include "exit_codes.h"
#include "inf_installer.h"
#include "install_check.h"
#include "leftovers.h"
#include "menu_registration.h"
#include "registration_removal.h"
#include "run_state.h"
#include "setup_texts.h"
#include "staged_package.h"
#include "system_calls.h"
#include "windows64.h"

namespace {

// goOn: what a quiet run answers in the user's place.
int Ask(const std::string& text, UINT style, int goOn = IDOK) {
    return AskUser(text, ProductDisplayName + Texts::InstallCaptionSuffix, style, goOn);
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

// Elevated, the readme opens through the user's own shell or not at all: whatever the
// user's .txt association starts (HKCU\Software\Classes) must not run with this program's
// rights.
void OpenReadme() {
    if (QuietRun()) return;
    const std::string readme =
        FolderText(SystemDir) + "\\shellext\\vmxtool.txt";
    if (RunsElevated()) {
        SystemCalls.OpenThroughDesktopShell(readme.c_str());
        return;
    }
    SystemCalls.ShellExecuteA(nullptr, nullptr, readme.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::string UntrustedPayloadText(const std::string& file) {
    return (IsJapaneseSystem() ? Texts::UntrustedPayloadJapanese : Texts::UntrustedPayloadFrench) +
           file;
}

}  // namespace

void RunInstall() {
    FillSystemFolders();
    bool diskInfoWanted = false;
    const std::string infPath = InfFullPath();
    // Elevated, nothing that the user's other programs can write is read from here on: the
    // package is copied and checked before the first box, and the installation works from
    // the copy in a folder that only administrators change.
    std::unique_ptr<StagedFolder> staged;
    std::string installedInf = infPath;
    if (StagesPayload()) {
        StagingOutcome outcome = StagePackage(CurrentFolderWide(), BuiltInShippedPackage());
        if (!outcome.folder) {
            const std::string package = infPath.substr(0, infPath.rfind('\\') + 1);
            Ask(UntrustedPayloadText(package + outcome.refused), MB_OK | MB_ICONERROR);
            NoteFailure(ExitCode::Failed, "not the file that was shipped: " + outcome.refused);
            NoteAskedRunFails();
            return;
        }
        staged = std::move(outcome.folder);
        installedInf = staged->File("vmxtool.inf");
    }
    // An extension of another machine's code would be installed where Explorer cannot
    // load it, and listed as installed: refuse before anything changes.
    if (!PackageServesThisMachine()) {
        Ask(UnservedMachineText(), MB_OK | MB_ICONERROR);
        NoteFailure(ExitCode::MachineNotServed);
        return;
    }

    if (!InfFileExists(installedInf)) {
        Ask(MissingInfText(infPath), MB_OK | MB_ICONERROR);
        NoteFailure(ExitCode::Failed);
        return;
    }
    if (Ask(StartConfirmationText(), MB_OKCANCEL | MB_ICONINFORMATION) == IDCANCEL) return;
    const char* offer =
        IsJapaneseSystem() ? Texts::DiskInfoOfferJapanese : Texts::DiskInfoOfferFrench;
    if (Ask(offer, MB_OKCANCEL | MB_ICONINFORMATION, DiskInfoAsked() ? IDOK : IDCANCEL) == IDOK)
        diskInfoWanted = true;

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
    ForgetEarlierMenuCertificate();
    const std::string command = BuildInstallCommand(installedInf);
    if (!RunInfInstaller(command)) {
        NoteFailure(ExitCode::Failed, "the INF installer could not be started: " + command);
        return;
    }
    // The installer's own errors are its to show; what it did is checked for the log and
    // a quiet run's exit code.
    const std::string missing = MissingAfterInstall();
    if (!missing.empty()) NoteFailure(ExitCode::Failed, missing);
    RegisterMenuCommand();
    OpenReadme();
}
