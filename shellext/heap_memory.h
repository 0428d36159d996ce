// Every object and path string of the DLL lives on the process heap and is allocated
// through the system-call table, so that a failing allocation can be made on purpose.
// Nothing here throws: a failed allocation is a null pointer.
#pragma once

#include <windows.h>

#include <cstddef>

#include "system_calls.h"

inline void* AllocateBytes(std::size_t size) {
    return SystemCalls.HeapAlloc(GetProcessHeap(), 0, size);
}

inline void FreeBytes(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}
