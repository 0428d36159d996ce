#include "uninstall.h"

#include <windows.h>

#include "ask_user.h"
#include "delete_with_retry.h"
#include "environment.h"
#include "leftovers.h"
#include "menu_folder.h"
#include "menu_registration.h"
#include "registration_removal.h"
#include "registry.h"
#include "run_state.h"
#include "setup_file.h"
#include "setup_texts.h"
#include "system_calls.h"
#include "windows64.h"

namespace {

const char kUninstallEntry[] = "SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelluMax";
const char kApprovedExtensions[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const char kClassId[] = "{0b95b7e0-c8b9-11cf-8f59-444553540000}";
const char kMakerKey[] = "Software\\Caldwyn";

bool Confirmed() {
    const std::string caption = ProductDisplayName + Texts::UninstallQuestionCaptionSuffix;
    const std::string text = IsJapaneseSystem()
                                 ? ProductDisplayName + Texts::UninstallConfirmationJapaneseAfter
                                 : Texts::UninstallConfirmationFrenchBefore + ProductDisplayName +
                                       Texts::UninstallConfirmationFrenchAfter;
    return AskUser(text, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, IDYES) != IDNO;
}

// The entry in the list of installed programs, the INF file's approval of the class, the
// user's settings, and the maker's key when nothing else is left in it.
void RemoveProductKeys() {
    // The entry and the approval live in each registry view of their own.
    for (REGSAM view : ProductRegistryViews()) {
        TRegistry registry;
        registry.View = view;
        registry.SelectRoot(HKEY_LOCAL_MACHINE);
        registry.RemoveTree(kUninstallEntry);
        if (registry.OpenPath(kApprovedExtensions, false)) {
            // Only the product's value: the list belongs to the shell.
            RegDeleteValueA(registry.CurrentHandle, kClassId);
            registry.ClosePath();
        }
    }

    TRegistry registry;
    registry.SelectRoot(HKEY_CURRENT_USER);
    registry.RemoveTree("Software\\Caldwyn\\Vellumax\\lastModified");
    registry.RemoveTree("Software\\Caldwyn\\Vellumax\\setting");
    registry.RemoveTree("Software\\Caldwyn\\Vellumax");

    // Opened with creation so that an absent key is seen as empty and goes again. A key
    // that can be neither opened nor created cannot be looked into: it stays, whatever it
    // holds. Closed before the removal, so that the path resolves against the root.
    if (registry.OpenPath(kMakerKey, true) && !registry.HasChildKeys()) {
        registry.ClosePath();
        registry.RemoveTree(kMakerKey);
    }
}

void Report(const std::string& setupFile) {
    const bool japanese = IsJapaneseSystem();
    std::string text =
        japanese
            ? Texts::UninstallReportJapaneseBefore + setupFile + Texts::UninstallReportJapaneseAfter
            : Texts::UninstallReportFrenchBefore + setupFile + Texts::UninstallReportFrenchAfter;
    const std::string caption = ProductDisplayName + Texts::UninstallReportCaptionSuffix;
    if (IsWindowsNT()) {
        AskUser(text, caption, MB_OK | MB_ICONQUESTION, IDOK);
        return;
    }
    text += "\r\r";
    text += japanese ? Texts::RestartQuestionJapanese : Texts::RestartQuestionFrench;
    // A quiet run never restarts Windows.
    if (AskUser(text, caption, MB_YESNO | MB_ICONQUESTION, IDNO) != IDYES) return;
    if (!SystemCalls.ExitWindowsEx(EWX_REBOOT, 0))
        AskUser(Texts::RestartRefused, ProductDisplayName, MB_OK, IDOK);
}

}  // namespace

void RunUninstall() {
    FillSystemFolders();
    if (!Confirmed()) return;

    RemoveDiskInfoVerbs();
    RemoveShellExtensionRegistration();
    UnregisterMenuCommand();
    RemoveProductKeys();
    SystemCalls.RegFlushKey(HKEY_CLASSES_ROOT);
    SystemCalls.RegFlushKey(HKEY_LOCAL_MACHINE);
    SystemCalls.RegFlushKey(HKEY_CURRENT_USER);
    SystemCalls.Sleep(3000);

    // A file that stays (held by Explorer or a viewer, or given up in the box) goes at the
    // next start of Windows.
    const std::vector<std::string> folders = ProductFolders();
    for (const std::string& folder : folders)
        for (const char* name : kProductFiles) {
            const std::string file = folder + "\\" + name;
            DeleteFileWithRetry(file);
            if (StillThere(file)) {
                RemoveAtRestart(file);
                NoteLeftForRestart(file, LeftForRestart::ProductFile);
            }
        }

    // The running program cannot delete its own file; the next start of Windows does.
    const std::string setupFile = SetupFilePath();
    for (const std::string& file : SetupFilesAtRestart()) {
        RemoveAtRestart(file);
        NoteLeftForRestart(file, LeftForRestart::SetupProgram);
    }
    // The menu command's folder before the Shellext folder that holds it.
    RemoveMenuFolder();
    // Then the folders, emptied by then; a folder that still holds another product's files
    // stays. The Windows 95 family cannot remove a folder at its start.
    if (IsWindowsNT())
        for (const std::string& folder : folders)
            if (StillThere(folder)) {
                RemoveAtRestart(folder);
                NoteLeftForRestart(folder, LeftForRestart::Folder);
            }
    Report(setupFile);
}
