// Another setup program started on this one's own arguments: the 64-bit program that the
// 32-bit one hands over to, or the plain program that the single setup file unpacked.
// This process waits for it and ends with its exit code.
#pragma once

#include <windows.h>

#include <string>

// Everything after the program's name on a command line, exactly as it stands: the
// arguments that the other program is given unchanged.
std::string ArgumentsAfterProgramName(const char* commandLine);

// Starts the program by its absolute path on this program's arguments, in `folder` (null:
// this program's current folder), waits for its end and stores its exit code. False when
// it could not be started.
bool RunChildSetup(const std::string& program, const char* commandLine, const char* folder,
                   DWORD& exitCode);
