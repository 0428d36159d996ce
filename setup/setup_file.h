// The setup program's own installed file, which the uninstallation cannot delete while it
// runs and leaves for the next start of Windows.
#pragma once

#include <string>
#include <vector>

// SystemDir + "\Shellext\vmxinst.exe": the path that the user is told about.
std::string SetupFilePath();

// Every installed copy of the setup program as the restart processing sees it, which runs
// natively and applies no WOW64 redirection: one in each product folder by its known name.
// On 64-bit Windows the INF file puts a copy in both system folders: the 32-bit one goes by
// its real name (SysWOW64), the native one by SetupFilePath(). Elsewhere SetupFilePath()
// alone.
std::vector<std::string> SetupFilesAtRestart();
