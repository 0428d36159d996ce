// The message loop of a viewer window. Esc closes the window wherever the focus is.
#pragma once

#include <windows.h>

// dialogKeys: Tab moves between controls and Enter closes, as in a dialog box.
// idleMessage: when not 0, sent to the window once, the first time the loop finds no
// message waiting. That is when a program that waits for this one to be ready (WinExec,
// WaitForInputIdle) goes on, so work started then does not hold that program up.
int RunMessageLoop(HWND window, bool dialogKeys, UINT idleMessage = 0);
