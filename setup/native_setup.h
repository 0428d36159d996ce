// 64-bit Windows is set up by the 64-bit setup program. The 32-bit one, which the user
// double-clicks, starts it with its own arguments and ends with its exit code; it shows
// nothing and changes nothing itself, but for one box when there is no 64-bit program to
// start.
#pragma once

#include <string>

#include "child_setup.h"

struct RunOptions;

// The 32-bit program on 64-bit Windows of the x64 machine. Windows on other machines keeps
// the 32-bit program's refusal; the 64-bit program and 32-bit Windows never hand over.
bool HandsOverTo64BitSetup();

// The 64-bit setup program by two names: the one this program starts it by, and the one
// the user knows it by. They differ only for the installed copy, which a 32-bit program
// reaches through the WOW64 alias "Sysnative".
struct NativeSetup {
    std::string reached;
    std::string known;
};

// Which 64-bit program: the installed one in the native system folder when this program
// is the installed 32-bit copy in <system folder>\Shellext (SysWOW64, or the system folder
// by the name WOW64 shows a 32-bit program); vmxinst64.exe beside this program otherwise
// (the unpacked package). Never found by a search. The folders come without a trailing
// backslash.
NativeSetup NativeSetupFor(const std::string& ownPath, const std::string& systemFolder,
                           const std::string& wow64Folder);

// Starts the 64-bit program on this program's arguments, in the current folder (where the
// INF file is looked for), waits for it and returns its exit code. A file that is not a
// 64-bit x64 program, or one that cannot start, is reported in one box in the system's
// language, and the exit code is 1; a quiet run writes the box's text into its log instead
// and ends with 1603.
int RunNativeSetup(const NativeSetup& program, const char* commandLine, const RunOptions& options);

// The whole hand-over of this process: the program for its own path, started on the
// program's command line; elevated, a checked copy of the one beside it.
int HandOverTo64BitSetup(const char* commandLine, const RunOptions& options);
