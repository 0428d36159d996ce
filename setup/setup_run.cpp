#include "setup_run.h"

#include <string>

#include "ask_user.h"
#include "command_line.h"
#include "environment.h"
#include "error_report.h"
#include "exit_codes.h"
#include "run_options.h"
#include "run_state.h"
#include "setup_log.h"
#include "setup_texts.h"
#include "single_instance.h"

namespace {

std::string FlowName(const RunOptions& options) {
    std::string name = options.quiet ? "quiet " : "interactive ";
    return name + (options.flow == SetupFlow::Uninstall ? "uninstallation" : "installation");
}

std::string Outcome(int exitCode) {
    switch (exitCode) {
        case ExitCode::Done: return "done";
        case ExitCode::ErrorReported: return "ended by the error report";
        case ExitCode::DoneRestartNeeded: return "done; files wait for the restart";
        case ExitCode::Failed: return "failed";
        case ExitCode::MachineNotServed: return "this Windows cannot be served";
        default: return "ended";
    }
}

void ShowAnotherSetupRunning() {
    const std::string text =
        IsJapaneseSystem()
            ? ProductDisplayName + Texts::AnotherSetupJapaneseAfter
            : Texts::AnotherSetupFrenchBefore + ProductDisplayName + Texts::AnotherSetupFrenchAfter;
    AskUser(text, ProductDisplayName, MB_OK | MB_ICONWARNING, IDOK);
}

}  // namespace

int RunAsAsked(const RunOptions& options, const std::function<void()>& flow) {
    if (options.quiet && !options.problem.empty()) {
        AppendLogLine(options.logFile, "the command line cannot be read (" +
                                           Utf8OneLine(options.problem, CP_ACP) +
                                           "): nothing was changed; exit code 87");
        return ExitCode::InvalidCommandLine;
    }

    SetupLock lock = TakeSetupLock();
    if (!lock.Held()) {
        // The other run may be writing this very log: a line at its end, if it lets us.
        AppendLogLine(options.logFile, FlowName(options) +
                                           ": another setup program of the product is at "
                                           "work: nothing was changed");
        if (options.quiet) return ExitCode::AnotherSetupRunning;
        ShowAnotherSetupRunning();
        return ExitCode::ErrorReported;
    }

    SetupLog log;
    if (!options.logFile.empty() && !log.Open(options.logFile) && options.quiet)
        return ExitCode::LogNotWritable;
    ScopedRun run(options, log);
    LogUtf8(FlowName(options));
    const int flowExitCode = RunWithErrorReport(flow);
    const int exitCode =
        options.quiet ? QuietExitCode(flowExitCode) : AskedExitCode(flowExitCode);
    LogUtf8("end: " + Outcome(exitCode) + "; exit code " + std::to_string(exitCode));
    return exitCode;
}
