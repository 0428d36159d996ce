#include "start_trace.h"

#include <windows.h>

bool Tracing() {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("VMXTOOL_TRACE", path, sizeof path);
    return n != 0 && n < sizeof path;
}

void TraceStart(const char* key, const std::string& value) {
    TraceStartLines(key, {value});
}

void TraceStartLines(const char* key, const std::vector<std::string>& values) {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("VMXTOOL_TRACE", path, sizeof path);
    if (n == 0 || n >= sizeof path || values.empty()) return;
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string lines;
    for (const std::string& value : values) {
        lines += key;
        lines += ": ";
        lines += value;
        lines += "\r\n";
    }
    DWORD written = 0;
    WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
    CloseHandle(file);
}
