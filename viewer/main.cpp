// vmxtool.exe: shows the items the context menu was used on, or a volume's disk
// information, in the system's language (Japanese or French).
#include <windows.h>
// After windows.h, whose types it uses.
#include <commctrl.h>

#include "command_line.h"
#include "disk_window.h"
#include "items_window.h"
#include "language.h"
#include "start_trace.h"
#include "system_dll_search.h"
#include "viewer_session.h"

namespace {

// The common controls are loaded here, from the system (the manifest's version 6 where
// Windows keeps it), not imported: an import is resolved before the program runs, and its
// own imports (uxtheme.dll) would then be looked for in the program's folder first.
void InitCommonControlsFromSystem() {
    HMODULE controlsLibrary = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!controlsLibrary) {
        // Systems without that flag: the system folder's copy, by its full path.
        wchar_t path[MAX_PATH + 16] = {};
        UINT length = GetSystemDirectoryW(path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return;
        lstrcatW(path, L"\\comctl32.dll");
        controlsLibrary = LoadLibraryW(path);
    }
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = controlsLibrary ? reinterpret_cast<InitFn>(reinterpret_cast<void (*)()>(
                                      GetProcAddress(controlsLibrary, "InitCommonControlsEx")))
                                : nullptr;
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    if (init) init(&controls);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    // Started by Explorer from the system folder, with Explorer's current folder: what
    // Windows loads by name comes from System32 only.
    RestrictDllSearchToSystemFolder();
    InitCommonControlsFromSystem();

    TraceStart("command", GetCommandLineA());
    const ViewerTexts& texts = SystemTexts();
    ViewerStart start = PrepareViewer(SkipProgramName(GetCommandLineA()), texts);
    switch (start.show) {
        case ViewerShow::Items:
            return RunItemsWindow(instance, start, texts, IsJapaneseSystem(), show);
        case ViewerShow::Disk:
            return RunDiskWindow(instance, start, texts, show);
        case ViewerShow::Nothing:
            break;
    }
    return start.exitCode;
}
