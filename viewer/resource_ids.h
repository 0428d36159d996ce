// Resource identifiers shared by the resource script and the windows.
#pragma once

#define IDI_VIEWER 1
