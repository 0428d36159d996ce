// From nothing loaded to the first menu item, as the shell does it when a menu opens:
// load the built DLL, find DllGetClassObject, make a handler, ask for its item, let go,
// unload. The baseline loads and unloads a DLL that does nothing, built the same way.
#include <cstdio>

#include "benches.h"
#include "shell_ext_clsid.h"

namespace bench {
namespace {

const int kSamples = 31;

using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

// The first menu item of the built DLL; false when any step fails.
bool FirstMenuItem(const std::string& dll) {
    HMODULE module = LoadLibraryA(dll.c_str());
    if (!module) return false;
    bool added = false;
    // Through the generic function type, which any function pointer may be cast to.
    auto getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (getClassObject && getClassObject(CLSID_ShellExtHandler, IID_IClassFactory,
                                         reinterpret_cast<void**>(&factory)) == S_OK) {
        IContextMenu* handler = nullptr;
        if (factory->CreateInstance(nullptr, IID_IContextMenu,
                                    reinterpret_cast<void**>(&handler)) == S_OK) {
            HMENU menu = CreatePopupMenu();
            AppendMenuA(menu, MF_STRING, 100, "&Ouvrir");
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(menu, MF_STRING, 101, "P&ropri\xE9t\xE9s");  // Propriétés
            added = handler->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL) == 1 &&
                    GetMenuItemCount(menu) == 4;
            DestroyMenu(menu);
            handler->Release();
        }
        factory->Release();
    }
    FreeLibrary(module);
    return added;
}

bool LoadAndFree(const std::string& dll) {
    HMODULE module = LoadLibraryA(dll.c_str());
    if (!module) return false;
    FreeLibrary(module);
    return true;
}

}  // namespace

Figure LoadBench(const std::string& folder) {
    const std::string dll = folder + "vmxtool.dll";
    const std::string empty = folder + "bench_empty.dll";
    if (!FirstMenuItem(dll)) Fail("no menu item from " + dll);
    if (!LoadAndFree(empty)) Fail("cannot load " + empty);
    if (GetModuleHandleA(dll.c_str())) Fail(dll + " stays loaded after FreeLibrary");

    Arm dllArm = [&] {
        Stopwatch watch;
        FirstMenuItem(dll);
        return watch.Seconds();
    };
    Arm emptyArm = [&] {
        Stopwatch watch;
        LoadAndFree(empty);
        return watch.Seconds();
    };
    std::vector<double> t = MedianSeconds(kSamples, {dllArm, emptyArm});

    PrintTitle("4. Load to first menu item");
    std::printf("  median of %d samples; the DLLs' imports are already loaded in this program\n",
                kSamples);
    PrintRows({{"LoadLibraryA + DllGetClassObject + CreateInstance + QCM + FreeLibrary", t[0]},
               {"LoadLibraryA + FreeLibrary of a DLL that does nothing", t[1]}},
              1, "us");
    return {"4 load to first menu item", t[0], t[1], "us", 0};
}

}  // namespace bench
