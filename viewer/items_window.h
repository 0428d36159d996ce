// The main window: the items in a list (name, folder, size, last change) over a status
// bar with their count and total size. Resizable; Esc closes, a click on a column header
// sorts, Ctrl+C copies the chosen paths, Ctrl+A chooses all. It shows the items by the
// names given at once and answers its messages before it asks the file system about any:
// a thread of its own looks them up, and the status bar counts up until it is done.
// Laid out for the dpi of the monitor it is on, and again when that changes.
#pragma once

#include <windows.h>

#include "viewer_session.h"
#include "viewer_texts.h"

// Takes the items' paths from start.
int RunItemsWindow(HINSTANCE instance, ViewerStart& start, const ViewerTexts& texts, bool yearFirst,
                   int show);
