// The viewer's command line: the path alone, the path with "/f" and a list file, or the
// path with "/dinfo". Anything else is refused with a message naming the problem.
#pragma once

#include <string>
#include <vector>

#include "viewer_texts.h"

// Splits the arguments after the program name. Spaces and tabs separate, double quotes
// group and are removed. Backslashes are always taken as they stand: a drive root passed
// as "C:\" must stay C:\, and no file name can hold a double quote anyway.
std::vector<std::string> SplitArguments(const char* commandLine);

// The arguments part of a whole command line (as GetCommandLineA gives it): the program
// name, quoted or not, and the blanks after it are skipped.
const char* SkipProgramName(const char* commandLine);

enum class ViewerMode { Items, List, DiskInfo };

enum class ArgumentError { None, MissingPath, UnknownSwitch, ListNameMissing, TooManyArguments };

struct ViewerRequest {
    ArgumentError error = ArgumentError::None;
    ViewerMode mode = ViewerMode::Items;
    std::string path;
    std::string listFile;
    std::string unknownSwitch;  // the switch that was not understood, for the message
};

ViewerRequest ParseViewerArguments(const std::vector<std::string>& args);

// The message for a refused command line: what is wrong, then how the program is used.
std::string ArgumentErrorMessage(const ViewerRequest& request, const ViewerTexts& texts);
