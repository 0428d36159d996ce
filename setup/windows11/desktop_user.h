// Running a program as the user who is signed in at the desktop, unelevated, and waiting
// for it: what that user registers is theirs, also when the setup program runs elevated
// under an administrator's account that someone typed in for them.
#pragma once

#include <windows.h>

// Starts the command line as a child of the desktop's shell process, whose user and rights
// it takes, waits up to two minutes and returns its exit code; (DWORD)-1 when there is no
// desktop shell or the program cannot be started or does not end. Not elevated, the
// program starts as this one's child, which is the same user. Elevated, it enables
// SeDebugPrivilege for the time it opens the shell, which may be another account's. Run as
// SYSTEM with nobody signed in, there is no desktop shell.
DWORD RunAsDesktopUser(const char* commandLine);
