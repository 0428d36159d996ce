#include "command_line.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameSwitch(const std::string& arg, const char* name) {
    size_t i = 0;
    for (; name[i] != '\0'; ++i) {
        if (i >= arg.size() || LowerAscii(arg[i]) != name[i]) return false;
    }
    return i == arg.size();
}

bool IsListSwitch(const std::string& arg) {
    return SameSwitch(arg, "/f");
}
bool IsDiskSwitch(const std::string& arg) {
    return SameSwitch(arg, "/dinfo");
}
bool LooksLikeSwitch(const std::string& arg) {
    return !arg.empty() && arg[0] == '/';
}

ViewerRequest Refused(ArgumentError error, const std::string& unknownSwitch = {}) {
    ViewerRequest r;
    r.error = error;
    r.unknownSwitch = unknownSwitch;
    return r;
}

}  // namespace

// Quotes, spaces and tabs are ASCII bytes that never occur as the second byte of a
// double-byte character, so scanning byte by byte is safe in every ANSI code page.
std::vector<std::string> SplitArguments(const char* commandLine) {
    std::vector<std::string> args;
    if (commandLine == nullptr) return args;
    const char* p = commandLine;
    for (;;) {
        while (IsBlank(*p)) ++p;
        if (*p == '\0') break;
        std::string arg;
        bool quoted = false;
        for (; *p != '\0' && (quoted || !IsBlank(*p)); ++p) {
            if (*p == '"') {
                quoted = !quoted;
            } else {
                arg += *p;
            }
        }
        args.push_back(arg);
    }
    return args;
}

const char* SkipProgramName(const char* commandLine) {
    if (commandLine == nullptr) return "";
    const char* p = commandLine;
    while (IsBlank(*p)) ++p;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') ++p;
        if (*p == '"') ++p;
    }
    while (*p != '\0' && !IsBlank(*p)) ++p;
    while (IsBlank(*p)) ++p;
    return p;
}

ViewerRequest ParseViewerArguments(const std::vector<std::string>& args) {
    if (args.empty() || args[0].empty()) return Refused(ArgumentError::MissingPath);
    if (LooksLikeSwitch(args[0])) {
        if (IsListSwitch(args[0]) || IsDiskSwitch(args[0])) {
            return Refused(ArgumentError::MissingPath);
        }
        return Refused(ArgumentError::UnknownSwitch, args[0]);
    }

    ViewerRequest r;
    r.path = args[0];
    if (args.size() == 1) {
        r.mode = ViewerMode::Items;
        return r;
    }

    const std::string& option = args[1];
    if (LooksLikeSwitch(option) && !IsListSwitch(option) && !IsDiskSwitch(option)) {
        return Refused(ArgumentError::UnknownSwitch, option);
    }
    if (IsListSwitch(option)) {
        if (args.size() < 3 || args[2].empty()) return Refused(ArgumentError::ListNameMissing);
        if (args.size() > 3) return Refused(ArgumentError::TooManyArguments);
        r.mode = ViewerMode::List;
        r.listFile = args[2];
        return r;
    }
    if (IsDiskSwitch(option) && args.size() == 2) {
        r.mode = ViewerMode::DiskInfo;
        return r;
    }
    return Refused(ArgumentError::TooManyArguments);
}

std::string ArgumentErrorMessage(const ViewerRequest& request, const ViewerTexts& texts) {
    std::string message;
    switch (request.error) {
        case ArgumentError::None:
            return {};
        case ArgumentError::MissingPath:
            message = texts.MissingPathError;
            break;
        case ArgumentError::UnknownSwitch:
            message = std::string(texts.UnknownSwitchError) + request.unknownSwitch;
            break;
        case ArgumentError::ListNameMissing:
            message = texts.ListNameMissingError;
            break;
        case ArgumentError::TooManyArguments:
            message = texts.TooManyArgumentsError;
            break;
    }
    return message + texts.UsageHelp;
}
