#include "command_factory.h"

#include <new>

#include "hand_out.h"
#include "heap_memory.h"
#include "live_objects.h"
#include "packaged_command.h"
#include "reference_count.h"

CommandFactory* CommandFactory::Create() {
    void* block = AllocateBytes(sizeof(CommandFactory));
    return block ? new (block) CommandFactory() : nullptr;
}

CommandFactory::CommandFactory() {
    ObjectConstructed();
}

CommandFactory::~CommandFactory() {
    ObjectDestroyed();
}

STDMETHODIMP CommandFactory::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory))
        return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CommandFactory::AddRef() {
    return IncrementReferences(refCount_);
}

STDMETHODIMP_(ULONG) CommandFactory::Release() {
    ULONG left = DecrementReferences(refCount_);
    if (left == 0) {
        this->~CommandFactory();
        FreeBytes(this);
    }
    return left;
}

STDMETHODIMP CommandFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    PackagedCommand* command = PackagedCommand::Create();
    if (!command) return E_OUTOFMEMORY;
    return HandOut(static_cast<IExplorerCommand*>(command), riid, ppv);
}

// Only live objects keep the DLL loaded.
STDMETHODIMP CommandFactory::LockServer(BOOL) {
    return S_OK;
}
