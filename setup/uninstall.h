// The uninstallation flow: runs when the first argument is "/uninstall".
#pragma once

// After one confirmation removes every registry key of the product, deletes the installed
// files, leaves the setup program's own file to the next restart, and reports; on the
// Windows 95 family the report offers to restart Windows at once.
void RunUninstall();
