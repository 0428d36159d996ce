// Both programs run with rights that a planted DLL must not get: the setup program
// elevated, the viewer started by Explorer. Windows loads some DLLs by name on demand
// (themes, shell helpers), and that search began in the program's own folder. This makes
// every such load come from System32, and program searches skip the current folder.
// Each function is looked up: systems before XP SP1 have none of them.
#pragma once

#include <windows.h>

inline void RestrictDllSearchToSystemFolder() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    auto lookUp = [kernel](const char* name) {
        return reinterpret_cast<void (*)()>(GetProcAddress(kernel, name));
    };
    using FlagsFn = BOOL(WINAPI*)(DWORD);
    using FolderFn = BOOL(WINAPI*)(LPCSTR);
    auto setDefault = reinterpret_cast<FlagsFn>(lookUp("SetDefaultDllDirectories"));
    if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        // Without it, at least the current folder leaves the search.
        auto setDllDirectory = reinterpret_cast<FolderFn>(lookUp("SetDllDirectoryA"));
        if (setDllDirectory) setDllDirectory("");
    }
    auto setSearchPathMode = reinterpret_cast<FlagsFn>(lookUp("SetSearchPathMode"));
    if (setSearchPathMode)
        setSearchPathMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}
