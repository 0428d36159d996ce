// The default error report: the one box that ends the program when an error reaches the
// top, and the guard around the program's work that shows it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class Exception;

// The running program's file name: the part of its path after the last backslash, at most
// 63 characters.
std::string RunningProgramName();

// Where the running program's code starts in memory: its image's .text section.
std::uintptr_t ProgramCodeStart();

// "Exception <class> in module <program> at <offset>.\n<message>" with a full stop added
// unless the message is empty or already ends in one. The offset counts from the start of
// the program's code, in 8 upper-case hexadecimal digits.
std::string DefaultErrorReportText(const char* className, const std::string& message,
                                   const void* raiseAddress);

// Shows the report for an error: no owner window, caption "Application Error", style
// MB_TASKMODAL | MB_ICONERROR.
void ShowDefaultErrorReport(const Exception& error);

// Runs the program's work. Returns the exit code: 0 when the work ends normally, 1 after
// the default error report when an error leaves it.
int RunWithErrorReport(const std::function<void()>& work);
