// Whether the setup program runs elevated, and the road it then takes to open a file as
// the user who started it: through that user's own shell, the desktop's shell view, which
// runs unelevated.
#pragma once

#include <windows.h>

// The process token's elevation type (TokenElevationTypeFull = 2 when elevated); also Full
// for a token that UAC did not split but that holds the Administrators group (SYSTEM, the
// built-in Administrator, UAC switched off, NT before Vista); 0 where the system cannot
// tell (the Windows 95 family, NT 4).
DWORD CurrentElevationType();

// Opens the file with its default action through the desktop's shell view
// (IShellWindows -> IShellDispatch2::ShellExecute), so that it runs as the desktop's user,
// unelevated. FALSE when there is no such shell to ask.
BOOL OpenThroughDesktopShell(const char* file);

// The NT family, Vista and later, and the token elevated: what this program opens for the
// user must not run with its rights.
bool RunsElevated();
