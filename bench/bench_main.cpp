// bench_vmxtool: times the DLL's four costly moments against baselines of the same system
// calls, and the viewer's start on many items against a few, in one run, and prints the
// medians, their ratios and the DLL's size.
//   bench_vmxtool.exe [viewer]   (vmxtool.dll, bench_empty.dll and vmxtool.exe beside it;
//                                the viewer's windows need a display; "viewer" times only
//                                the viewer's start; "setup" only the setup programs'
//                                start, from setup-single\ and setup-zip\ beside it)
#include <cstdio>
#include <cstdlib>

#include "benches.h"
#include "shell_ext_clsid.h"

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);

namespace bench {

IContextMenu* NewLinkedHandler() {
    IClassFactory* factory = nullptr;
    if (DllGetClassObject(CLSID_ShellExtHandler, IID_IClassFactory,
                          reinterpret_cast<void**>(&factory)) != S_OK)
        Fail("DllGetClassObject failed");
    IContextMenu* handler = nullptr;
    factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&handler));
    factory->Release();
    if (!handler) Fail("CreateInstance failed");
    return handler;
}

void Fail(const std::string& what) {
    std::fflush(stdout);
    std::fprintf(stderr, "bench_vmxtool: %s\n", what.c_str());
    std::exit(1);
}

}  // namespace bench

namespace {

std::string OwnFolder() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) bench::Fail("cannot read the program's own path");
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = OwnFolder();
    WIN32_FILE_ATTRIBUTE_DATA dll;
    if (!GetFileAttributesExA((folder + "vmxtool.dll").c_str(), GetFileExInfoStandard, &dll))
        bench::Fail("no vmxtool.dll in " + folder);

    std::printf("bench_vmxtool: %d-bit, system language 0x%04X, code page %u\n",
                int(sizeof(void*) * 8), GetSystemDefaultLangID(), GetACP());
    std::vector<bench::Figure> figures;
    if (argc > 1 && std::string(argv[1]) == "setup") {
        figures.push_back(bench::SetupStartBench(folder));
        bench::PrintSummary(figures);
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "viewer") {
        figures.push_back(bench::ViewerStartBench(folder));
        bench::PrintSummary(figures);
        return 0;
    }
    figures.push_back(bench::MenuBench());
    for (const bench::Figure& f : bench::SelectionBench()) figures.push_back(f);
    for (const bench::Figure& f : bench::LaunchBench()) figures.push_back(f);
    figures.push_back(bench::LoadBench(folder));
    figures.push_back(bench::ViewerStartBench(folder));
    figures.push_back(
        {"vmxtool.dll file size against 64 KB", dll.nFileSizeLow / 1024.0, 64.0, "KB", 1.0});
    bench::PrintSummary(figures);
    return 0;
}
