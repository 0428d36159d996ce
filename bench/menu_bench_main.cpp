// bench_vmxmenu: times the packaged menu command of the built vmxmenu.dll and prints the
// medians and their ratios.
//   bench_vmxmenu.exe   (vmxmenu.dll and vmxtool.exe beside it; the viewer's windows
//                       need a display)
#include <cstdio>
#include <cstdlib>

#include "benches.h"
#include "menu_benches.h"

namespace bench {

void Fail(const std::string& what) {
    std::fflush(stdout);
    std::fprintf(stderr, "bench_vmxmenu: %s\n", what.c_str());
    std::exit(1);
}

}  // namespace bench

int main() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) bench::Fail("cannot read the program's own path");
    std::string folder(path, n);
    folder = folder.substr(0, folder.find_last_of('\\') + 1);

    // Explorer's threads, and the surrogate's, are single-threaded apartments.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::printf("bench_vmxmenu: %d-bit, system language 0x%04X, code page %u\n",
                int(sizeof(void*) * 8), GetSystemDefaultLangID(), GetACP());
    std::vector<bench::Figure> figures;
    figures.push_back(bench::MenuStateBench(folder));
    figures.push_back(bench::MenuInvokeBench(folder));
    // The same viewer started on lists of 8192 and 2 as the classic item starts it: what
    // of Invoke's ratio is the viewer's own.
    figures.push_back(bench::ViewerStartBench(folder));
    bench::PrintSummary(figures);
    CoUninitialize();
    return 0;
}
