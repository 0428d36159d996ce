#include "setup_file.h"

#include <windows.h>

#include <cstring>

#include "environment.h"

namespace {

const char kSetupFileInSystemDir[] = "\\Shellext\\vmxinst.exe";

// Both functions are looked up at run time: the Windows 95 family and older NT versions do
// not have them, and a static import would keep the program from starting there at all.
template <class Fn>
Fn Kernel32Function(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return nullptr;
    // Through void (*)() so that the compiler accepts the change of function type.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)));
}

}  // namespace

std::string SetupFilePath() {
    return std::string(SystemDir, strnlen(SystemDir, MAX_PATH)) + kSetupFileInSystemDir;
}

bool RunsUnderWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64Process = Kernel32Function<IsWow64ProcessFn>("IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string SetupFileAtRestart() {
    if (!RunsUnderWow64()) return SetupFilePath();
    using GetSystemWow64DirectoryFn = UINT(WINAPI*)(LPSTR, UINT);
    auto getWow64Directory =
        Kernel32Function<GetSystemWow64DirectoryFn>("GetSystemWow64DirectoryA");
    char folder[MAX_PATH] = {};
    UINT length = getWow64Directory ? getWow64Directory(folder, MAX_PATH) : 0;
    if (length == 0 || length >= MAX_PATH) return SetupFilePath();
    return std::string(folder, length) + kSetupFileInSystemDir;
}
