// The measurements of bench_vmxtool. Each prints its own section, with every arm's median
// and ratio, and returns its lines of the summary.
#pragma once

#include <shlobj.h>
#include <windows.h>

#include <string>
#include <vector>

#include "bench_timing.h"

namespace bench {

// QueryContextMenu on a 25-item menu whose last item is the French Properties item.
Figure MenuBench();
// Initialize with 1,000, 4,000 and 10,000 wide paths against a bare linear pass.
std::vector<Figure> SelectionBench();
// InvokeCommand with 8192 paths: the list file and where its time goes.
std::vector<Figure> LaunchBench();
// Loading the built DLL up to its first menu item, against loading a DLL that does nothing.
// Both DLLs lie in `folder`.
Figure LoadBench(const std::string& folder);
// WinExec of the built viewer (vmxtool.exe in `folder`) on a list of 8192 files, against a
// list of 2. Its windows need a display.
Figure ViewerStartBench(const std::string& folder);
// The single setup file (setup-single\ in `folder`) against vmxinst64.exe of the unpacked
// package (setup-zip\), from start to the start confirmation box. Its boxes need a display.
Figure SetupStartBench(const std::string& folder);

// A handler of the server linked into this program (the DLL's code, so that its system-call
// table can be scripted), created through DllGetClassObject; the caller owns one reference.
IContextMenu* NewLinkedHandler();

// Ends the program with a message when a benchmark would measure the wrong thing.
[[noreturn]] void Fail(const std::string& what);

}  // namespace bench
