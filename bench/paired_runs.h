// Paired timing for the benchmarks that quote ratios: ours and the reference run in turn, A B A
// B ..., so that a change in the machine's speed (it is shared) falls on both alike; the figures
// are the median, minimum and maximum of the per-pair ratios. Times are the thread's CPU time,
// which other work on a shared machine disturbs far less than the wall clock (the work timed
// runs on this one thread). A run that fails ends the program: a ratio against work that failed
// means nothing.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

namespace qvbench {

struct PairedFigures {
    double oursMedian = 0, referenceMedian = 0;         // seconds
    double ratioMedian = 0, ratioMin = 0, ratioMax = 0; // reference time / our time: above 1 we are faster
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
    return f;
}

inline void PrintPaired(const char* name, const char* reference, const PairedFigures& f) {
    std::printf("%-34s ours %8.1f ms  %-22s %8.1f ms  ratio %.2f (min %.2f, max %.2f)\n", name, f.oursMedian * 1e3,
                reference, f.referenceMedian * 1e3, f.ratioMedian, f.ratioMin, f.ratioMax);
}

} // namespace qvbench
