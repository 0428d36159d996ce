// Windows 11's own context menu shows only commands of packaged classes: the menu command
// vmxmenu.dll is declared by the sparse package vmxmenu.msix, which the INF file installs
// beside it in the command's own folder (menu_folder.h), the package's external location.
// Windows registers a package per user: through Active Setup, for every user at their next
// sign-in, the one signed in now included; and at once for the desktop's user, through the
// DLL's own registration run as that user, as a best effort: nobody may be signed in (a
// deployment run as SYSTEM), the desktop may be another account's, Windows may refuse.
// Whatever becomes of it, the certificate's trust and the Active Setup entry stay until
// the uninstallation. Explorer shows the command only after it starts again.
#pragma once

#include <string>

// 64-bit Windows on x64 from build 22000 on, not in safe mode, with its first-run setup
// done: where the packaged command belongs.
bool MenuCommandWanted();

// Before the INF file copies the new package: the trust that an earlier installation's
// own certificate was given goes with that certificate's file, in the command's folder or
// where earlier versions put it.
void ForgetEarlierMenuCertificate();

// After the INF installation: trusts the package's certificate when the build made its
// own (vmxmenu.cer installed) and writes the Active Setup entry, then tries the
// registration for the desktop's user. The log says what came of it and when the command
// appears.
void RegisterMenuCommand();

// The uninstallation's part: removes every package of the command's name, whatever its
// publisher, for every user (for the user running the uninstallation where Windows refuses
// that), the Active Setup entry and the trust given to the installed certificate.
void UnregisterMenuCommand();

// HKLM\Software\Microsoft\Active Setup\Installed Components\<the command's class>.
extern const std::string kMenuActiveSetupKey;
// The build that the registry names as Windows' own; 0 when it cannot be read.
unsigned long WindowsBuildNumber();
