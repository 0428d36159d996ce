// 64-bit Windows as this 32-bit program meets it: WOW64 shows it the 32-bit system folder
// under the native one's name and the 32-bit registry view, while the product also lives
// in the native folder and view for 64-bit Explorer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// True for a 32-bit program on 64-bit Windows.
bool RunsUnderWow64();
// The NT family under WOW64: the roads of 64-bit Windows. The Windows 95 family never is.
bool RunsOn64BitWindows();

// The registry views that hold the product's redirected keys (its class, the uninstall
// entry, the approval): this program's own view alone (0) on 32-bit Windows, the 32-bit
// and the 64-bit view on 64-bit Windows.
std::vector<REGSAM> ProductRegistryViews();

// The Shellext folders of the installed files, as this program reaches them: SystemDir's
// alone on 32-bit Windows; on 64-bit Windows also the native system folder's, by its WOW64
// alias "Sysnative".
std::vector<std::string> ShellextFolders();

// The native system folder as this program reaches it: "<Windows>\Sysnative" on 64-bit
// Windows, SystemDir elsewhere. No trailing backslash.
std::string NativeSystemFolder();

// The 32-bit system folder under its real name (SysWOW64); empty when there is none.
std::string Wow64SystemFolder();
