// Started by the platform test: reports through its exit code what IsWindowsNT says in a
// process that Wine may have been told is Windows 98.
#include <cstdio>

#include "environment.h"

int main() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    GetVersionExA(&info);
    bool nt = IsWindowsNT();
    std::printf("platform_child: dwPlatformId=%lu IsWindowsNT=%d\n", info.dwPlatformId, nt);
    return nt ? 20 : 10;
}
