#include "viewer_windows.h"

#include <cstdio>

#include "benches.h"

namespace bench {
namespace {

const DWORD kWindowWait = 20000;  // ms; only keeps a lost viewer from hanging the run

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

}  // namespace

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

}  // namespace bench
