#include "hand_out.h"

HRESULT HandOut(IUnknown* fresh, REFIID riid, void** ppv) {
    // Holding a reference of our own across the question lets a refusal destroy the object
    // through its ordinary Release, and leaves a success with exactly the caller's one.
    fresh->AddRef();
    HRESULT result = fresh->QueryInterface(riid, ppv);
    fresh->Release();
    return result;
}
