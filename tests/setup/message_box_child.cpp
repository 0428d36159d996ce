// Started by the DLL planting test from a folder with a planted DLL: shows a message box as
// the setup program's first step does, after restricting the DLL search as the setup
// program does when given "restricted", or without that, as the proof that Wine would load
// the planted DLL.
#include <windows.h>

#include <cstring>

#include "dll_search.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "restricted") == 0) RestrictDllSearch();
    MessageBoxA(nullptr, "text", "caption", MB_OK);
    return 0;
}
