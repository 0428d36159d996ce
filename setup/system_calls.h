// The Windows calls that tests must be able to script: the message boxes (nobody answers
// them under test), the fixed pauses, the registry flush, opening the readme, the restart
// request, the polls of the INF installer, the file calls whose failures cannot be made
// for real (a short write, a replace that the system does not offer), and what Wine cannot
// be made to answer: the token's elevation, the desktop shell of the unelevated user, the
// machine that Windows runs on, and Windows 11's package registration. The program calls them only through this table, which
// starts out holding the real functions.
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
    DWORD (*ElevationType)();                // TOKEN_ELEVATION_TYPE, 0 when unknown
    BOOL (*OpenThroughDesktopShell)(const char* file);
    USHORT (*NativeMachine)();               // IMAGE_FILE_MACHINE_*
    // Windows 11's package registration, which Wine has none of: safe mode, a program run
    // as the desktop's user (its exit code), the package's removal.
    BOOL (*SafeMode)();
    DWORD (*RunAsDesktopUser)(const char* commandLine);
    HRESULT (*RemoveMenuPackage)(bool allUsers);
};

extern SetupSystemCalls SystemCalls;
