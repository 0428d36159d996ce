#include "run_options.h"

#include <vector>

namespace {

const char* const kSwitches[] = {"/quiet", "/uninstall", "/diskinfo", "/log"};

bool SameSwitch(const std::string& argument, const char* name) {
    if (argument.size() != std::char_traits<char>::length(name)) return false;
    for (std::string::size_type i = 0; i < argument.size(); ++i) {
        char c = argument[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != name[i]) return false;
    }
    return true;
}

// "/log /quiet" has lost its file name rather than named a file "\quiet".
bool IsSwitch(const std::string& argument) {
    for (const char* name : kSwitches)
        if (SameSwitch(argument, name)) return true;
    return false;
}

}  // namespace

RunOptions ReadRunOptions(const char* commandLine) {
    const std::vector<std::string> arguments = SplitArguments(commandLine);
    RunOptions options;
    bool uninstall = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (SameSwitch(argument, "/quiet")) {
            options.quiet = true;
        } else if (SameSwitch(argument, "/uninstall")) {
            uninstall = true;
        } else if (SameSwitch(argument, "/diskinfo")) {
            options.diskInfo = true;
        } else if (SameSwitch(argument, "/log")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].empty() || IsSwitch(arguments[i + 1])) {
                if (options.problem.empty()) options.problem = "/log names no file";
                continue;
            }
            options.logFile = arguments[++i];
        } else if (options.problem.empty()) {
            options.problem = "unknown switch " + argument;
        }
    }

    if (options.quiet) {
        options.flow = uninstall ? SetupFlow::Uninstall : SetupFlow::Install;
        return options;
    }
    // Interactive: the flow as it has always been chosen, whatever else the line holds.
    options.flow = FlowFor(commandLine);
    options.diskInfo = false;
    if (!options.problem.empty()) options.logFile.clear();
    options.problem.clear();
    return options;
}
