// The viewer started as the extension starts it: WinExec returns once the started program
// first waits for messages (or after 30 s), and the shell's window is frozen until then.
// A list of 8192 files on disk against a list of 2, in the same run; every start gets a
// fresh list file, as from the extension, and its window is closed before the next one.
#include <cstdio>
#include <string>
#include <vector>

#include "benches.h"

namespace bench {
namespace {

const int kSamples = 11;
const int kManyFiles = 8192;
const DWORD kWindowWait = 20000;  // ms; only keeps a lost viewer from hanging the run

std::string TempFolder() {
    char folder[MAX_PATH + 1];
    DWORD n = GetTempPathA(MAX_PATH, folder);
    if (n == 0 || n > MAX_PATH) Fail("no temporary folder");
    return folder;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot write " + path);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

// A folder of photos: files of a few kilobytes each.
std::vector<std::string> MakeFiles(const std::string& folder, int count) {
    CreateDirectoryA(folder.c_str(), nullptr);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "\\IMG_%05d.jpg", i);
        paths.push_back(folder + name);
        WriteBytes(paths.back(), std::string(1024 + i % 4096, 'j'));
    }
    return paths;
}

void RemoveFiles(const std::string& folder, const std::vector<std::string>& paths) {
    for (const std::string& path : paths) DeleteFileA(path.c_str());
    RemoveDirectoryA(folder.c_str());
}

struct FoundViewer {
    HWND window = nullptr;
};

BOOL CALLBACK FindViewerWindow(HWND window, LPARAM context) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "VelluMaxViewerItems") != 0 || !IsWindowVisible(window)) return TRUE;
    reinterpret_cast<FoundViewer*>(context)->window = window;
    return FALSE;
}

// Closes the viewer's window and waits for its end, so that starts do not pile up.
void CloseViewer() {
    FoundViewer found;
    for (DWORD waited = 0; !found.window && waited < kWindowWait; waited += 20) {
        EnumWindows(FindViewerWindow, reinterpret_cast<LPARAM>(&found));
        if (!found.window) Sleep(20);
    }
    if (!found.window) Fail("no viewer window appeared (is there a display?)");
    DWORD processId = 0;
    GetWindowThreadProcessId(found.window, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostMessageA(found.window, WM_CLOSE, 0, 0);
    bool ended = process != nullptr && WaitForSingleObject(process, kWindowWait) == WAIT_OBJECT_0;
    if (process != nullptr) CloseHandle(process);
    if (!ended) Fail("the viewer did not end after WM_CLOSE");
}

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
