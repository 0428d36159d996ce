// The few Windows calls that tests must be able to script: allocation (to make it fail),
// starting the viewer, and opening and writing the list file (to make the open fail or a
// write come up short). The DLL calls them only through this table; it starts out holding
// the real functions.
#pragma once

#include <windows.h>

struct ShellExtSystemCalls {
    decltype(&::HeapAlloc) HeapAlloc;
    decltype(&::WinExec) WinExec;
    decltype(&::WriteFile) WriteFile;
    decltype(&::GetModuleFileNameA) GetModuleFileNameA;
    decltype(&::CreateFileA) CreateFileA;
};

extern ShellExtSystemCalls SystemCalls;
