// Plays the COM surrogate that Windows 11's menu loads the packaged command into: loads the
// installed vmxmenu.dll, creates the command from its class factory, asks it for its title,
// icon and state for a selection of the shell's own items, and invokes it.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "menu_package.h"

namespace {

std::string Utf8(const wchar_t* text) {
    if (!text) return "<null>";
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, s.data(), n, nullptr, nullptr);
    s.resize(n - 1);
    return s;
}

std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    w.resize(n - 1);
    return w;
}

// The shell's own items for the paths, as Explorer hands a selection over.
IShellItemArray* Selection(const std::vector<std::string>& paths) {
    std::vector<PIDLIST_ABSOLUTE> items;
    for (const std::string& path : paths) {
        PIDLIST_ABSOLUTE item = nullptr;
        if (SUCCEEDED(SHParseDisplayName(Wide(path).c_str(), nullptr, &item, 0, nullptr)))
            items.push_back(item);
        else
            std::printf("command: the shell does not know %s\n", path.c_str());
    }
    IShellItemArray* array = nullptr;
    if (!items.empty())
        SHCreateShellItemArrayFromIDLists(static_cast<UINT>(items.size()),
                                          const_cast<PCIDLIST_ABSOLUTE_ARRAY>(items.data()), &array);
    for (PIDLIST_ABSOLUTE item : items) CoTaskMemFree(item);
    return array;
}

}  // namespace

int RunPackagedCommand(const char* dll, const std::vector<std::string>& paths) {
    HMODULE module = LoadLibraryA(dll);
    auto getClassObject = module ? reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
                                       reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")))
                                 : nullptr;
    if (!getClassObject) {
        std::printf("command: cannot load %s (error %lu)\n", dll, GetLastError());
        return 1;
    }
    CLSID clsid;
    CLSIDFromString(Wide(VMX_MENU_CLSID).c_str(), &clsid);
    IClassFactory* factory = nullptr;
    IExplorerCommand* command = nullptr;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (SUCCEEDED(hr)) hr = factory->CreateInstance(nullptr, IID_IExplorerCommand,
                                                    reinterpret_cast<void**>(&command));
    if (factory) factory->Release();
    if (FAILED(hr)) {
        std::printf("command: no command from %s (0x%08lX)\n", dll, static_cast<unsigned long>(hr));
        return 1;
    }
    IShellItemArray* selection = Selection(paths);
    wchar_t* title = nullptr;
    wchar_t* icon = nullptr;
    EXPCMDSTATE state = 0;
    command->GetTitle(selection, &title);
    command->GetIcon(selection, &icon);
    command->GetState(selection, FALSE, &state);
    std::printf("title: %s\nicon: %s\nstate: %lu\n", Utf8(title).c_str(), Utf8(icon).c_str(),
                static_cast<unsigned long>(state));
    CoTaskMemFree(title);
    CoTaskMemFree(icon);
    // A click on a folder's background hands no selection: nothing may start or break.
    std::printf("invoke without a selection: 0x%08lX\n",
                static_cast<unsigned long>(command->Invoke(nullptr, nullptr)));
    hr = command->Invoke(selection, nullptr);
    std::printf("invoke: 0x%08lX\n", static_cast<unsigned long>(hr));
    if (selection) selection->Release();
    command->Release();
    return SUCCEEDED(hr) && state == ECS_ENABLED ? 0 : 1;
}
