// One object's COM reference count. Both steps are interlocked, and the caller of Release
// decides about destruction from the value its own decrement returned: reading the count
// again afterwards would race with a Release on another thread.
#pragma once

#include <windows.h>

inline ULONG IncrementReferences(ULONG& count) {
    return static_cast<ULONG>(InterlockedIncrement(reinterpret_cast<volatile LONG*>(&count)));
}

inline ULONG DecrementReferences(ULONG& count) {
    return static_cast<ULONG>(InterlockedDecrement(reinterpret_cast<volatile LONG*>(&count)));
}
