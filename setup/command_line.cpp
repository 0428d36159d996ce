#include "command_line.h"

namespace {

bool IsSeparator(char c) {
    unsigned char b = static_cast<unsigned char>(c);
    return b >= 1 && b <= 32;
}

}  // namespace

std::vector<std::string> SplitArguments(const char* commandLine) {
    std::vector<std::string> arguments;
    const char* p = commandLine ? commandLine : "";
    for (;;) {
        for (;;) {
            while (IsSeparator(*p)) ++p;
            if (p[0] == '"' && p[1] == '"')
                p += 2;
            else
                break;
        }
        if (*p == '\0') break;

        std::string argument;
        while (*p != '\0' && !IsSeparator(*p)) {
            if (*p == '"') {
                ++p;
                while (*p != '\0' && *p != '"') argument += *p++;
                if (*p == '"') ++p;
            } else {
                argument += *p++;
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

SetupFlow FlowFor(const char* commandLine) {
    std::vector<std::string> arguments = SplitArguments(commandLine);
    if (arguments.size() >= 2 && arguments[1] == "/uninstall") return SetupFlow::Uninstall;
    return SetupFlow::Install;
}
