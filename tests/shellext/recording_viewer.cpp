// Stands in for the viewer when a test starts it for real: it records how it was started
// into files beside its own program file and ends. Written last, "done" tells the test
// that the others are complete:
//   command-line.txt   its command line, as GetCommandLineA gives it
//   show.txt           the show command it was started with, or -1 when none was given
//   list.bin           a copy of the list file named after /f, when there is one
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char block[65536];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
    CloseHandle(file);
    return true;
}

// The quoted name after " /f ", or empty.
std::string ListFileNamedIn(const std::string& commandLine) {
    const std::string key = " /f \"";
    size_t start = commandLine.find(key);
    if (start == std::string::npos) return "";
    start += key.size();
    size_t end = commandLine.find('"', start);
    return end == std::string::npos ? "" : commandLine.substr(start, end - start);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self, n);
    folder.resize(folder.find_last_of('\\') + 1);

    std::string commandLine = GetCommandLineA();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    char show[16];
    std::snprintf(show, sizeof show, "%d",
                  (startup.dwFlags & STARTF_USESHOWWINDOW) ? int(startup.wShowWindow) : -1);

    bool ok = WriteWholeFile(folder + "command-line.txt", commandLine) &&
              WriteWholeFile(folder + "show.txt", show);
    std::string listFile = ListFileNamedIn(commandLine);
    if (ok && !listFile.empty()) {
        std::string list;
        ok = ReadWholeFile(listFile, list) && WriteWholeFile(folder + "list.bin", list);
    }
    WriteWholeFile(folder + "done", ok ? "ok" : "failed");
    return ok ? 0 : 1;
}
