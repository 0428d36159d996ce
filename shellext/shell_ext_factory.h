// The class factory: every DllGetClassObject call makes a fresh one; it makes handlers.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include "hand_out.h"

class ShellExtFactory final : public IClassFactory {
public:
    // A new factory holding no reference yet; null when there is no memory.
    static ShellExtFactory* Create();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

    ULONG RefCount;

private:
    ShellExtFactory();
    ~ShellExtFactory();
};
