#include "module_folder.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

bool ModuleFolder(wchar_t (&folder)[MAX_PATH]) {
    DWORD n = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    while (n > 0 && folder[n - 1] != L'\\' && folder[n - 1] != L'/') --n;
    if (n == 0) return false;
    folder[n] = L'\0';
    return true;
}
