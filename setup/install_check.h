// Whether the INF installer did its work: the system's installer reports nothing back (its
// exit code says 0 whatever happened), so the product is looked for where it must be.
#pragma once

#include <string>

// Empty when every product folder holds the extension and the viewer and every registry
// view that holds the product names the extension's class; otherwise what is missing, the
// first thing found, in the system's code page.
std::string MissingAfterInstall();
