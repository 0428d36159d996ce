#include "system_calls.h"

ShellExtSystemCalls SystemCalls = {
    ::HeapAlloc,
    ::WinExec,
    ::WriteFile,
    ::GetModuleFileNameA,
    ::CreateFileA,
};
