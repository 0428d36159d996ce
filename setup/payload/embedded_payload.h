// The single setup file: a small 64-bit program carrying the whole package for 64-bit
// Windows as a cabinet among its resources, with the SHA-256 of each file beside it. It
// unpacks them into a staged folder of its own, checks them, and starts the plain 64-bit
// setup program from there on its own arguments: every box, switch, exit code and result
// is that program's.
#pragma once

// Resource names (RCDATA) that the build links into the single setup file.
#define VMX_PAYLOAD_CABINET "VMXPAYLOAD"
#define VMX_PAYLOAD_SUMS "VMXPAYLOADSUMS"

// The whole run of the single setup file; returns the exit code. A damaged payload starts
// nothing: one box in the system's language and 1; a quiet run adds the reason to its
// /log file and ends with 1603. Otherwise the staged program's exit code.
int RunCarriedSetup(const char* commandLine);
