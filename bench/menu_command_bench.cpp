// The packaged command of the built vmxmenu.dll, loaded as the COM surrogate loads it:
// GetState, which runs while Explorer builds its menu, against an empty method call of the
// same shape; and Invoke's blocking time on 8,192 real files against 2, which includes the
// real viewer's start up to its first wait for messages (its windows need a display).
#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "menu_benches.h"
#include "menu_clsid.h"
#include "selection_paths.h"
#include "viewer_windows.h"

namespace bench {
namespace {

const int kStateSamples = 15;
const int kStateCalls = 20000;
const int kInvokeSamples = 11;
// Starting a program under a shared machine's load varies from one run to the next: the
// figure is the median round's.
const int kInvokeRounds = 5;
const int kManyFiles = 8192;

// A COM-shaped object whose method of GetState's shape does nothing: the cost of the call.
// It is reached through a pointer the compiler cannot see through, as the DLL's is.
struct EmptyCommand {
    [[gnu::noinline]] virtual HRESULT STDMETHODCALLTYPE GetState(IShellItemArray*, BOOL,
                                                                 EXPCMDSTATE* state) {
        *state = ECS_ENABLED;
        return S_OK;
    }
    virtual ~EmptyCommand() = default;
};

IExplorerCommand* NewCommand(const std::string& folder) {
    HMODULE dll = LoadLibraryA((folder + "vmxmenu.dll").c_str());
    if (!dll) Fail("cannot load vmxmenu.dll from " + folder);
    auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    if (!getClassObject || getClassObject(CLSID_PackagedMenuCommand, IID_IClassFactory,
                                          reinterpret_cast<void**>(&factory)) != S_OK)
        Fail("DllGetClassObject failed");
    IExplorerCommand* command = nullptr;
    factory->CreateInstance(nullptr, IID_IExplorerCommand, reinterpret_cast<void**>(&command));
    factory->Release();
    if (!command) Fail("CreateInstance failed");
    return command;
}

// The shell's item array of files in one folder, as Explorer hands over a selection.
IShellItemArray* ItemsOf(const std::string& folder, const std::vector<std::string>& paths) {
    std::wstring wide(folder.begin(), folder.end());
    PIDLIST_ABSOLUTE folderId = nullptr;
    IShellFolder *desktop = nullptr, *shellFolder = nullptr;
    if (FAILED(SHParseDisplayName(wide.c_str(), nullptr, &folderId, 0, nullptr)) ||
        FAILED(SHGetDesktopFolder(&desktop)) ||
        FAILED(desktop->BindToObject(folderId, nullptr, IID_IShellFolder,
                                     reinterpret_cast<void**>(&shellFolder))))
        Fail("cannot bind to " + folder);
    std::vector<PIDLIST_ABSOLUTE> ids;
    for (const std::string& path : paths) {
        std::wstring name(path.begin() + path.find_last_of('\\') + 1, path.end());
        PIDLIST_RELATIVE child = nullptr;
        if (FAILED(shellFolder->ParseDisplayName(nullptr, nullptr, name.data(), nullptr, &child,
                                                 nullptr)))
            Fail("cannot parse " + path);
        ids.push_back(ILCombine(folderId, child));
        CoTaskMemFree(child);
    }
    IShellItemArray* items = nullptr;
    if (FAILED(SHCreateShellItemArrayFromIDLists(static_cast<UINT>(ids.size()),
                                                 const_cast<PCIDLIST_ABSOLUTE_ARRAY>(ids.data()),
                                                 &items)))
        Fail("SHCreateShellItemArrayFromIDLists failed");
    for (PIDLIST_ABSOLUTE id : ids) CoTaskMemFree(id);
    CoTaskMemFree(folderId);
    shellFolder->Release();
    desktop->Release();
    return items;
}

}  // namespace

Figure MenuStateBench(const std::string& folder) {
    IExplorerCommand* command = NewCommand(folder);
    std::string files = TempFolder() + "vmxmenubench-state";
    std::vector<std::string> two = MakeFiles(files, 2);
    IShellItemArray* items = ItemsOf(files, two);
    EXPCMDSTATE state = ECS_HIDDEN;
    if (command->GetState(items, FALSE, &state) != S_OK || state != ECS_ENABLED)
        Fail("GetState does not answer ECS_ENABLED for a selection");
    EmptyCommand* volatile empty = new EmptyCommand;

    std::vector<double> t =
        MedianSeconds(kStateSamples, {[&] {
                                          Stopwatch watch;
                                          for (int i = 0; i < kStateCalls; ++i)
                                              command->GetState(items, FALSE, &state);
                                          return watch.Seconds() / kStateCalls;
                                      },
                                      [&] {
                                          Stopwatch watch;
                                          for (int i = 0; i < kStateCalls; ++i)
                                              empty->GetState(items, FALSE, &state);
                                          return watch.Seconds() / kStateCalls;
                                      }});
    delete empty;
    items->Release();
    command->Release();
    RemoveFiles(files, two);

    PrintTitle("M1. Packaged command's GetState, a selection of 2 files, no site");
    std::printf("  per call; median of %d samples of %d calls\n", kStateSamples, kStateCalls);
    PrintRows({{"command's GetState", t[0]}, {"an empty virtual method of the same shape", t[1]}},
              1, "us");
    return {"M1 GetState against an empty method call", t[0], t[1], "us", 0};
}

Figure MenuInvokeBench(const std::string& folder) {
    if (GetFileAttributesA((folder + "vmxtool.exe").c_str()) == INVALID_FILE_ATTRIBUTES)
        Fail("no vmxtool.exe in " + folder);
    IExplorerCommand* command = NewCommand(folder);
    const std::string manyFolder = TempFolder() + "vmxmenubench-8192";
    const std::string twoFolder = TempFolder() + "vmxmenubench-2";
    std::vector<std::string> many = MakeFiles(manyFolder, kManyFiles);
    std::vector<std::string> two = MakeFiles(twoFolder, 2);
    IShellItemArray* manyItems = ItemsOf(manyFolder, many);
    IShellItemArray* twoItems = ItemsOf(twoFolder, two);
    auto invoke = [&](IShellItemArray* items) {
        Stopwatch watch;
        command->Invoke(items, nullptr);
        double seconds = watch.Seconds();
        CloseViewer();
        return seconds;
    };
    invoke(twoItems);  // the first start of a program pays for loading its DLLs
    // What the command does before it starts the viewer: the paths read from the items.
    auto collect = [](IShellItemArray* items) {
        SelectionPaths paths;
        Stopwatch watch;
        paths.Collect(items);
        return watch.Seconds();
    };

    std::vector<std::vector<double>> rounds;
    for (int round = 0; round < kInvokeRounds; ++round)
        rounds.push_back(
            MedianSeconds(kInvokeSamples,
                          {[&] { return invoke(manyItems); }, [&] { return invoke(twoItems); },
                           [&] { return collect(manyItems); }, [&] { return collect(twoItems); }}));
    std::vector<std::vector<double>> byRatio = rounds;
    std::sort(byRatio.begin(), byRatio.end(), [](const auto& a, const auto& b) {
        return a[0] / a[1] < b[0] / b[1];
    });
    const std::vector<double>& t = byRatio[kInvokeRounds / 2];
    manyItems->Release();
    twoItems->Release();
    command->Release();
    RemoveFiles(manyFolder, many);
    RemoveFiles(twoFolder, two);

    PrintTitle("M2. Packaged command's Invoke until the viewer waits for messages");
    std::printf("  %d rounds of %d samples each; each window is closed before the next start\n",
                kInvokeRounds, kInvokeSamples);
    std::printf("  8192 against 2, each round:");
    for (const std::vector<double>& r : rounds) std::printf(" %.2f", r[0] / r[1]);
    std::printf("; below, the median round\n");
    PrintRows({{"8192 files of one folder", t[0]},
               {"2 files of one folder", t[1]},
               {"its reading of the 8192 paths from the items (code linked here)", t[2]},
               {"its reading of the 2 paths", t[3]}},
              1, "ms");
    return {"M2 Invoke, 8192 files against 2", t[0], t[1], "ms", 1.2};
}

}  // namespace bench
