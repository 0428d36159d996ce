// 64-bit Windows, where the product lives in two system folders and two registry views:
// the native ones for 64-bit Explorer, the 32-bit ones (SysWOW64, the redirected view) for
// 32-bit programs. The shipped setup program is 32-bit and meets them through WOW64, which
// shows it the 32-bit folder under the native one's name; a 64-bit build meets them as
// they are.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// True for a 32-bit program on 64-bit Windows.
bool RunsUnderWow64();
// The NT family on a 64-bit machine: a 64-bit program, or a 32-bit one under WOW64. The
// Windows 95 family never is.
bool RunsOn64BitWindows();

// The registry views that hold the product's redirected keys (its class, the uninstall
// entry, the approval): this program's own view alone (0) on 32-bit Windows, the 32-bit
// and the 64-bit view on 64-bit Windows (a 64-bit program reaches its own without a flag).
std::vector<REGSAM> ProductRegistryViews();

// A Shellext folder of the installed files, by two names: the one this program opens it
// by, and the one that the user and the restart processing know it by. They differ only
// for the native folder of a 32-bit program on 64-bit Windows, reached through the WOW64
// alias "Sysnative" and known as SystemDir's.
struct ProductFolder {
    std::string reached;
    std::string known;
};
// SystemDir's Shellext first; on 64-bit Windows also the other system folder's.
std::vector<ProductFolder> ProductFolders();

// The native system folder as this program reaches it: "<Windows>\Sysnative" for a 32-bit
// program on 64-bit Windows, SystemDir elsewhere. No trailing backslash.
std::string NativeSystemFolder();

// The 32-bit system folder under its real name (SysWOW64); empty when there is none.
std::string Wow64SystemFolder();

// The machine that Windows itself runs on (IMAGE_FILE_MACHINE_I386, _AMD64, _ARM64, ...),
// read with IsWow64Process2 where the system has it; elsewhere the machine that this
// program's build implies.
USHORT QueryNativeMachine();
// The package carries x86 and x64 builds only: Windows on any other machine cannot load
// its extension.
bool PackageServesThisMachine();
