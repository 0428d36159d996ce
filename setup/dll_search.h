// The setup program runs elevated: every DLL that Windows loads into it by name on demand
// (the message boxes' theme, the shell's helpers) must come from the system folder, never
// from the program's own folder, which is usually Downloads.
#pragma once

// The first thing the program does, on the NT family; the Windows 95 family has nothing
// of the kind and is left as it is.
void RestrictDllSearch();
