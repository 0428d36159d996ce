// The ANSI form in which a selected item's name reaches the viewer: the command lines and
// the list file stay ANSI, so that the viewer and every other reader of the list can use
// them as they are.
#pragma once

#include <windows.h>

// An ANSI name as DragQueryFileA copies it: at most MAX_PATH - 1 bytes, then a zero.
// Returns the bytes written before the zero.
SIZE_T CopyAnsiName(const BYTE* name, SIZE_T length, char (&path)[MAX_PATH]);

// A UTF-16 name of `length` characters, at any alignment. A name that the ANSI code page
// holds gets the bytes DragQueryFileA gives (its first MAX_PATH - 1 characters, converted).
// One that it cannot hold, or whose ANSI form does not fit the buffer, gets its short 8.3
// path, which opens the same file; without one, the conversion without best fit, whose '?'
// cannot name another file. Returns the bytes written before the zero.
SIZE_T WideNameToAnsi(const BYTE* name, SIZE_T length, char (&path)[MAX_PATH]);

// The temporary folder as GetTempPathA gives it (false when that fails or does not fit),
// unless its name lies outside the code page: that answer then names no folder, and the
// folder's short form, which the code page holds, takes its place where the volume has one.
bool TempFolderAnsi(char (&folder)[MAX_PATH + 1]);
