#include "dll_search.h"

#include "environment.h"
#include "system_dll_search.h"

void RestrictDllSearch() {
    if (IsWindowsNT()) RestrictDllSearchToSystemFolder();
}
