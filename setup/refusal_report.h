// How a program that only starts another setup program (the 32-bit one handing over, the
// single setup file) says that it cannot: it holds no lock and no log of its own, so one
// box, or in a quiet run one line added to the /log file.
#pragma once

#include <functional>
#include <string>

struct RunOptions;

// The text in the system's language, then the file at fault. Interactive: one box and exit
// code 1. Quiet: `why` (when given) and the text added to the log, and 1603.
int ReportRefusal(const char* french, const char* japanese, const std::string& file,
                  const RunOptions& options, const std::string& why = std::string());

// Runs the work and returns its exit code. An error that leaves it ends the run as
// everywhere else: the default error report and 1; quiet, its text in the log and 1603.
int RunReportingErrors(const RunOptions& options, const std::function<int()>& work);
