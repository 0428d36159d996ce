#include "system_calls.h"

#include "desktop_user.h"
#include "elevation.h"
#ifdef _WIN64
#include "package_deployment.h"
#endif
#include "windows64.h"

namespace {

BOOL InSafeMode() {
    return GetSystemMetrics(SM_CLEANBOOT) != 0;
}

// Only the 64-bit program serves 64-bit Windows, where the menu package lives; the 32-bit
// one carries none of the package manager's calls.
#ifdef _WIN64
HRESULT RemovePackage(bool allUsers) {
    return RemoveMenuPackage(allUsers);
}
#else
HRESULT RemovePackage(bool) {
    return E_NOTIMPL;
}
#endif

}  // namespace

SetupSystemCalls SystemCalls = {
    ::MessageBoxA,         ::Sleep,     ::RegFlushKey,           ::ShellExecuteA,
    ::ExitWindowsEx,       ::WriteFile, ::MoveFileExA,           ::MoveFileA,
    ::WaitForSingleObject, &CurrentElevationType, &OpenThroughDesktopShell, &QueryNativeMachine,
    &InSafeMode,           &RunAsDesktopUser,     &RemovePackage,
};
