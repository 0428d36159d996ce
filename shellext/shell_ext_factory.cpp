#include "shell_ext_factory.h"

#include <new>

#include "heap_memory.h"
#include "live_objects.h"
#include "reference_count.h"
#include "shell_ext_handler.h"

ShellExtFactory* ShellExtFactory::Create() {
    void* block = AllocateBytes(sizeof(ShellExtFactory));
    return block ? new (block) ShellExtFactory() : nullptr;
}

ShellExtFactory::ShellExtFactory() : RefCount(0) {
    ObjectConstructed();
}

ShellExtFactory::~ShellExtFactory() {
    ObjectDestroyed();
}

STDMETHODIMP ShellExtFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory))
        return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ShellExtFactory::AddRef() {
    return IncrementReferences(RefCount);
}

STDMETHODIMP_(ULONG) ShellExtFactory::Release() {
    ULONG left = DecrementReferences(RefCount);
    if (left == 0) {
        this->~ShellExtFactory();
        FreeBytes(this);
    }
    return left;
}

STDMETHODIMP ShellExtFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    ShellExtHandler* handler = ShellExtHandler::Create();
    if (!handler) return E_OUTOFMEMORY;
    return HandOut(static_cast<IContextMenu*>(handler), riid, ppv);
}

// A lock would not keep the DLL loaded anyway: only live objects count.
STDMETHODIMP ShellExtFactory::LockServer(BOOL) {
    return S_OK;
}
