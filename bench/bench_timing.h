// Timing shared by the benchmarks: the best wall time of several runs, which is the figure least
// disturbed by the other work of the machine.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace qvbench {

// Seconds of the fastest of `runs` runs of `job`. A run that returns false ends the program,
// since a figure for work that failed means nothing.
inline double BestSeconds(int runs, const std::function<bool()>& job) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        if (!job()) {
            std::fprintf(stderr, "benchmark: a timed run failed\n");
            std::exit(1);
        }
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

} // namespace qvbench
