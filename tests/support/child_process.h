// Starting a Windows program from a test and waiting for its end.
#pragma once

#include <windows.h>

#include <string>

namespace vmxtest {

// Runs the command line (CreateProcessA, no window) and returns the exit code. Throws
// std::runtime_error when the program cannot be started, or when it is still running after
// limitMs (it is then ended, so a hung child cannot hang the test).
DWORD RunAndWait(const std::string& commandLine, DWORD limitMs = INFINITE);

}  // namespace vmxtest
