// Reading the program's command line: splitting it into arguments and choosing the flow.
#pragma once

#include <string>
#include <vector>

// Splits a whole command line, the program's own name included, into its arguments.
// Bytes 1 to 32 separate arguments. A double quote starts a run that ends at the next one;
// separators inside the run belong to the argument and the quotes are dropped. An empty
// pair of quotes in front of an argument is passed over like a separator.
std::vector<std::string> SplitArguments(const char* commandLine);

enum class SetupFlow { Install, Uninstall };

// Uninstall exactly when the first argument after the program's name is "/uninstall", byte
// for byte; anything else, or no argument, installs. Further arguments do not count.
SetupFlow FlowFor(const char* commandLine);
