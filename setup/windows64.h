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

// The Shellext folders of the installed files, as this program reaches them: SystemDir's
// first; on 64-bit Windows also the other system folder's (the native one by its WOW64
// alias "Sysnative" for a 32-bit program, SysWOW64 for a 64-bit one).
std::vector<std::string> ShellextFolders();

// The native system folder as this program reaches it: "<Windows>\Sysnative" for a 32-bit
// program on 64-bit Windows, SystemDir elsewhere. No trailing backslash.
std::string NativeSystemFolder();

// The 32-bit system folder under its real name (SysWOW64); empty when there is none.
std::string Wow64SystemFolder();
