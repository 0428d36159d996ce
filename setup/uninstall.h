// The uninstallation flow: runs when the first argument is "/uninstall".
#pragma once

void RunUninstall();
