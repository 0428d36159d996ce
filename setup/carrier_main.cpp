// The single setup file: unpacks the package it carries and starts the setup program in it.
#include <windows.h>

#include "dll_search.h"
#include "embedded_payload.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    return RunCarriedSetup(GetCommandLineA());
}
