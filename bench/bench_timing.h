// Timing for the benchmark programs: a stopwatch, medians of interleaved samples, and
// the rows of a printed table. Every figure is a ratio of two medians taken in one run.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace bench {

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&start_); }
    double Seconds() const;

private:
    LARGE_INTEGER start_;
};

// One sample of one arm: its own set-up and clean-up stay outside the seconds it returns.
using Arm = std::function<double()>;

// Runs every arm once per sample, starting each sample with the next arm in turn so that
// no arm always follows the same other one, and returns each arm's median in seconds.
std::vector<double> MedianSeconds(int samples, const std::vector<Arm>& arms);

struct Row {
    std::string what;
    double seconds;
};

// Prints the rows with their times in `unit` ("ms" or "us") and each time divided by the
// time of row `reference`.
void PrintRows(const std::vector<Row>& rows, size_t reference, const char* unit);

// One line of the summary: the handler's median against its baseline's. Times are held in
// seconds and printed in `unit`, "ms" or "us"; any other unit is printed as held.
struct Figure {
    std::string what;
    double handler;
    double baseline;
    const char* unit;
    double goal;  // the ratio aimed at; 0 when there is none
};

void PrintSummary(const std::vector<Figure>& figures);

// A line of dashes under a section's title.
void PrintTitle(const std::string& title);

}  // namespace bench
