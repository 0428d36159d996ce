// A run of the setup program around its flow, once this process is the one that works:
// the command line's verdict, one run at a time, the log, and the exit code.
#pragma once

#include <functional>

struct RunOptions;

// Runs the flow as the options ask, and returns the exit code.
//   Interactive: 0, or 1 after the default error report, as ever; when another setup
//   program of the product keeps working for a few seconds, one box and 1.
//   Quiet: 87 (command line not understood), 1622 (log not writable), 1618 (another setup
//   program at work), or else what the flow came to: 0, 3010, 1603 or 1633.
// Whatever ends the run before the flow starts changes nothing.
int RunAsAsked(const RunOptions& options, const std::function<void()>& flow);
