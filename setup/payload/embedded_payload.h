// The single setup file: the 64-bit setup program carrying the whole package for 64-bit
// Windows as a cabinet among its resources, with the SHA-256 of each file beside it. It
// unpacks them into a staged folder of its own and installs from there exactly as the
// setup program from the unpacked package does.
#pragma once

// Resource names (RCDATA) that the build links into the single setup file.
#define VMX_PAYLOAD_CABINET "VMXPAYLOAD"
#define VMX_PAYLOAD_SUMS "VMXPAYLOADSUMS"

// True when the running program carries a payload.
bool CarriesPayload();

// The installation of a program that carries its payload: unpacks and checks it before the
// first box, then runs the installation on the staged copy. A damaged payload installs
// nothing: one box in the system's language, exit code 1; a quiet run logs it and ends
// with 1603.
void RunEmbeddedInstall();
