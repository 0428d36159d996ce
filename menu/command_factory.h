// The class factory of the packaged command: every DllGetClassObject call makes a fresh one.
#pragma once

#include <unknwn.h>
#include <windows.h>

class CommandFactory final : public IClassFactory {
public:
    // A new factory holding no reference yet; null when there is no memory.
    static CommandFactory* Create();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    CommandFactory();
    ~CommandFactory();

    ULONG refCount_ = 0;
};
