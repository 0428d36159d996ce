#include "startup.h"

#include "command_line.h"
#include "environment.h"
#include "error_report.h"
#include "install.h"
#include "uninstall.h"

int RunSetup(const char* commandLine) {
    return RunWithErrorReport([commandLine] {
        ChooseProductDisplayName();
        if (FlowFor(commandLine) == SetupFlow::Uninstall)
            RunUninstall();
        else
            RunInstall();
    });
}
