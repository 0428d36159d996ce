// The disk information window: the volume's drive, label, file system, serial number,
// capacity, used and free space, with a bar showing how full it is. Esc or Enter closes.
#pragma once

#include <windows.h>

#include "viewer_session.h"
#include "viewer_texts.h"

int RunDiskWindow(HINSTANCE instance, const ViewerStart& start, const ViewerTexts& texts, int show);
