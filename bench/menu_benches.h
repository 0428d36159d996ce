// The measurements of bench_vmxmenu, each printing its own section and returning its line
// of the summary. `folder` holds the built vmxmenu.dll and the viewer.
#pragma once

#include <shobjidl.h>
#include <windows.h>

#include <string>

#include "bench_timing.h"

namespace bench {

Figure MenuStateBench(const std::string& folder);
Figure MenuInvokeBench(const std::string& folder);

// Ends the program with a message when a benchmark would measure the wrong thing.
[[noreturn]] void Fail(const std::string& what);

}  // namespace bench
