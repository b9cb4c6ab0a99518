// Paired timing for the benchmarks that quote ratios: ours and the reference run in turn, A B A
// B ..., so that a change in the machine's speed (it is shared) falls on both alike; the figures
// are the median, minimum and maximum of the per-pair ratios. Times are the thread's CPU time,
// which other work on a shared machine disturbs far less than the wall clock (the work timed
// runs on this one thread). A run that fails ends the program: a ratio against work that failed
// means nothing. Each printed pair is also a row of scripts/run-benchmarks' table (bench_timing.h),
// and QV_BENCH_RUNS replaces the pair count there too.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "bench_timing.h"

namespace qvbench {

struct PairedFigures {
    double oursMedian = 0, referenceMedian = 0;         // seconds
    double ratioMedian = 0, ratioMin = 0, ratioMax = 0; // reference time / our time: above 1 we are faster
    Spread ours, reference;                             // each side's median, fastest and slowest
};

inline double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

inline double TimeOnce(const std::function<bool()>& job, const char* what) {
    double start = ThreadSeconds();
    if (!job()) {
        std::fprintf(stderr, "benchmark: a timed run of %s failed\n", what);
        std::exit(1);
    }
    return ThreadSeconds() - start;
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One warm-up of each, then `runs` pairs.
inline PairedFigures RunPaired(int runs, const std::function<bool()>& ours, const std::function<bool()>& reference) {
    runs = Runs(runs);
    TimeOnce(ours, "ours");
    TimeOnce(reference, "the reference");
    std::vector<double> a, b, ratio;
    for (int i = 0; i < runs; ++i) {
        double x = TimeOnce(ours, "ours");
        double y = TimeOnce(reference, "the reference");
        a.push_back(x);
        b.push_back(y);
        ratio.push_back(y / x);
    }
    PairedFigures f;
    f.oursMedian = Median(a);
    f.referenceMedian = Median(b);
    f.ratioMedian = Median(ratio);
    f.ratioMin = *std::min_element(ratio.begin(), ratio.end());
    f.ratioMax = *std::max_element(ratio.begin(), ratio.end());
    f.ours = SpreadOf(a);
    f.reference = SpreadOf(b);
    return f;
}

inline void PrintPaired(const char* name, const char* reference, const PairedFigures& f) {
    std::printf("%-34s ours %8.1f ms  %-22s %8.1f ms  ratio %.2f (min %.2f, max %.2f)\n", name, f.oursMedian * 1e3,
                reference, f.referenceMedian * 1e3, f.ratioMedian, f.ratioMin, f.ratioMax);
    // the table names the benchmark after the program (png_bench: "png"), the case after the line
    std::string benchmark = program_invocation_short_name;
    if (benchmark.size() > 6 && benchmark.compare(benchmark.size() - 6, 6, "_bench") == 0)
        benchmark.resize(benchmark.size() - 6);
    std::string what = name;
    what.erase(0, what.find_first_not_of(' '));
    AppendToTable(benchmark.c_str(), what, {reference, f.ours, f.reference, "ours"});
}

} // namespace qvbench
