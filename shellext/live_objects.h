// The DLL-wide count of live factories and handlers: the shell may unload the DLL only
// when it is 0. Objects on any thread change it, so it changes only by interlocked steps.
#pragma once

#include <windows.h>

extern LONG LiveObjectCount;

inline void ObjectConstructed() {
    InterlockedIncrement(&LiveObjectCount);
}
inline void ObjectDestroyed() {
    InterlockedDecrement(&LiveObjectCount);
}
inline bool AnyObjectAlive() {
    return InterlockedCompareExchange(&LiveObjectCount, 0, 0) != 0;
}
