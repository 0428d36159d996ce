// The installation flow: runs when the first argument is not "/uninstall".
#pragma once

void RunInstall();
