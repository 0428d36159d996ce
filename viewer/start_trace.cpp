#include "start_trace.h"

#include <windows.h>

void TraceStart(const char* key, const std::string& value) {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("VMXTOOL_TRACE", path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string line = key;
    line += ": ";
    line += value;
    line += "\r\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}
