// Windows functions that the Windows 95 family or older NT versions lack: looked up at run
// time, since a static import would keep the program from starting there at all.
#pragma once

#include <windows.h>

template <class Fn>
Fn SystemFunction(const char* module, const char* name) {
    HMODULE handle = GetModuleHandleA(module);
    if (!handle) return nullptr;
    // Through void (*)() so that the compiler accepts the change of function type.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(handle, name)));
}
