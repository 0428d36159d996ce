// The main window: the items in a list (name, folder, size, last change) over a status
// bar with their count and total size. Resizable; Esc closes, a click on a column header
// sorts, Ctrl+C copies the chosen paths, Ctrl+A chooses all.
#pragma once

#include <windows.h>

#include "viewer_session.h"
#include "viewer_texts.h"

// Takes the items' paths from start.
int RunItemsWindow(HINSTANCE instance, ViewerStart& start, const ViewerTexts& texts,
                   bool yearFirst, int show);
