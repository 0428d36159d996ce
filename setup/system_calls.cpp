#include "system_calls.h"

SetupSystemCalls SystemCalls = {
    ::MessageBoxA, ::Sleep,       ::RegFlushKey, ::ShellExecuteA,       ::ExitWindowsEx,
    ::WriteFile,   ::MoveFileExA, ::MoveFileA,   ::WaitForSingleObject,
};
