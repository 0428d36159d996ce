#include "startup.h"

#include "command_line.h"
#include "environment.h"
#include "install.h"
#include "native_setup.h"
#include "run_options.h"
#include "setup_run.h"
#include "uninstall.h"

int RunSetup(const char* commandLine) {
    ChooseProductDisplayName();
    const RunOptions options = ReadRunOptions(commandLine);
    // Each Windows is set up by a program of its own bitness: on 64-bit Windows the 32-bit
    // program only starts the 64-bit one, which keeps the lock, the log and the exit code.
    if (HandsOverTo64BitSetup()) return HandOverTo64BitSetup(commandLine, options);

    // ---- From here on this process does the work itself: one setup program at a time ----
    return RunAsAsked(options, [&options] {
        if (options.flow == SetupFlow::Uninstall)
            RunUninstall();
        else
            RunInstall();
    });
}
