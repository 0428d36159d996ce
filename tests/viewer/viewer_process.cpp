#include "viewer_process.h"

#include <commctrl.h>

#include <cstdlib>
#include <vector>

#include "quoted.h"

namespace viewertest {

namespace {

// Generous bounds for a slow machine; they only stop a hung test, nothing is timed.
constexpr int kPollMilliseconds = 100;
constexpr int kMaxPolls = 600;

struct WindowSearch {
    DWORD processId;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, search->className) == 0) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> WindowsOf(DWORD processId, const char* className) {
    WindowSearch search = {processId, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

std::string ViewerProgramPath() {
    // The build gives a host path; Wine shows the host's root as drive Z:.
    std::string path = std::string("Z:") + VIEWER_PROGRAM_UNIX_PATH;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

bool HasDisplay() {
    char value[256] = {};
    return GetEnvironmentVariableA("DISPLAY", value, sizeof value) > 0;
}

ViewerProcess::ViewerProcess(const std::string& arguments) {
    std::string line = Quoted(ViewerProgramPath()) + " " + arguments;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info_)) {
        info_ = PROCESS_INFORMATION();
    }
}

ViewerProcess::~ViewerProcess() {
    if (info_.hProcess == nullptr) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

HWND ViewerProcess::WaitForWindow(const char* className) {
    if (!Started()) return nullptr;
    for (int i = 0; i < kMaxPolls; ++i) {
        std::vector<HWND> windows = WindowsOf(info_.dwProcessId, className);
        if (!windows.empty()) return windows.front();
        if (WaitForSingleObject(info_.hProcess, kPollMilliseconds) == WAIT_OBJECT_0) break;
    }
    return nullptr;
}

bool ViewerProcess::WaitForExit(DWORD& exitCode, int* messageBoxes) {
    if (messageBoxes != nullptr) *messageBoxes = 0;
    if (!Started()) return false;
    for (int i = 0; i < kMaxPolls; ++i) {
        if (WaitForSingleObject(info_.hProcess, kPollMilliseconds) == WAIT_OBJECT_0) {
            GetExitCodeProcess(info_.hProcess, &exitCode);
            return true;
        }
        for (HWND box : WindowsOf(info_.dwProcessId, "#32770")) {
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            if (messageBoxes != nullptr) ++*messageBoxes;
        }
    }
    return false;
}

std::wstring ViewerProcess::ListText(HWND list, int row, int column) {
    struct Request {
        LVITEMW item;
        wchar_t text[MAX_PATH];
    };
    auto* remote = static_cast<Request*>(
        VirtualAllocEx(info_.hProcess, nullptr, sizeof(Request), MEM_COMMIT, PAGE_READWRITE));
    if (remote == nullptr) return L"<no memory in the viewer>";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = remote->text;
    item.cchTextMax = MAX_PATH;
    wchar_t text[MAX_PATH] = L"<unread>";
    if (WriteProcessMemory(info_.hProcess, &remote->item, &item, sizeof item, nullptr)) {
        SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&remote->item));
        ReadProcessMemory(info_.hProcess, remote->text, text, sizeof text, nullptr);
    }
    VirtualFreeEx(info_.hProcess, remote, 0, MEM_RELEASE);
    text[MAX_PATH - 1] = L'\0';
    return text;
}

void ClickColumn(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int x = 0;
    for (int i = 0; i < column; ++i)
        x += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, i, 0));
    x += static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0)) / 2;
    LPARAM at = MAKELPARAM(x, 4);
    PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(header, WM_LBUTTONUP, 0, at);
}

}  // namespace viewertest
