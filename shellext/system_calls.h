// The few Windows calls that tests must be able to script: allocation (to make it fail),
// starting the viewer, and writing the list file (to make a write come up short). The DLL
// calls them only through this table; it starts out holding the real functions.
#pragma once

#include <windows.h>

struct ShellExtSystemCalls {
    decltype(&::HeapAlloc) HeapAlloc;
    decltype(&::WinExec) WinExec;
    decltype(&::WriteFile) WriteFile;
    decltype(&::GetModuleFileNameA) GetModuleFileNameA;
};

extern ShellExtSystemCalls SystemCalls;
