// Started by the error report test: runs work under the default error report, with the
// message box written to a file instead of shown, and ends with the exit code it gives.
//   error_report_child.exe raise <file>   an error raised inside the program's own code
//   error_report_child.exe ok <file>      work that ends normally
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "error_report.h"
#include "string_list.h"
#include "system_calls.h"

namespace {

const char* g_reportFile = nullptr;

int WINAPI WriteBoxToFile(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    if (FILE* f = std::fopen(g_reportFile, "wb")) {
        std::fprintf(f, "owner=%lu\nstyle=%#x\ncaption=%s\ntext=%s",
                     static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(owner)), style,
                     caption, text);
        std::fclose(f);
    }
    return IDOK;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 99;
    g_reportFile = argv[2];
    SystemCalls.MessageBoxA = WriteBoxToFile;
    bool raise = std::strcmp(argv[1], "raise") == 0;
    return RunWithErrorReport([raise] {
        TStringList lines;
        if (raise) lines.LineAt(0);  // an empty list: EListError
    });
}
