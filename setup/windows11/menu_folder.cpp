#include "menu_folder.h"

#include <windows.h>

#include "environment.h"
#include "leftovers.h"
#include "run_state.h"
#include "trusted_people.h"
#include "windows64.h"

const char* const kMenuFolderFiles[5] = {"vmxmenu.dll", "vmxtool.exe", "vmxmenu.msix",
                                         "vmxmenu.cer", "vmxmenu.png"};

namespace {

std::string Shellext() {
    return FolderText(SystemDir) + "\\Shellext";
}

void DeleteNowOrAtRestart(const std::string& file) {
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(file.c_str()) || !StillThere(file)) return;
    RemoveAtRestart(file);
    NoteLeftForRestart(file, LeftForRestart::ProductFile);
}

// Everything below the folder, whatever its name: the package manager may leave files
// there that the INF file never copied.
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteNowOrAtRestart(path);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    if (RemoveDirectoryA(folder.c_str()) || !StillThere(folder)) return;
    RemoveAtRestart(folder);
    NoteLeftForRestart(folder, LeftForRestart::Folder);
}

}  // namespace

std::string MenuFolder() {
    return Shellext() + "\\vmxmenu";
}

std::string MenuFile(const char* name) {
    return MenuFolder() + "\\" + name;
}

std::vector<std::string> MenuFolderPaths() {
    std::vector<std::string> paths;
    if (!RunsOn64BitWindows()) return paths;
    for (const char* name : kMenuFolderFiles) paths.push_back(MenuFile(name));
    paths.push_back(MenuFolder());
    return paths;
}

void RemoveMenuFolder() {
    if (!RunsOn64BitWindows() || !StillThere(MenuFolder())) return;
    RemoveTree(MenuFolder());
}

void RetireEarlierMenuLayout() {
    if (!RunsOn64BitWindows()) return;
    const std::string certificate = Shellext() + "\\vmxmenu.cer";
    if (StillThere(certificate)) ForgetCertificateFile(certificate);
    for (const char* name : {"vmxmenu.dll", "vmxmenu.msix", "vmxmenu.cer"}) {
        const std::string file = Shellext() + "\\" + name;
        if (StillThere(file)) DeleteNowOrAtRestart(file);
    }
}
