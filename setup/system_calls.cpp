#include "system_calls.h"

#include "elevation.h"
#include "windows64.h"

SetupSystemCalls SystemCalls = {
    ::MessageBoxA,         ::Sleep,     ::RegFlushKey,           ::ShellExecuteA,
    ::ExitWindowsEx,       ::WriteFile, ::MoveFileExA,           ::MoveFileA,
    ::WaitForSingleObject, &CurrentElevationType, &OpenThroughDesktopShell, &QueryNativeMachine,
};
