// The Windows calls that tests must be able to script: the message boxes (nobody answers
// them under test), the fixed pauses, the registry flush, opening the readme, the restart
// request, the polls of the INF installer, and the file calls whose failures cannot be made
// for real (a short write, a replace that the system does not offer). The program calls
// them only through this table, which starts out holding the real functions.
#pragma once

// shellapi.h needs the definitions of windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

struct SetupSystemCalls {
    decltype(&::MessageBoxA) MessageBoxA;
    decltype(&::Sleep) Sleep;
    decltype(&::RegFlushKey) RegFlushKey;
    decltype(&::ShellExecuteA) ShellExecuteA;
    decltype(&::ExitWindowsEx) ExitWindowsEx;
    decltype(&::WriteFile) WriteFile;
    decltype(&::MoveFileExA) MoveFileExA;
    decltype(&::MoveFileA) MoveFileA;
    decltype(&::WaitForSingleObject) WaitForSingleObject;
};

extern SetupSystemCalls SystemCalls;
