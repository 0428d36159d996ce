// The setup program's exit codes. An interactive run ends with 0 or 1, as it always has; a
// quiet run ends with the codes that deployment tools already read from Windows Installer.
#pragma once

namespace ExitCode {

constexpr int Done = 0;
// Interactive: the default error report was shown.
constexpr int ErrorReported = 1;

// Quiet runs only.
constexpr int InvalidCommandLine = 87;        // ERROR_INVALID_PARAMETER
constexpr int Failed = 1603;                  // ERROR_INSTALL_FAILURE
constexpr int AnotherSetupRunning = 1618;     // ERROR_INSTALL_ALREADY_RUNNING
constexpr int LogNotWritable = 1622;          // ERROR_INSTALL_LOG_FAILURE
constexpr int MachineNotServed = 1633;        // ERROR_INSTALL_PLATFORM_UNSUPPORTED
constexpr int DoneRestartNeeded = 3010;       // ERROR_SUCCESS_REBOOT_REQUIRED

}  // namespace ExitCode
