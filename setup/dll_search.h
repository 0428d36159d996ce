// The setup program runs elevated: every DLL that Windows loads into it by name on demand
// (the message boxes' theme, the shell's helpers) must come from the system folder, never
// from the program's own folder, which is usually Downloads.
#pragma once

// The first thing the program does. On the NT family: DLLs from System32 only where the
// system offers it (SetDefaultDllDirectories), else no current folder in the search
// (SetDllDirectoryA("")); and the safe program search, for good. The Windows 95 family has
// none of these: nothing.
void RestrictDllSearch();
