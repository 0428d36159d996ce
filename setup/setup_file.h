// The setup program's own installed file, which the uninstallation cannot delete while it
// runs and leaves for the next start of Windows.
#pragma once

#include <string>

// SystemDir + "\Shellext\vmxinst.exe": the path that the user is told about.
std::string SetupFilePath();

// The same file as the restart processing sees it. A 32-bit program under WOW64 sees the
// 32-bit system folder under the name of the native one, but the restart processing runs
// natively and would look in the wrong folder: there the path goes through the 32-bit
// system folder's real name. Everywhere else it is SetupFilePath().
std::string SetupFileAtRestart();

// True for a 32-bit program on 64-bit Windows.
bool RunsUnderWow64();
