// Windows 11's own context menu shows only commands of packaged classes: the menu command
// vmxmenu.dll is declared by the sparse package vmxmenu.msix, which the INF file installs
// beside it in System32\Shellext, the package's external location. Windows registers a
// package per user: for the signed-in user now, through the DLL's own registration run as
// that user, and for every other user at their next sign-in through Active Setup. Where
// any of it fails, nothing of this road is left and the classic menu item serves alone.
#pragma once

#include <string>

// 64-bit Windows on x64 from build 22000 on, not in safe mode, with its first-run setup
// done: where the packaged command belongs.
bool MenuCommandWanted();

// Before the INF file copies the new package: the trust that an earlier installation's
// own certificate was given goes with that certificate's file.
void ForgetEarlierMenuCertificate();

// After the INF installation: trusts the package's certificate when the build made its
// own (vmxmenu.cer installed), writes the Active Setup entry and registers the package for
// the signed-in user. Undoes all of it when the registration fails.
void RegisterMenuCommand();

// The uninstallation's part: removes the package for every user (for the user running
// the uninstallation where Windows refuses that), the Active Setup entry and the trust
// given to the installed certificate.
void UnregisterMenuCommand();

// HKLM\Software\Microsoft\Active Setup\Installed Components\<the command's class>.
extern const std::string kMenuActiveSetupKey;
// The build that the registry names as Windows' own; 0 when it cannot be read.
unsigned long WindowsBuildNumber();
