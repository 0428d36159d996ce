// The installation flow: runs when the first argument is not "/uninstall".
#pragma once

// Checks for vmxtool.inf in the current directory, confirms with the user, offers the
// "Infos disque" verb, prepares the registry (verbs, earlier registration, a restart-time
// deletion of the setup program left by an earlier uninstallation), runs the INF file
// through the system's INF installer, waits for its end and opens the readme.
void RunInstall();
