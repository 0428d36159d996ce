// Planted under the INF installer's name. It installs nothing and leaves a mark in the
// current folder, its own path and then its command line, so a flow that starts it shows,
// and with which command.
#include <windows.h>

#include <string>

int main() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string mark = std::string(self) + "\r\n" + GetCommandLineA();
    HANDLE file = CreateFileA("stand-in-ran.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, mark.data(), static_cast<DWORD>(mark.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
