// The run under way, as the flows see it: whether it is quiet, the log it keeps, and what
// decides a quiet run's exit code (a failure, product files left to the restart).
#pragma once

#include <windows.h>

#include <string>

class SetupLog;
struct RunOptions;

// Set for the length of a run; outside one (in tests of single procedures) nothing is
// quiet and nothing is logged.
class ScopedRun {
public:
    ScopedRun(const RunOptions& options, SetupLog& log);
    ~ScopedRun();
    ScopedRun(const ScopedRun&) = delete;
    ScopedRun& operator=(const ScopedRun&) = delete;
};

bool QuietRun();
// A quiet installation was asked to add the "Infos disque" verbs.
bool DiskInfoAsked();

// One line into the run's log, if it keeps one: UTF-8, or bytes of the system's code page.
void LogUtf8(const std::string& line);
void LogAnsi(const std::string& line);

// The run failed with this exit code (quiet runs); the first failure counts. The reason,
// in the system's code page, goes into the log when there is one.
void NoteFailure(int exitCode, const std::string& reason = std::string());

// A refusal that ends an interactive run with exit code 1 too, though no error reached the
// default error report (a payload that its publisher did not sign).
void NoteAskedRunFails();
// An interactive run's exit code from the flow's end.
int AskedExitCode(int flowExitCode);

// What the restart is left to delete. Only the product's own files make a quiet run end
// with "restart needed": the setup program's copy always goes at the restart, and the
// folders go because it is still in them.
enum class LeftForRestart { ProductFile, SetupProgram, Folder };
void NoteLeftForRestart(const std::string& knownPath, LeftForRestart what);

// A quiet run's exit code from the flow's end: 1 from the default error report fails.
int QuietExitCode(int flowExitCode);
