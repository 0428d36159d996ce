#include "system_calls.h"

#include "desktop_user.h"
#include "elevation.h"
#include "package_deployment.h"
#include "windows64.h"

namespace {

BOOL InSafeMode() {
    return GetSystemMetrics(SM_CLEANBOOT) != 0;
}

}  // namespace

SetupSystemCalls SystemCalls = {
    ::MessageBoxA,         ::Sleep,     ::RegFlushKey,           ::ShellExecuteA,
    ::ExitWindowsEx,       ::WriteFile, ::MoveFileExA,           ::MoveFileA,
    ::WaitForSingleObject, &CurrentElevationType, &OpenThroughDesktopShell, &QueryNativeMachine,
    &InSafeMode,           &RunAsDesktopUser,     &RemoveMenuPackage,
};
