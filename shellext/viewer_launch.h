// Starting the viewer on a captured selection: one path on the command line, several
// through a temporary list file.
#pragma once

#include <windows.h>

// Always S_OK: a launch that cannot happen is not the shell's or the user's concern.
HRESULT LaunchViewer(const char* lastPath, char* const* selectedPaths, int selectedCount);
