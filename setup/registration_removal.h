// The two removals that both the installation and the uninstallation run on
// HKEY_CLASSES_ROOT.
#pragma once

// Removes the shell extension's COM class and its two context-menu handler entries, then
// flushes HKEY_CLASSES_ROOT and gives the shell three seconds to notice.
void RemoveShellExtensionRegistration();

// Removes the "Infos disque" verb from drives and directories.
void RemoveDiskInfoVerbs();
