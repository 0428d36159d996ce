// IShellExtInit::Initialize: copies the selected paths out of the shell's CF_HDROP data.
// shellapi.h needs the definitions of windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstring>

#include "heap_memory.h"
#include "shell_ext_handler.h"

STDMETHODIMP ShellExtHandler::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
    // Whatever happens below, the earlier selection is gone first, so a failed call leaves
    // no stale paths behind for a later InvokeCommand.
    ReleaseSelection();
    if (!data) return E_FAIL;

    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return E_FAIL;
    // A medium of another kind would hand DragQueryFileA something that is no HGLOBAL.
    if (medium.tymed != TYMED_HGLOBAL) {
        ReleaseStgMedium(&medium);
        return E_FAIL;
    }

    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    if (count == 0) {
        ReleaseStgMedium(&medium);
        return E_FAIL;
    }

    for (UINT i = 0; i < count && i < static_cast<UINT>(MaxSelectedPaths); ++i) {
        DragQueryFileA(drop, i, LastPath, MAX_PATH);
        // A path that cannot be copied is left out; the rest of the selection still counts.
        char* copy = static_cast<char*>(AllocateBytes(MAX_PATH));
        if (!copy) continue;
        std::memcpy(copy, LastPath, MAX_PATH);
        SelectedPaths[SelectedCount++] = copy;
    }

    ReleaseStgMedium(&medium);
    return S_OK;
}
