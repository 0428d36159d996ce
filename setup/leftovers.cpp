#include "leftovers.h"

#include <windows.h>

#include "environment.h"
#include "menu_folder.h"
#include "pending_renames.h"
#include "restart_delete.h"
#include "run_state.h"
#include "system_calls.h"
#include "windows64.h"

const char* const kProductFiles[6] = {"vmxtool.exe", "vmxtool.dll",  "vmxtool.txt",
                                     "vmxmenu.dll", "vmxmenu.msix", "vmxmenu.cer"};

void RemoveAtRestart(const std::string& knownPath) {
    if (IsWindowsNT())
        SystemCalls.MoveFileExA(knownPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    else
        ScheduleDeleteAtRestart(knownPath);
}

bool StillThere(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

void KeepProductAtRestart() {
    std::vector<std::string> paths;
    for (const std::string& folder : ProductFolders()) {
        for (const char* name : kProductFiles) paths.push_back(folder + "\\" + name);
        paths.push_back(folder + "\\vmxinst.exe");
        paths.push_back(folder);
    }
    // The menu command's folder lies in the native Shellext folder, which goes after it.
    const std::vector<std::string> menu = MenuFolderPaths();
    paths.insert(paths.begin(), menu.begin(), menu.end());
    if (IsWindowsNT()) {
        CancelPendingRestartDeletes(paths);
        return;
    }
    CancelPendingSelfDelete();
    CancelScheduledDeletes(paths);
}

void MoveAsideFilesInUse() {
    if (!IsWindowsNT()) return;
    std::vector<std::string> files;
    for (const std::string& folder : ProductFolders())
        for (const char* name : {"vmxtool.dll", "vmxtool.exe", "vmxmenu.dll"})
            files.push_back(folder + "\\" + name);
    if (RunsOn64BitWindows())
        for (const char* name : {"vmxmenu.dll", "vmxtool.exe"}) files.push_back(MenuFile(name));
    for (const std::string& file : files) {
        const std::string folder = file.substr(0, file.rfind('\\'));
        // Opening for writing without sharing fails for a loaded DLL or running program,
        // exactly as the INF installer's copy over it would.
        HANDLE open = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (open != INVALID_HANDLE_VALUE) {
            CloseHandle(open);
            continue;
        }
        if (!StillThere(file)) continue;
        // A name of its own in the same folder: a loaded file can be renamed there.
        char aside[MAX_PATH] = {};
        if (!GetTempFileNameA(folder.c_str(), "vmx", 0, aside)) continue;
        if (!SystemCalls.MoveFileExA(file.c_str(), aside, MOVEFILE_REPLACE_EXISTING)) {
            DeleteFileA(aside);
            continue;
        }
        if (DeleteFileA(aside)) continue;
        RemoveAtRestart(aside);
        NoteLeftForRestart(aside, LeftForRestart::ProductFile);
    }
}
