// A system DLL loaded for a while by its full path in the system folder: a DLL of the same
// name in the program's folder or the current folder is never taken, whatever search
// order this Windows has.
#pragma once

#include <windows.h>

#include <string>

class SystemLibrary {
public:
    explicit SystemLibrary(const char* name);
    ~SystemLibrary() {
        if (module_) FreeLibrary(module_);
    }
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    template <class Fn>
    Fn Function(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_ = nullptr;
};

// <system folder>\<name>; empty when the system folder cannot be read.
std::string SystemLibraryPath(const char* name);
