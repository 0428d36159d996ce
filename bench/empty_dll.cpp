// A DLL that does nothing, linked like vmxtool.dll: the cost of loading any DLL at all.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
