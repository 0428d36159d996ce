// The one Windows call that tests must script: message boxes, which block under a display
// and return at once without one. The viewer calls it only through this table.
#pragma once

#include <windows.h>

struct ViewerSystemCalls {
    decltype(&::MessageBoxA) MessageBoxA;
};

extern ViewerSystemCalls ViewerCalls;
