// The command's title: the classic item's label in the system's language, without the
// access-key marker that a classic menu underlines and the new menu does not show.
#pragma once

#include <windows.h>

// Removes access-key markers from `text` in place: a "(&X)" group (with the space before
// it, as Japanese labels write it) goes whole, a lone '&' goes, "&&" becomes '&'.
void RemoveAccessKeyMarkers(wchar_t* text);

// The label of this system's language as UTF-16, markers removed; false when it does not
// fit `title`.
bool MenuTitle(wchar_t* title, int capacity);
