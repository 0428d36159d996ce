#include "child_setup.h"

#include <shellapi.h>

#include <vector>

#include "scoped_handle.h"

namespace {

// Started by an elevated program, the child inherits its rights without a second prompt;
// an unelevated start (elevation turned off) needs Windows to ask.
HANDLE Start(const std::string& program, const std::string& arguments, const char* folder) {
    std::string line = "\"" + program + "\"" + arguments;
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    PROCESS_INFORMATION started = {};
    if (CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       folder, &startup, &started)) {
        CloseHandle(started.hThread);
        return started.hProcess;
    }
    constexpr DWORD kElevationRequired = 740;  // ERROR_ELEVATION_REQUIRED, since Vista
    if (GetLastError() != kElevationRequired) return nullptr;
    SHELLEXECUTEINFOA execute = {};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = "runas";
    execute.lpFile = program.c_str();
    const std::string parameters = arguments.empty() ? arguments : arguments.substr(1);
    execute.lpParameters = parameters.c_str();
    execute.lpDirectory = folder;
    execute.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&execute)) return nullptr;
    return execute.hProcess;
}

}  // namespace

std::string ArgumentsAfterProgramName(const char* commandLine) {
    const char* p = commandLine ? commandLine : "";
    // Windows' own rule for the program's name: up to the closing quote when it starts
    // with one, up to the first space or tab otherwise.
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
    }
    return p;
}

bool RunChildSetup(const std::string& program, const char* commandLine, const char* folder,
                   DWORD& exitCode) {
    const std::string rest = ArgumentsAfterProgramName(commandLine);
    // One separator between the name and what follows, which stays as it was.
    const bool separated = rest.empty() || rest[0] == ' ' || rest[0] == '\t';
    const std::string arguments = separated ? rest : " " + rest;
    ScopedHandle process(Start(program, arguments, folder));
    if (!process.Valid()) return false;
    WaitForSingleObject(process.Get(), INFINITE);
    exitCode = 1;
    GetExitCodeProcess(process.Get(), &exitCode);
    return true;
}
