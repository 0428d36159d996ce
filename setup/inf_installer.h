// Running the product's INF file "vmxtool.inf" from the current directory through the
// system's INF installer: setupapi on the NT family, setupx on the Windows 95 family.
#pragma once

#include <string>

// "vmxtool.inf" expanded against the current directory; empty when the full path does not
// fit in MAX_PATH characters.
std::string InfFullPath();

// True when the path names a file that is not a directory.
bool InfFileExists(const std::string& path);

// The command line that installs the INF file's DefaultInstall section in mode 132 (the
// INF's folder is the source; ask before a restart). The installer is named by its full
// path, quoted, so that no program of the same name in the current folder runs instead.
// The INF path stays unquoted: the installers take the rest of the line as the path.
//   NT family:    "<SystemDir>\rundll32.exe" setupapi.dll,InstallHinfSection DefaultInstall
//                 132 <full path>
//   95 family:    "<WindowsDir>\RUNDLL.EXE" setupx.dll,InstallHinfSection DefaultInstall
//                 132 <short path>
// Empty on the Windows 95 family when the short path cannot be had.
std::string BuildInstallCommand(const std::string& infPath);

// Starts the command and waits for its end, polling every 100 ms. False when no process
// started (an empty command included).
bool RunInfInstaller(const std::string& command);
