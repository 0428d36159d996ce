// The message loop of a viewer window. Esc closes the window wherever the focus is.
#pragma once

#include <windows.h>

// dialogKeys: Tab moves between controls and Enter closes, as in a dialog box.
int RunMessageLoop(HWND window, bool dialogKeys);
