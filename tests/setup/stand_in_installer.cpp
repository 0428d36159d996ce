// Planted under the INF installer's or the 64-bit setup program's name. It installs nothing
// and leaves a mark in the current folder, its own path and then its command line, so a
// flow that starts it shows, and with which command; it ends with the exit code that
// VMX_STAND_IN_EXIT_CODE names, 0 without it.
#include <windows.h>

#include <cstdlib>
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
    char code[16] = {};
    if (GetEnvironmentVariableA("VMX_STAND_IN_EXIT_CODE", code, sizeof code) > 0)
        return std::atoi(code);
    return 0;
}
