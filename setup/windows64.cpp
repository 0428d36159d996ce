#include "windows64.h"

#include "environment.h"
#include "system_calls.h"
#include "system_function.h"

namespace {

constexpr bool kIs64BitProgram = sizeof(void*) == 8;

}  // namespace

bool RunsUnderWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto isWow64Process = SystemFunction<IsWow64ProcessFn>("kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

bool RunsOn64BitWindows() {
    return kIs64BitProgram && IsWindowsNT();
}

std::vector<REGSAM> ProductRegistryViews() {
    if (!RunsOn64BitWindows()) return {0};
    return {KEY_WOW64_32KEY, 0};
}

std::vector<std::string> ProductFolders() {
    const std::string system = FolderText(SystemDir) + "\\Shellext";
    const std::string wow64 = RunsOn64BitWindows() ? Wow64SystemFolder() : std::string();
    if (wow64.empty()) return {system};
    return {system, wow64 + "\\Shellext"};
}

USHORT QueryNativeMachine() {
    using IsWow64Process2Fn = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    auto isWow64Process2 = SystemFunction<IsWow64Process2Fn>("kernel32.dll", "IsWow64Process2");
    USHORT process = 0, native = 0;
    if (isWow64Process2 && isWow64Process2(GetCurrentProcess(), &process, &native) && native)
        return native;
    return kIs64BitProgram || RunsUnderWow64() ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
}

bool PackageServesThisMachine() {
    const USHORT machine = SystemCalls.NativeMachine();
    return machine == IMAGE_FILE_MACHINE_I386 || machine == IMAGE_FILE_MACHINE_AMD64;
}

std::string Wow64SystemFolder() {
    using GetSystemWow64DirectoryFn = UINT(WINAPI*)(LPSTR, UINT);
    auto getWow64Directory =
        SystemFunction<GetSystemWow64DirectoryFn>("kernel32.dll", "GetSystemWow64DirectoryA");
    char folder[MAX_PATH] = {};
    UINT length = getWow64Directory ? getWow64Directory(folder, MAX_PATH) : 0;
    if (length == 0 || length >= MAX_PATH) return std::string();
    return std::string(folder, length);
}
