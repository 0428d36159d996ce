// The folder of the DLL holding this code, in UTF-16: the viewer's icon and the package
// lie there, and the folder may be named outside the code page.
#pragma once

#include <windows.h>

// The folder with its trailing backslash; false when the path does not fit.
bool ModuleFolder(wchar_t (&folder)[MAX_PATH]);
