// The folder of Windows 11's menu command, System32\Shellext\vmxmenu: the command's DLL, its
// package, the build's certificate, the logo that the package's manifest names and the
// viewer that the command starts beside it (the package's application). It is
// the package's external location, whose access list and integrity level the registration
// changes for good; a folder that holds nothing else keeps that change away from the rest
// of the product. Earlier versions put the same files straight into Shellext.
#pragma once

#include <string>
#include <vector>

// The files that the INF file copies into the folder.
extern const char* const kMenuFolderFiles[5];

// The folder in the native system folder, and one of its files.
std::string MenuFolder();
std::string MenuFile(const char* name);

// The folder and its files, for a reinstallation to take back from the restart processing.
std::vector<std::string> MenuFolderPaths();

// The uninstallation's part: every file in the folder and the folder itself; what a COM
// surrogate still holds, and then the folder, go at the next start of Windows.
void RemoveMenuFolder();

// An upgrade from the layout of earlier versions: their command's files in Shellext itself
// go (a held DLL at the next start of Windows), and the trust given to their certificate
// with them.
void RetireEarlierMenuLayout();
