// The setup program's own installed file, which the uninstallation cannot delete while it
// runs and leaves for the next start of Windows.
#pragma once

#include <string>
#include <vector>

// The running program's own file, as Windows started it; empty when the path does not fit
// in MAX_PATH characters.
std::string RunningProgramFile();
// The same in UTF-16 on the NT family, where a folder outside the code page can be named;
// empty elsewhere.
std::wstring RunningProgramFileWide();

// SystemDir + "\Shellext\vmxinst.exe": the path that the user is told about.
std::string SetupFilePath();

// Every installed copy of the setup program: on 64-bit Windows the INF file puts one in
// both system folders (the 64-bit program in the native one, SetupFilePath(), the 32-bit
// one in SysWOW64); elsewhere SetupFilePath() alone.
std::vector<std::string> SetupFilesAtRestart();
