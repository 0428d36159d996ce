#include "dll_search.h"

#include <windows.h>

#include "environment.h"
#include "system_function.h"

void RestrictDllSearch() {
    if (!IsWindowsNT()) return;
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    using SetSearchPathModeFn = BOOL(WINAPI*)(DWORD);
    auto setDefault =
        SystemFunction<SetDefaultDllDirectoriesFn>("kernel32.dll", "SetDefaultDllDirectories");
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        auto setDllDirectory = SystemFunction<SetDllDirectoryFn>("kernel32.dll", "SetDllDirectoryA");
        if (setDllDirectory) setDllDirectory("");
    }
    auto setSearchPathMode = SystemFunction<SetSearchPathModeFn>("kernel32.dll", "SetSearchPathMode");
    if (setSearchPathMode)
        setSearchPathMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}
