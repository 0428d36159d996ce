#include "run_state.h"

#include "exit_codes.h"
#include "run_options.h"
#include "setup_log.h"

namespace {

struct RunState {
    bool quiet = false;
    bool diskInfo = false;
    SetupLog* log = nullptr;
    int failure = 0;
    bool failedAsked = false;
    bool productFilesAtRestart = false;
};

RunState g_run;

}  // namespace

ScopedRun::ScopedRun(const RunOptions& options, SetupLog& log) {
    g_run = RunState();
    g_run.quiet = options.quiet;
    g_run.diskInfo = options.diskInfo;
    g_run.log = &log;
}

ScopedRun::~ScopedRun() {
    g_run = RunState();
}

bool QuietRun() {
    return g_run.quiet;
}

bool DiskInfoAsked() {
    return g_run.diskInfo;
}

void LogUtf8(const std::string& line) {
    if (g_run.log) g_run.log->Line(line);
}

void LogAnsi(const std::string& line) {
    if (g_run.log) g_run.log->Line(Utf8OneLine(line, CP_ACP));
}

void NoteFailure(int exitCode, const std::string& reason) {
    if (g_run.failure == 0) g_run.failure = exitCode;
    if (!reason.empty()) LogAnsi("error: " + reason);
}

void NoteAskedRunFails() {
    g_run.failedAsked = true;
}

int AskedExitCode(int flowExitCode) {
    return g_run.failedAsked ? ExitCode::ErrorReported : flowExitCode;
}

void NoteLeftForRestart(const std::string& knownPath, LeftForRestart what) {
    if (what == LeftForRestart::ProductFile) g_run.productFilesAtRestart = true;
    const char* kind = what == LeftForRestart::Folder         ? "folder"
                       : what == LeftForRestart::SetupProgram ? "setup program"
                                                              : "file";
    LogAnsi(std::string("left for the restart (") + kind + "): " + knownPath);
}

int QuietExitCode(int flowExitCode) {
    if (g_run.failure != 0) return g_run.failure;
    if (flowExitCode != ExitCode::Done) return ExitCode::Failed;
    return g_run.productFilesAtRestart ? ExitCode::DoneRestartNeeded : ExitCode::Done;
}
