#include "desktop_user.h"

#include <memory>
#include <vector>

#include "elevation.h"
#include "scoped_handle.h"
#include "system_function.h"

namespace {

const DWORD kWaitMs = 120000;
const DWORD kNotRun = static_cast<DWORD>(-1);

// The list that names the new process's parent; its functions exist from Vista on.
class ParentAttribute {
public:
    explicit ParentAttribute(HANDLE* parent) {
        using InitializeFn = BOOL(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD, PSIZE_T);
        using UpdateFn = BOOL(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD_PTR, PVOID,
                                       SIZE_T, PVOID, PSIZE_T);
        initialize_ = SystemFunction<InitializeFn>("kernel32.dll", "InitializeProcThreadAttributeList");
        auto update = SystemFunction<UpdateFn>("kernel32.dll", "UpdateProcThreadAttribute");
        delete_ = SystemFunction<DeleteFn>("kernel32.dll", "DeleteProcThreadAttributeList");
        if (!initialize_ || !update || !delete_) return;
        SIZE_T size = 0;
        initialize_(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (size == 0 || !initialize_(list, 1, 0, &size)) return;
        initialized_ = true;
        if (update(list, 0, PROC_THREAD_ATTRIBUTE_PARENT_PROCESS, parent, sizeof *parent, nullptr,
                   nullptr))
            list_ = list;
    }
    ~ParentAttribute() {
        if (initialized_) delete_(reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data()));
    }
    ParentAttribute(const ParentAttribute&) = delete;
    ParentAttribute& operator=(const ParentAttribute&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }

private:
    using InitializeFn = BOOL(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD, PSIZE_T);
    using DeleteFn = void(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST);
    InitializeFn initialize_ = nullptr;
    DeleteFn delete_ = nullptr;
    std::vector<char> buffer_;
    bool initialized_ = false;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// SeDebugPrivilege enabled for a scope and put back as it was: an administrator opens
// another account's process only with it, and the desktop's user may be another account
// than the one whose password elevated this program.
class DebugPrivilege {
public:
    DebugPrivilege() {
        using OpenTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
        using LookupFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, PLUID);
        auto openToken = SystemFunction<OpenTokenFn>("advapi32.dll", "OpenProcessToken");
        auto lookUp = SystemFunction<LookupFn>("advapi32.dll", "LookupPrivilegeValueA");
        adjust_ = SystemFunction<AdjustFn>("advapi32.dll", "AdjustTokenPrivileges");
        HANDLE token = nullptr;
        if (!openToken || !lookUp || !adjust_ ||
            !openToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
            return;
        token_.reset(token);
        TOKEN_PRIVILEGES wanted = {};
        wanted.PrivilegeCount = 1;
        wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!lookUp(nullptr, "SeDebugPrivilege", &wanted.Privileges[0].Luid)) return;
        DWORD size = sizeof previous_;
        // Succeeds with ERROR_NOT_ALL_ASSIGNED where the token lacks the privilege.
        changed_ = adjust_(token_.get(), FALSE, &wanted, sizeof previous_, &previous_, &size) &&
                   GetLastError() == ERROR_SUCCESS;
    }
    ~DebugPrivilege() {
        if (changed_) adjust_(token_.get(), FALSE, &previous_, 0, nullptr, nullptr);
    }
    DebugPrivilege(const DebugPrivilege&) = delete;
    DebugPrivilege& operator=(const DebugPrivilege&) = delete;

private:
    using AdjustFn = BOOL(WINAPI*)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD, PTOKEN_PRIVILEGES,
                                   PDWORD);
    struct Closer {
        void operator()(HANDLE handle) const { CloseHandle(handle); }
    };
    AdjustFn adjust_ = nullptr;
    std::unique_ptr<void, Closer> token_;
    TOKEN_PRIVILEGES previous_ = {};
    bool changed_ = false;
};

DWORD WaitForExit(HANDLE process) {
    ScopedHandle held(process);
    if (WaitForSingleObject(process, kWaitMs) != WAIT_OBJECT_0) return kNotRun;
    DWORD code = kNotRun;
    return GetExitCodeProcess(process, &code) ? code : kNotRun;
}

}  // namespace

DWORD RunAsDesktopUser(const char* commandLine) {
    std::vector<char> line(commandLine, commandLine + lstrlenA(commandLine) + 1);
    STARTUPINFOEXA startup = {};
    startup.StartupInfo.cb = sizeof startup.StartupInfo;
    PROCESS_INFORMATION started = {};
    if (!RunsElevated()) {
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup.StartupInfo, &started))
            return kNotRun;
        CloseHandle(started.hThread);
        return WaitForExit(started.hProcess);
    }
    // The desktop's shell runs as the signed-in user, unelevated: a child it parents takes
    // its token.
    using GetShellWindowFn = HWND(WINAPI*)();
    auto getShellWindow = SystemFunction<GetShellWindowFn>("user32.dll", "GetShellWindow");
    DWORD shellProcess = 0;
    HWND shell = getShellWindow ? getShellWindow() : nullptr;
    if (!shell || !GetWindowThreadProcessId(shell, &shellProcess) || !shellProcess) return kNotRun;
    DebugPrivilege debug;
    ScopedHandle parent(OpenProcess(PROCESS_CREATE_PROCESS, FALSE, shellProcess));
    if (!parent.Valid()) return kNotRun;
    HANDLE parentHandle = parent.Get();
    ParentAttribute attribute(&parentHandle);
    if (!attribute.Get()) return kNotRun;
    startup.StartupInfo.cb = sizeof startup;
    startup.lpAttributeList = attribute.Get();
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, EXTENDED_STARTUPINFO_PRESENT,
                        nullptr, nullptr, &startup.StartupInfo, &started))
        return kNotRun;
    CloseHandle(started.hThread);
    return WaitForExit(started.hProcess);
}
