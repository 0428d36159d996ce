// Initialize reads the selection with DragQueryFileA and copies every path to the heap.
// The baseline is the same DragQueryFileA loop over the very same block, without copies.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>

#include "bench_selection.h"
#include "benches.h"
#include "shell_ext_handler.h"

namespace bench {
namespace {

const int kSamples = 7;
const int kPaths = 10000;

IShellExtInit* NewInit() {
    IContextMenu* menu = NewLinkedHandler();
    IShellExtInit* init = nullptr;
    menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(&init));
    menu->Release();
    if (!init) Fail("the handler has no IShellExtInit");
    return init;
}

}  // namespace

Figure SelectionBench() {
    DropBlock block(OrdinaryPaths(kPaths));
    if (!block.Handle()) Fail("no memory for the drop block");
    FixedDropData data(block.Handle());

    {
        IShellExtInit* init = NewInit();
        HRESULT result = init->Initialize(nullptr, &data, nullptr);
        int kept = static_cast<ShellExtHandler*>(init)->SelectedCount;
        init->Release();
        if (result != S_OK || kept != MaxSelectedPaths)
            Fail("Initialize answered " + std::to_string(result) + " and kept " +
                 std::to_string(kept) + " paths");
    }

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
        HDROP drop = static_cast<HDROP>(block.Handle());
        char path[MAX_PATH];
        Stopwatch watch;
        UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count && i < static_cast<UINT>(MaxSelectedPaths); ++i)
            DragQueryFileA(drop, i, path, MAX_PATH);
        return watch.Seconds();
    };
    std::vector<double> t = MedianSeconds(kSamples, {handlerArm, bareArm});

    PrintTitle("2. Initialize, 10,000 paths (8192 kept)");
    std::printf("  one block for both arms; fresh handler per sample; median of %d samples\n",
                kSamples);
    PrintRows({{"handler's Initialize", t[0]},
               {"bare DragQueryFileA: count + 8192 reads into MAX_PATH", t[1]}},
              1, "ms");
    return {"2 Initialize, 10,000 paths", t[0], t[1], "ms", 0};
}

}  // namespace bench
