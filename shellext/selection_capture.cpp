// IShellExtInit::Initialize: copies the selected paths out of the shell's CF_HDROP data.
#include <windows.h>

#include <cstring>

#include "ansi_name.h"
#include "drop_list.h"
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
    // A medium of another kind holds no HGLOBAL to read.
    HRESULT result = medium.tymed == TYMED_HGLOBAL ? CaptureSelection(medium.hGlobal) : E_FAIL;
    ReleaseStgMedium(&medium);
    return result;
}

// The block is checked whole before anything is kept, so a malformed one leaves nothing.
HRESULT ShellExtHandler::CaptureSelection(HGLOBAL block) {
    const void* bytes = GlobalLock(block);
    if (!bytes) return E_FAIL;
    DropNames names;
    bool found = FindDropNames(bytes, GlobalSize(block), names) && names.count > 0;
    if (found) {
        SIZE_T kept = names.count < MaxSelectedPaths ? names.count : MaxSelectedPaths;
        const BYTE* name = names.first;
        for (SIZE_T i = 0; i < kept; ++i) {
            SIZE_T length = DropNameLength(name, names.wide);
            SIZE_T bytesRead = names.wide ? WideNameToAnsi(name, length, LastPath)
                                          : CopyAnsiName(name, length, LastPath);
            name = NextDropName(name, length, names.wide);
            // A path that cannot be copied is left out; the rest of the selection still counts.
            char* copy = static_cast<char*>(AllocateBytes(MAX_PATH));
            if (!copy) continue;
            std::memcpy(copy, LastPath, bytesRead + 1);
            SelectedPaths[SelectedCount++] = copy;
        }
    }
    GlobalUnlock(block);
    return found ? S_OK : E_FAIL;
}
