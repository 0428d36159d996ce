#include "refusal_report.h"

#include <windows.h>

#include "command_line.h"
#include "environment.h"
#include "error_report.h"
#include "errors.h"
#include "exit_codes.h"
#include "run_options.h"
#include "setup_log.h"
#include "setup_texts.h"
#include "system_calls.h"

int ReportRefusal(const char* french, const char* japanese, const std::string& file,
                  const RunOptions& options, const std::string& why) {
    const std::string text = (IsJapaneseSystem() ? japanese : french) + file;
    if (options.quiet) {
        AppendLogLine(options.logFile, (why.empty() ? std::string() : why + ": ") +
                                           Utf8OneLine(text, TextCodePage()) + "; exit code " +
                                           std::to_string(ExitCode::Failed));
        return ExitCode::Failed;
    }
    const std::string caption =
        ProductDisplayName + (options.flow == SetupFlow::Uninstall
                                  ? Texts::UninstallReportCaptionSuffix
                                  : Texts::InstallCaptionSuffix);
    SystemCalls.MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    return ExitCode::ErrorReported;
}

int RunReportingErrors(const RunOptions& options, const std::function<int()>& work) {
    if (!options.quiet) {
        int exitCode = ExitCode::ErrorReported;
        const int reported = RunWithErrorReport([&] { exitCode = work(); });
        return reported ? reported : exitCode;
    }
    // Quiet, the error that the report would show goes into the log instead.
    try {
        return work();
    } catch (const Exception& error) {
        const std::string text =
            DefaultErrorReportText(error.ClassName(), error.Message(), error.RaiseAddress());
        AppendLogLine(options.logFile, Utf8OneLine(text, CP_ACP) + "; exit code " +
                                           std::to_string(ExitCode::Failed));
        return ExitCode::Failed;
    }
}
