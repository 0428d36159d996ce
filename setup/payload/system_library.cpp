#include "system_library.h"

std::string SystemLibraryPath(const char* name) {
    char folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return std::string(folder, length) + "\\" + name;
}

SystemLibrary::SystemLibrary(const char* name) {
    const std::string path = SystemLibraryPath(name);
    if (!path.empty()) module_ = LoadLibraryA(path.c_str());
}
