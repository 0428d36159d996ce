// The viewer started as the extension starts it: WinExec returns once the started program
// first waits for messages (or after 30 s), and the shell's window is frozen until then.
// A list of 8192 files on disk against a list of 2, in the same run; every start gets a
// fresh list file, as from the extension, and its window is closed before the next one.
#include <cstdio>
#include <string>
#include <vector>

#include "benches.h"
#include "viewer_windows.h"

namespace bench {
namespace {

const int kSamples = 11;
const int kManyFiles = 8192;

// One start on a new list file, as the extension writes it; the seconds WinExec took.
double StartViewer(const std::string& viewer, const std::vector<std::string>& paths) {
    std::string temp = TempFolder();
    char list[MAX_PATH];
    if (GetTempFileNameA(temp.c_str(), "VM", 0, list) == 0) Fail("no temporary file name");
    std::string bytes = std::to_string(paths.size()) + "\r\n";
    for (const std::string& path : paths) bytes += path + "\r\n";
    WriteBytes(list, bytes);
    std::string line = "\"" + viewer + "\" \"" + paths.back() + "\" /f \"" + list + "\"";

    Stopwatch watch;
    UINT started = WinExec(line.c_str(), SW_SHOW);
    double seconds = watch.Seconds();
    if (started <= 31) Fail("WinExec failed (" + std::to_string(started) + "): " + line);
    CloseViewer();
    DeleteFileA(list);  // the viewer deletes its list; this only tidies a failed start
    return seconds;
}

}  // namespace

Figure ViewerStartBench(const std::string& folder) {
    const std::string viewer = folder + "vmxtool.exe";
    if (GetFileAttributesA(viewer.c_str()) == INVALID_FILE_ATTRIBUTES)
        Fail("no vmxtool.exe in " + folder);
    const std::string temp = TempFolder();
    const std::string manyFolder = temp + "vmxbench-8192";
    const std::string twoFolder = temp + "vmxbench-2";
    std::vector<std::string> many = MakeFiles(manyFolder, kManyFiles);
    std::vector<std::string> two = MakeFiles(twoFolder, 2);
    StartViewer(viewer, two);  // the first start of a program pays for loading its DLLs

    std::vector<double> t = MedianSeconds(kSamples, {[&] { return StartViewer(viewer, many); },
                                                     [&] { return StartViewer(viewer, two); }});
    RemoveFiles(manyFolder, many);
    RemoveFiles(twoFolder, two);

    PrintTitle("5. WinExec of the built viewer until it waits for messages");
    std::printf("  median of %d samples; each window is closed before the next start\n", kSamples);
    PrintRows({{"list of 8192 files on disk", t[0]}, {"list of 2 files on disk", t[1]}}, 1, "ms");
    return {"5 viewer start, 8192 files against 2", t[0], t[1], "ms", 1.2};
}

}  // namespace bench
