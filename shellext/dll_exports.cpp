// The DLL's two exports: the class object for the one class served, and the unload answer.
#include <windows.h>

#include "live_objects.h"
#include "shell_ext_clsid.h"
#include "shell_ext_factory.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_ShellExtHandler)) return CLASS_E_CLASSNOTAVAILABLE;
    ShellExtFactory* factory = ShellExtFactory::Create();
    if (!factory) return E_OUTOFMEMORY;
    return HandOut(factory, riid, ppv);
}

STDAPI DllCanUnloadNow() {
    return AnyObjectAlive() ? S_FALSE : S_OK;
}
