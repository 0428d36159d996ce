// A support aid: when the environment variable VMXTOOL_TRACE names a file, the viewer
// appends to it what it was started with and what it read ("command: ...", "count: ...",
// "item: ...", "deleted: yes|no", "dinfo: ..."), and the path it shows for each item
// ("shown: ...", in UTF-8, as it may hold names outside the code page), one line each.
// Helps to tell a wrong start from a wrong display, and lets a test on a real host see
// what the shell passed.
#pragma once

#include <string>

void TraceStart(const char* key, const std::string& value);
