// The program's start: language, then the flow that the command line asks for.
#pragma once

// Sets the display name, runs the installation or the uninstallation, and returns the exit
// code: 0 after a normal end, 1 after the default error report; a quiet run (/quiet) ends
// with the codes of setup_run.h. The 32-bit program on 64-bit Windows returns the 64-bit
// program's instead.
int RunSetup(const char* commandLine);
