// The Windows 11 menu command's identity, shared by the command's DLL, its package and the
// setup program. The build reads the quoted values of the VMX_MENU_* lines below for the
// package's manifest, so each stays a one-line string literal.
#pragma once

// The command's class, served by vmxmenu.dll in the package's surrogate.
#define VMX_MENU_CLSID "{f31c53be-1d19-4b7b-af85-1fda349482b2}"
// The package's identity name: letters, digits and dots only.
#define VMX_MENU_PACKAGE_NAME "Caldwyn.VelluMax.Menu"
// The verb's identifier in the manifest: 3 to 64 letters or digits.
#define VMX_MENU_VERB_ID "VelluMax"
