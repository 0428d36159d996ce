// Planted beside a program under the name of a DLL that Windows loads on demand by name.
// Loaded, it leaves "planted-loaded.txt" beside itself; it does nothing else.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(self, path, MAX_PATH);
    std::string mark = path;
    mark = mark.substr(0, mark.rfind('\\') + 1) + "planted-loaded.txt";
    HANDLE file = CreateFileA(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
