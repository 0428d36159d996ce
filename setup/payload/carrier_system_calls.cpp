// The single setup file's table of scriptable calls. It only shows a box, writes a log line
// and leaves a file to the restart; the setup program's own questions (elevation, the
// desktop shell, the machine, the menu package) are the staged program's to ask. With this
// table it links none of their code: the answers below are those of a system that cannot
// tell, and nothing in this program asks them.
#include "system_calls.h"

namespace {

DWORD UnknownElevation() {
    return 0;
}

BOOL NotOpened(const char*) {
    return FALSE;
}

USHORT UnknownMachine() {
    return IMAGE_FILE_MACHINE_UNKNOWN;
}

BOOL NotSafeMode() {
    return FALSE;
}

DWORD NotRun(const char*) {
    return ERROR_NOT_SUPPORTED;
}

HRESULT NothingRemoved(bool) {
    return E_NOTIMPL;
}

}  // namespace

SetupSystemCalls SystemCalls = {
    ::MessageBoxA,         ::Sleep,     ::RegFlushKey,     ::ShellExecuteA,
    ::ExitWindowsEx,       ::WriteFile, ::MoveFileExA,     ::MoveFileA,
    ::WaitForSingleObject, &UnknownElevation, &NotOpened,  &UnknownMachine,
    &NotSafeMode,          &NotRun,           &NothingRemoved,
};
