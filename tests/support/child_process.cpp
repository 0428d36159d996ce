#include "child_process.h"

#include <stdexcept>
#include <vector>

namespace vmxtest {

DWORD RunAndWait(const std::string& commandLine, DWORD limitMs) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        throw std::runtime_error("cannot start " + commandLine + ": error " +
                                 std::to_string(GetLastError()));
    if (WaitForSingleObject(process.hProcess, limitMs) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        throw std::runtime_error("still running after " + std::to_string(limitMs) +
                                 " ms, ended: " + commandLine);
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode;
}

}  // namespace vmxtest
