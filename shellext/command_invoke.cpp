// IContextMenu::InvokeCommand and GetCommandString: the handler owns one command, at offset
// 0, with neither a verb name nor a help text.
#include "shell_ext_handler.h"
#include "viewer_launch.h"

STDMETHODIMP ShellExtHandler::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    if (!info) return E_INVALIDARG;
    // A verb given by name is some other handler's; an offset other than 0 is not ours. Any
    // bit above the low word marks a name, also the high half of a 64-bit pointer.
    const ULONG_PTR verb = reinterpret_cast<ULONG_PTR>(info->lpVerb);
    if ((verb >> 16) != 0) return E_INVALIDARG;
    if (LOWORD(verb) != 0) return E_INVALIDARG;
    return LaunchViewer(LastPath, SelectedPaths, SelectedCount);
}

// Nothing is written: the caller's buffer stays exactly as it was, whatever cchMax says.
STDMETHODIMP ShellExtHandler::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) {
    return S_OK;
}
