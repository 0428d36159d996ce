// The list file that hands a selection of several items to the viewer: the count on the
// first line, then one path per line, every line ended by CR LF.
#pragma once

// Writes the list into the file `name`, replacing what it holds. A failed write stops the
// writing; what reached the file before stays, and the count line still states `count`.
// Each path lies in a buffer of MAX_PATH bytes, as the handler keeps them, and ends at its
// first zero byte or at the end of the buffer.
void WriteListFile(const char* name, char* const* selectedPaths, int selectedCount);
