// Plays Explorer's part, which Wine's own shell does not: finds the context-menu handler
// registered for files or folders, creates it through COM from the registry, hands it the
// shell's own data object for a selection, asks it into the shell's own context menu and
// invokes its item through the menu's command identifier.
//   shell_host.exe menu <path>...        (all paths in one folder)
//   shell_host.exe verb <verb> <path>    runs a shell verb through ShellExecuteExA
//   shell_host.exe uninstall             starts the product's registered UninstallString
//                                        as the list of installed programs does, and waits
//   shell_host.exe command <dll> <path>... the Windows 11 menu's packaged command from the
//                                        installed DLL, as its COM surrogate calls it
//   shell_host.exe hold <file> <path>    builds the menu for path without invoking it and
//                                        keeps the extension loaded, as Explorer does, until
//                                        <file> exists
// Built 32- and 64-bit, it plays a 32-bit program's Open dialog and 64-bit Explorer. Prints
// what it sees; exit code 0 when the item was found and invoked.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

#include "test_files.h"
#include <vector>

int RunPackagedCommand(const char* dll, const std::vector<std::string>& paths);

namespace {

const UINT kFirstId = 0x7000;
const UINT kLastId = 0x7FFF;

std::wstring Wide(const std::string& s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    w.resize(n - 1);
    return w;
}

bool IsFolder(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The class identifiers of the handlers registered under <root>\ShellEx\ContextMenuHandlers,
// printed as Explorer would find them; returns the one named VelluMax.
std::string FindHandler(const char* root) {
    std::string keyPath = std::string(root) + "\\ShellEx\\ContextMenuHandlers";
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        std::printf("handlers: HKCR\\%s missing\n", keyPath.c_str());
        return "";
    }
    std::string ours;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        char value[256] = {};
        LONG size = sizeof value;
        RegQueryValueA(key, name, value, &size);
        std::printf("handler: HKCR\\%s\\%s = %s\n", keyPath.c_str(), name, value);
        if (lstrcmpiA(name, "VelluMax") == 0) ours = value;
    }
    RegCloseKey(key);
    return ours;
}

void PrintMenu(HMENU menu) {
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        UINT id = GetMenuItemID(menu, i);
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        if (info.fType & MFT_SEPARATOR)
            std::printf("menu: %2d  --------\n", i);
        else
            std::printf("menu: %2d  %s%s\n", i, vmxtest::Escaped(text).c_str(),
                        id >= kFirstId && id <= kLastId ? "   <- VelluMax" : "");
    }
}

// The extension's file as this process has it loaded, or "-".
std::string LoadedExtension() {
    HMODULE module = GetModuleHandleA("vmxtool.dll");
    char path[MAX_PATH] = "-";
    if (module) GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

// With releaseFile, the item is not invoked: the process keeps the extension until that
// file appears.
int RunMenu(const std::vector<std::string>& paths, const std::string& releaseFile = "") {
    const char* root = IsFolder(paths[0]) ? "Folder" : "*";
    std::string clsidText = FindHandler(root);
    if (clsidText.empty()) {
        std::printf("result: no VelluMax handler registered for %s\n", root);
        return 1;
    }
    CLSID clsid;
    if (FAILED(CLSIDFromString(Wide(clsidText).c_str(), &clsid))) {
        std::printf("result: bad class identifier %s\n", clsidText.c_str());
        return 1;
    }

    std::string folder = paths[0].substr(0, paths[0].find_last_of('\\'));
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    LPITEMIDLIST folderPidl = nullptr;
    HRESULT hr = desktop->ParseDisplayName(nullptr, nullptr, Wide(folder).data(), nullptr,
                                           &folderPidl, nullptr);
    IShellFolder* parent = nullptr;
    if (SUCCEEDED(hr)) hr = desktop->BindToObject(folderPidl, nullptr, IID_IShellFolder,
                                                  reinterpret_cast<void**>(&parent));
    if (FAILED(hr)) {
        std::printf("result: cannot bind to %s (0x%08lX)\n", folder.c_str(), hr);
        return 1;
    }
    std::vector<LPITEMIDLIST> children;
    for (const std::string& p : paths) {
        std::string name = p.substr(p.find_last_of('\\') + 1);
        LPITEMIDLIST child = nullptr;
        hr = parent->ParseDisplayName(nullptr, nullptr, Wide(name).data(), nullptr, &child, nullptr);
        if (FAILED(hr)) {
            std::printf("result: cannot parse %s (0x%08lX)\n", p.c_str(), hr);
            return 1;
        }
        children.push_back(child);
    }
    auto ids = const_cast<LPCITEMIDLIST*>(reinterpret_cast<LPITEMIDLIST*>(children.data()));

    IShellExtInit* init = nullptr;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                          reinterpret_cast<void**>(&init));
    std::printf("create: CoCreateInstance(%s) = 0x%08lX\n", clsidText.c_str(), hr);
    if (FAILED(hr)) return 1;

    IDataObject* data = nullptr;
    hr = parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), ids, IID_IDataObject,
                               nullptr, reinterpret_cast<void**>(&data));
    if (FAILED(hr)) {
        std::printf("result: the shell gave no data object (0x%08lX)\n", hr);
        return 1;
    }
    hr = init->Initialize(folderPidl, data, nullptr);
    std::printf("initialize: %zu item(s) = 0x%08lX\n", paths.size(), hr);

    HMENU menu = CreatePopupMenu();
    IContextMenu* shellMenu = nullptr;
    hr = parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()), ids, IID_IContextMenu,
                               nullptr, reinterpret_cast<void**>(&shellMenu));
    if (SUCCEEDED(hr)) shellMenu->QueryContextMenu(menu, 0, 1, kFirstId - 1, CMF_NORMAL);

    IContextMenu* ours = nullptr;
    init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&ours));
    hr = ours->QueryContextMenu(menu, GetMenuItemCount(menu), kFirstId, kLastId, CMF_NORMAL);
    std::printf("query: QueryContextMenu = 0x%08lX\n", hr);
    PrintMenu(menu);

    int found = -1;
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i)
        if (GetMenuItemID(menu, i) >= kFirstId && GetMenuItemID(menu, i) <= kLastId) found = i;
    int rc = 1;
    if (found < 0) {
        std::printf("result: the VelluMax item is not in the menu\n");
    } else if (!releaseFile.empty()) {
        std::printf("hold: %s\n", LoadedExtension().c_str());
        std::fflush(stdout);
        while (GetFileAttributesA(releaseFile.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(100);
        rc = 0;
    } else {
        UINT id = GetMenuItemID(menu, found);
        CMINVOKECOMMANDINFO invoke = {};
        invoke.cbSize = sizeof invoke;
        invoke.lpVerb = MAKEINTRESOURCEA(id - kFirstId);
        invoke.nShow = SW_SHOWNORMAL;
        hr = ours->InvokeCommand(&invoke);
        std::printf("invoke: command %u (offset %u) = 0x%08lX\n", id, id - kFirstId, hr);
        rc = hr == S_OK ? 0 : 1;
    }

    DestroyMenu(menu);
    ours->Release();
    if (shellMenu) shellMenu->Release();
    data->Release();
    init->Release();
    for (LPITEMIDLIST c : children) CoTaskMemFree(c);
    CoTaskMemFree(folderPidl);
    parent->Release();
    desktop->Release();
    return rc;
}

// Explorer runs a folder's or drive's verb from the Directory or Drive class; Wine's
// ShellExecuteExA needs the class named to look there.
int RunVerb(const char* verb, const char* path) {
    bool drive = lstrlenA(path) <= 3 && path[1] == ':';
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_CLASSNAME;
    info.lpClass = drive ? "Drive" : "Directory";
    info.lpVerb = verb;
    info.lpFile = path;
    info.nShow = SW_SHOWNORMAL;
    BOOL ok = ShellExecuteExA(&info);
    std::printf("verb: ShellExecuteExA(%s, %s) = %s (instance %ld)\n", verb, path,
                ok ? "TRUE" : "FALSE", static_cast<long>(reinterpret_cast<INT_PTR>(info.hInstApp)));
    if (info.hProcess) CloseHandle(info.hProcess);
    return ok ? 0 : 1;
}

// The list of installed programs reads the entry in its own registry view and starts the
// command as it stands.
int RunUninstallEntry() {
    const char entry[] = "SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VelluMax";
    HKEY key;
    char command[1024] = {};
    DWORD size = sizeof command - 1;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, entry, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        std::printf("uninstall: no entry HKLM\\%s in this %d-bit view\n", entry,
                    static_cast<int>(8 * sizeof(void*)));
        return 1;
    }
    LONG read = RegQueryValueExA(key, "UninstallString", nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(command), &size);
    RegCloseKey(key);
    if (read != ERROR_SUCCESS) {
        std::printf("uninstall: the entry has no UninstallString (error %ld)\n", read);
        return 1;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &started)) {
        std::printf("uninstall: cannot start %s (error %lu)\n", command, GetLastError());
        return 1;
    }
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    std::printf("uninstall: %s ended with exit code %lu\n", command, code);
    return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "menu") {
        CoInitialize(nullptr);
        int rc = RunMenu(std::vector<std::string>(argv + 2, argv + argc));
        CoUninitialize();
        return rc;
    }
    if (argc == 4 && std::string(argv[1]) == "verb") {
        CoInitialize(nullptr);
        int rc = RunVerb(argv[2], argv[3]);
        CoUninitialize();
        return rc;
    }
    if (argc == 2 && std::string(argv[1]) == "uninstall") return RunUninstallEntry();
    if (argc >= 4 && std::string(argv[1]) == "command") {
        CoInitialize(nullptr);
        int rc = RunPackagedCommand(argv[2], std::vector<std::string>(argv + 3, argv + argc));
        CoUninitialize();
        return rc;
    }
    if (argc == 4 && std::string(argv[1]) == "hold") {
        CoInitialize(nullptr);
        int rc = RunMenu({argv[3]}, argv[2]);
        CoUninitialize();
        return rc;
    }
    std::fprintf(stderr, "usage: shell_host menu <path>... | verb <verb> <path> | uninstall"
                         " | command <dll> <path>... | hold <file> <path>\n");
    return 2;
}
