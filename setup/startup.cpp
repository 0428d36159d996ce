#include "startup.h"

#include "command_line.h"
#include "environment.h"
#include "install.h"
#include "run_options.h"
#include "setup_run.h"
#include "uninstall.h"

int RunSetup(const char* commandLine) {
    ChooseProductDisplayName();
    const RunOptions options = ReadRunOptions(commandLine);

    // ---- From here on this process does the work itself: one setup program at a time ----
    return RunAsAsked(options, [&options] {
        if (options.flow == SetupFlow::Uninstall)
            RunUninstall();
        else
            RunInstall();
    });
}
