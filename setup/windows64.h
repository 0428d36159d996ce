// 64-bit Windows, where the product lives in two system folders and two registry views:
// the native ones for 64-bit Explorer, the 32-bit ones (SysWOW64, the redirected view) for
// 32-bit programs. The 64-bit setup program serves it and meets both as they are; the
// 32-bit one serves 32-bit Windows alone and hands 64-bit Windows over (native_setup.h).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// True for a 32-bit program on 64-bit Windows.
bool RunsUnderWow64();
// This program serves 64-bit Windows: the 64-bit build on the NT family. The Windows 95
// family never is.
bool RunsOn64BitWindows();

// The registry views that hold the product's redirected keys (its class, the uninstall
// entry, the approval): this program's own view alone (0) on 32-bit Windows, the 32-bit
// and the native view on 64-bit Windows.
std::vector<REGSAM> ProductRegistryViews();

// The Shellext folders of the installed files: SystemDir's first; on 64-bit Windows also
// the 32-bit system folder's.
std::vector<std::string> ProductFolders();

// The 32-bit system folder under its real name (SysWOW64); empty when there is none.
std::string Wow64SystemFolder();

// The machine that Windows itself runs on (IMAGE_FILE_MACHINE_I386, _AMD64, _ARM64, ...),
// read with IsWow64Process2 where the system has it; elsewhere the machine that this
// program's build implies.
USHORT QueryNativeMachine();
// The package carries x86 and x64 builds only: Windows on any other machine cannot load
// its extension.
bool PackageServesThisMachine();
