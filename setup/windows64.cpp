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
    return IsWindowsNT() && (kIs64BitProgram || RunsUnderWow64());
}

std::vector<REGSAM> ProductRegistryViews() {
    if (!RunsOn64BitWindows()) return {0};
    return {KEY_WOW64_32KEY, kIs64BitProgram ? REGSAM{0} : REGSAM{KEY_WOW64_64KEY}};
}

std::vector<ProductFolder> ProductFolders() {
    const std::string system = FolderText(SystemDir) + "\\Shellext";
    if (!RunsOn64BitWindows()) return {{system, system}};
    const std::string wow64 = Wow64SystemFolder();
    if (kIs64BitProgram) {
        if (wow64.empty()) return {{system, system}};
        return {{system, system}, {wow64 + "\\Shellext", wow64 + "\\Shellext"}};
    }
    std::vector<ProductFolder> folders = {{system, wow64.empty() ? system : wow64 + "\\Shellext"}};
    folders.push_back({NativeSystemFolder() + "\\Shellext", system});
    return folders;
}

std::string NativeSystemFolder() {
    const std::string system = FolderText(SystemDir);
    if (kIs64BitProgram || !RunsOn64BitWindows()) return system;
    // The system folder's parent is the Windows folder of the machine, also where
    // GetWindowsDirectoryA gives a user's own folder on a terminal server.
    const std::string::size_type slash = system.rfind('\\');
    if (slash == std::string::npos) return system;
    return system.substr(0, slash) + "\\Sysnative";
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
