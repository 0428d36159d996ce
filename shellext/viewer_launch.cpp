#include "viewer_launch.h"

#include "ansi_name.h"
#include "list_file.h"
#include "system_calls.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const char kViewerFileName[] = "vmxtool.exe";

// The viewer lies beside this DLL. It is started by its full path: a bare or relative name
// would go through the program search, which looks in the host's current folder first,
// and that can be any folder the user browsed to.
bool FindViewer(char (&viewer)[MAX_PATH]) {
    char module[MAX_PATH];
    DWORD n = SystemCalls.GetModuleFileNameA(reinterpret_cast<HMODULE>(&__ImageBase), module,
                                             MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    DWORD folderEnd = n;
    while (folderEnd > 0 && module[folderEnd - 1] != '\\' && module[folderEnd - 1] != '/')
        --folderEnd;
    if (folderEnd == 0 || folderEnd + sizeof kViewerFileName > MAX_PATH) return false;
    CopyMemory(viewer, module, folderEnd);
    CopyMemory(viewer + folderEnd, kViewerFileName, sizeof kViewerFileName);
    return true;
}

}  // namespace

HRESULT LaunchViewer(const char* lastPath, char* const* selectedPaths, int selectedCount) {
    char viewer[MAX_PATH];
    if (!FindViewer(viewer)) return S_OK;

    // Three quoted paths of at most 259 characters and the switch: well within wsprintfA's
    // 1024-character limit, so the line is never cut short.
    char commandLine[1024];
    if (selectedCount == 1) {
        wsprintfA(commandLine, "\"%s\" \"%s\"", viewer, lastPath);
        SystemCalls.WinExec(commandLine, SW_SHOW);
        return S_OK;
    }

    char tempFolder[MAX_PATH + 1];
    if (!TempFolderAnsi(tempFolder)) return S_OK;
    char listName[MAX_PATH];
    if (GetTempFileNameA(tempFolder, "VM", 0, listName) == 0) return S_OK;

    WriteListFile(listName, selectedPaths, selectedCount);
    wsprintfA(commandLine, "\"%s\" \"%s\" /f \"%s\"", viewer, lastPath, listName);
    SystemCalls.WinExec(commandLine, SW_SHOW);
    return S_OK;
}
