// The DLL's exports: the class object and unload answer that the COM surrogate asks for,
// and the registration that `regsvr32` runs, which registers the package beside this DLL
// for the user who runs it (and `regsvr32 /u` removes it for that user).
#include <shlobj.h>
#include <windows.h>

#include "command_factory.h"
#include "hand_out.h"
#include "live_objects.h"
#include "menu_clsid.h"
#include "module_folder.h"
#include "package_deployment.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_PackagedMenuCommand)) return CLASS_E_CLASSNOTAVAILABLE;
    CommandFactory* factory = CommandFactory::Create();
    if (!factory) return E_OUTOFMEMORY;
    return HandOut(factory, riid, ppv);
}

STDAPI DllCanUnloadNow() {
    return AnyObjectAlive() ? S_FALSE : S_OK;
}

// The package lies beside the DLL, and the DLL's folder is the package's external location.
STDAPI DllRegisterServer() {
    wchar_t folder[MAX_PATH];
    wchar_t package[MAX_PATH];
    static const wchar_t kPackage[] = L"vmxmenu.msix";
    if (!ModuleFolder(folder)) return E_FAIL;
    int length = lstrlenW(folder);
    if (length + int(sizeof kPackage / sizeof kPackage[0]) > MAX_PATH) return E_FAIL;
    lstrcpyW(package, folder);
    lstrcatW(package, kPackage);
    folder[length - 1] = L'\0';  // the location without its trailing backslash
    // Explorer reads packaged commands when it starts: the command appears after the next
    // sign-in or a restart of Explorer, and no notification brings it sooner.
    return RegisterSparsePackage(package, folder);
}

STDAPI DllUnregisterServer() {
    HRESULT result = RemoveMenuPackage(false);
    if (SUCCEEDED(result)) SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return result;
}
