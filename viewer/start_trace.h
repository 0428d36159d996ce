// A support aid: when the environment variable VMXTOOL_TRACE names a file, the viewer
// appends to it what it was started with and what it read ("command: ...", "count: ...",
// "item: ...", "deleted: yes|no", "dinfo: ..."), and the path it shows for each item
// ("shown: ...", in UTF-8, as it may hold names outside the code page), one line each.
// The items window also tells when it shows ("window: N rows"), when its message loop
// answers ("loop: running"), when the look-up of the items begins ("lookup: started") and
// how many it looked up ("looked up: N"), in the order these happen.
// Helps to tell a wrong start from a wrong display, and lets a test on a real host see
// what the shell passed.
#pragma once

#include <string>
#include <vector>

// Whether the viewer traces at all: spares gathering lines for nobody.
bool Tracing();
void TraceStart(const char* key, const std::string& value);
// One line per value, written at once: thousands of items cost one write, not thousands.
void TraceStartLines(const char* key, const std::vector<std::string>& values);
