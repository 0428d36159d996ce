#include "startup.h"

#include "command_line.h"
#include "environment.h"
#include "error_report.h"
#include "install.h"
#include "native_setup.h"
#include "uninstall.h"

int RunSetup(const char* commandLine) {
    // Each Windows is set up by a program of its own bitness.
    if (HandsOverTo64BitSetup()) return HandOverTo64BitSetup(commandLine);
    return RunWithErrorReport([commandLine] {
        ChooseProductDisplayName();
        if (FlowFor(commandLine) == SetupFlow::Uninstall)
            RunUninstall();
        else
            RunInstall();
    });
}
