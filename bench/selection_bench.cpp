// Initialize reads the drop list once and copies every path to the heap. The baseline is
// one bare linear pass over the very same block: find each name, convert it and copy it
// into a heap block of its own, as the handler keeps it, for as many names as the handler
// keeps. Run at three sizes, the pass shows whether the handler's time grows with the
// selection as a single pass does.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "bench_selection.h"
#include "benches.h"
#include "shell_ext_handler.h"

namespace bench {
namespace {

const int kSamples = 9;

IShellExtInit* NewInit() {
    IContextMenu* menu = NewLinkedHandler();
    IShellExtInit* init = nullptr;
    menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init));
    menu->Release();
    if (!init) Fail("the handler has no IShellExtInit");
    return init;
}

int KeptPaths(int count) {
    return count < MaxSelectedPaths ? count : MaxSelectedPaths;
}

// Initialize once outside the times, to be sure it keeps what it should.
void CheckHandler(FixedDropData& data, int count) {
    IShellExtInit* init = NewInit();
    HRESULT result = init->Initialize(nullptr, &data, nullptr);
    int kept = static_cast<ShellExtHandler*>(init)->SelectedCount;
    init->Release();
    if (result != S_OK || kept != KeptPaths(count))
        Fail("Initialize answered " + std::to_string(result) + " and kept " + std::to_string(kept) +
             " of " + std::to_string(count) + " paths");
}

struct Times {
    double handler;
    double bare;
};

Times TimeWide(int count) {
    DropBlock block(OrdinaryPaths(count), /*wide=*/true);
    if (!block.Handle()) Fail("no memory for the drop block");
    FixedDropData data(block.Handle());
    CheckHandler(data, count);
    std::vector<char*> copies(MaxSelectedPaths, nullptr);

    // A fresh handler per sample, as the shell makes one per menu; its release (freeing
    // the copies) stays outside the time.
    Arm handlerArm = [&] {
        IShellExtInit* init = NewInit();
        Stopwatch watch;
        init->Initialize(nullptr, &data, nullptr);
        double seconds = watch.Seconds();
        init->Release();
        return seconds;
    };
    Arm bareArm = [&] {
        Stopwatch watch;
        const BYTE* drop = static_cast<const BYTE*>(GlobalLock(block.Handle()));
        const WCHAR* name =
            reinterpret_cast<const WCHAR*>(drop + reinterpret_cast<const DROPFILES*>(drop)->pFiles);
        for (int i = 0; i < KeptPaths(count) && *name; ++i) {
            int length = lstrlenW(name);
            char* copy = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, MAX_PATH));
            int n =
                WideCharToMultiByte(CP_ACP, 0, name, length, copy, MAX_PATH - 1, nullptr, nullptr);
            copy[n] = '\0';
            copies[i] = copy;
            name += length + 1;
        }
        GlobalUnlock(block.Handle());
        double seconds = watch.Seconds();
        for (char*& copy : copies) {
            HeapFree(GetProcessHeap(), 0, copy);
            copy = nullptr;
        }
        return seconds;
    };
    std::vector<double> t = MedianSeconds(kSamples, {handlerArm, bareArm});
    return {t[0], t[1]};
}

}  // namespace

std::vector<Figure> SelectionBench() {
    const int sizes[] = {1000, 4000, 10000};
    Times times[3];
    for (int i = 0; i < 3; ++i) times[i] = TimeWide(sizes[i]);

    PrintTitle("2. Initialize, wide paths as a Unicode shell hands them (8192 kept at most)");
    std::printf("  one block for both arms; fresh handler per sample; median of %d samples\n",
                kSamples);
    std::printf(
        "  bare pass: find each name, WideCharToMultiByte it into a heap block of its own\n");
    for (int i = 0; i < 3; ++i) {
        char what[64];
        std::snprintf(what, sizeof what, "%d paths", sizes[i]);
        PrintRows({{std::string("handler's Initialize, ") + what, times[i].handler},
                   {std::string("bare linear pass, ") + what, times[i].bare}},
                  1, "ms");
    }
    std::printf("  growth from 1,000 to 10,000 paths: handler %.1fx, bare pass %.1fx\n",
                times[2].handler / times[0].handler, times[2].bare / times[0].bare);
    return {
        {"2 Initialize, 10,000 wide paths / bare pass", times[2].handler, times[2].bare, "ms", 2.0},
        {"2 Initialize, 1,000 wide paths / bare pass", times[0].handler, times[0].bare, "ms", 2.0},
        {"2 Initialize growth, 10,000 / 1,000 paths", times[2].handler, times[0].handler, "ms",
         10.0}};
}

}  // namespace bench
