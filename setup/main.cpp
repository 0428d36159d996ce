// vmxinst.exe: installs with no argument, uninstalls with "/uninstall". No window of its
// own; it speaks through message boxes only.
#include <windows.h>

#include "dll_search.h"
#include "startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    return RunSetup(GetCommandLineA());
}
