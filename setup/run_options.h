// What the command line asks of a run: which flow, whether anyone is in front of the
// screen, and where to keep a log.
#pragma once

#include <string>

#include "command_line.h"

struct RunOptions {
    SetupFlow flow = SetupFlow::Install;
    // No box and no readme: every question takes the answer that goes on.
    bool quiet = false;
    // A quiet installation adds the "Infos disque" verbs.
    bool diskInfo = false;
    // Empty: no log.
    std::string logFile;
    // A quiet run whose command line cannot be read runs nothing; this says why.
    std::string problem;
};

// Switches, in any letter case and any order: /quiet, /uninstall, /diskinfo, /log <file>.
// A run is quiet when one argument is /quiet; it then reads every argument as a switch,
// and an unknown one or a /log without its file leaves `problem` set. An interactive run
// keeps the one rule it always had: the first argument exactly "/uninstall" uninstalls,
// anything else installs; it honours /log only when every argument is a switch it knows.
RunOptions ReadRunOptions(const char* commandLine);
