#include "bench_timing.h"

#include <algorithm>
#include <cstdio>

namespace bench {

double Stopwatch::Seconds() const {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start_.QuadPart) / double(frequency.QuadPart);
}

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Times are held in seconds and printed in ms or us; sizes are printed as they are held.
double Scale(const char* unit) {
    if (unit[0] == 'u') return 1e6;
    return unit[0] == 'm' ? 1e3 : 1;
}

}  // namespace

std::vector<double> MedianSeconds(int samples, const std::vector<Arm>& arms) {
    std::vector<std::vector<double>> times(arms.size());
    for (int sample = 0; sample < samples; ++sample) {
        for (size_t k = 0; k < arms.size(); ++k) {
            size_t arm = (sample + k) % arms.size();
            times[arm].push_back(arms[arm]());
        }
    }
    std::vector<double> medians;
    for (const std::vector<double>& t : times) medians.push_back(Median(t));
    return medians;
}

void PrintRows(const std::vector<Row>& rows, size_t reference, const char* unit) {
    std::printf("  %-72s %10s %7s\n", "", unit, "ratio");
    for (const Row& row : rows) {
        std::printf("  %-72s %10.3f %7.2f\n", row.what.c_str(), row.seconds * Scale(unit),
                    row.seconds / rows[reference].seconds);
    }
}

void PrintSummary(const std::vector<Figure>& figures) {
    PrintTitle("Summary: the handler's median against its baseline's, same run");
    std::printf("  %-50s %12s %12s %7s %6s\n", "figure", "handler", "baseline", "ratio", "goal");
    for (const Figure& f : figures) {
        char handler[32], baseline[32], goal[16] = "-";
        std::snprintf(handler, sizeof handler, "%.3f %s", f.handler * Scale(f.unit), f.unit);
        std::snprintf(baseline, sizeof baseline, "%.3f %s", f.baseline * Scale(f.unit), f.unit);
        if (f.goal > 0) std::snprintf(goal, sizeof goal, "%.1f", f.goal);
        std::printf("  %-50s %12s %12s %7.2f %6s\n", f.what.c_str(), handler, baseline,
                    f.handler / f.baseline, goal);
    }
}

void PrintTitle(const std::string& title) {
    std::printf("\n%s\n%s\n", title.c_str(), std::string(title.size(), '-').c_str());
}

}  // namespace bench
