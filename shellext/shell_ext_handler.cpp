#include "shell_ext_handler.h"

#include <new>

#include "heap_memory.h"
#include "live_objects.h"
#include "reference_count.h"

ShellExtHandler* ShellExtHandler::Create() {
    void* block = AllocateBytes(sizeof(ShellExtHandler));
    return block ? new (block) ShellExtHandler() : nullptr;
}

ShellExtHandler::ShellExtHandler() : SelectedCount(0), RefCount(0) {
    LastPath[0] = '\0';
    ObjectConstructed();
}

ShellExtHandler::~ShellExtHandler() {
    ReleaseSelection();
    ObjectDestroyed();
}

void ShellExtHandler::ReleaseSelection() {
    for (int i = 0; i < SelectedCount; ++i) FreeBytes(SelectedPaths[i]);
    SelectedCount = 0;
}

STDMETHODIMP ShellExtHandler::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IShellExtInit) || IsEqualIID(riid, IID_IUnknown)) {
        *ppv = static_cast<IShellExtInit*>(this);
    } else if (IsEqualIID(riid, IID_IContextMenu)) {
        *ppv = static_cast<IContextMenu*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ShellExtHandler::AddRef() {
    return IncrementReferences(RefCount);
}

STDMETHODIMP_(ULONG) ShellExtHandler::Release() {
    ULONG left = DecrementReferences(RefCount);
    if (left == 0) {
        this->~ShellExtHandler();
        FreeBytes(this);
    }
    return left;
}
