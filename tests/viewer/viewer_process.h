// Running the real vmxtool.exe from a test: where it is, starting it, finding its windows,
// answering its message boxes and waiting for it to end.
#pragma once

#include <windows.h>

#include <string>

namespace viewertest {

// The built program, as a Windows path.
std::string ViewerProgramPath();

// True when the tests run with an X display, so that windows really appear.
bool HasDisplay();

class ViewerProcess {
public:
    // Starts the program with the given arguments after its own quoted path.
    explicit ViewerProcess(const std::string& arguments);
    ~ViewerProcess();  // ends the program if it is still running
    ViewerProcess(const ViewerProcess&) = delete;
    ViewerProcess& operator=(const ViewerProcess&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }
    // The program's visible top-level window of that class, waiting for it to appear
    // (a bounded wait: null if it never does).
    HWND WaitForWindow(const char* className);
    // Waits for the end, confirming any message box the program shows meanwhile; false
    // when it does not end within the bound. messageBoxes counts the boxes answered.
    bool WaitForExit(DWORD& exitCode, int* messageBoxes = nullptr);
    // The text of a cell of the program's list view, read through memory in its process:
    // a list view's texts do not cross processes by themselves.
    std::wstring ListText(HWND list, int row, int column);

private:
    PROCESS_INFORMATION info_ = {};
};

// Clicks a list view's column header, as the user does to sort.
void ClickColumn(HWND list, int column);

}  // namespace viewertest
