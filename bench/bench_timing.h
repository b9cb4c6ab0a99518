// Timing shared by the benchmarks. Our code and its references run in alternating rounds, with the
// order turned each round, so that a change in the machine's load falls on every side alike; each
// side reports the median of its rounds with the fastest and the slowest. A run that fails, ours
// or a reference's, ends the program with an error: a ratio against work that was not done means
// nothing.
//
// Every compared row is also appended to the file named by QV_BENCH_TABLE, when set, as one
// tab-separated line (scripts/run-benchmarks gathers them into one table). QV_BENCH_RUNS, when
// set, replaces every benchmark's round count (a quick look: QV_BENCH_RUNS=3).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace qvbench {

// Seconds a run took: the median of the rounds, with the fastest and the slowest.
struct Spread {
    double median = 0, min = 0, max = 0;
};

// One side of a comparison: a name for the table and the work of one run (false: it failed).
struct Job {
    std::string name;
    std::function<bool()> run;
};

// What a reference took against ours. The ratio is the reference's median over ours: above 1
// ours is faster.
struct Comparison {
    std::string reference;
    Spread ours, theirs;
    std::string oursName;
    double ratio() const { return ours.median > 0 ? theirs.median / ours.median : 0; }
};

inline int Runs(int wanted) {
    const char* forced = std::getenv("QV_BENCH_RUNS");
    int n = forced ? std::atoi(forced) : 0;
    return n > 0 ? n : std::max(wanted, 1);
}

inline Spread SpreadOf(std::vector<double> seconds) {
    Spread s;
    if (seconds.empty()) return s;
    std::sort(seconds.begin(), seconds.end());
    size_t n = seconds.size();
    s.median = n % 2 ? seconds[n / 2] : (seconds[n / 2 - 1] + seconds[n / 2]) / 2;
    s.min = seconds.front();
    s.max = seconds.back();
    return s;
}

[[noreturn]] inline void Fail(const std::string& job) {
    std::fprintf(stderr, "benchmark: a run of \"%s\" failed; no figures for work that was not done\n", job.c_str());
    std::exit(1);
}

inline double TimeOnce(const Job& job) {
    auto start = std::chrono::steady_clock::now();
    bool ok = job.run();
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!ok) Fail(job.name);
    return took.count();
}

// Seconds of the fastest of `runs` runs of `job` (a failed run ends the program). For a figure of
// its own; a comparison goes through Compare, which interleaves and takes medians.
inline double BestSeconds(int runs, const std::function<bool()>& job) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, TimeOnce({"a timed run", job}));
    return best;
}

// Runs every job once untimed (caches, first-touch pages), then `rounds` rounds in which each job
// runs once, the starting job moving by one each round. One spread per job, in order.
inline std::vector<Spread> MeasureInterleaved(int rounds, const std::vector<Job>& jobs) {
    rounds = Runs(rounds);
    std::vector<std::vector<double>> seconds(jobs.size());
    for (const Job& job : jobs)
        TimeOnce(job);
    for (int r = 0; r < rounds; ++r) {
        for (size_t k = 0; k < jobs.size(); ++k) {
            size_t i = (k + static_cast<size_t>(r)) % jobs.size();
            seconds[i].push_back(TimeOnce(jobs[i]));
        }
    }
    std::vector<Spread> out;
    for (auto& s : seconds)
        out.push_back(SpreadOf(std::move(s)));
    return out;
}

// Ours (the first job) against each reference, interleaved.
inline std::vector<Comparison> Compare(int rounds, const Job& ours, const std::vector<Job>& references) {
    std::vector<Job> jobs{ours};
    jobs.insert(jobs.end(), references.begin(), references.end());
    std::vector<Spread> spreads = MeasureInterleaved(rounds, jobs);
    std::vector<Comparison> out;
    for (size_t i = 0; i < references.size(); ++i)
        out.push_back({references[i].name, spreads[0], spreads[i + 1], ours.name});
    return out;
}

inline Comparison Compare(int rounds, const Job& ours, const Job& reference) {
    return Compare(rounds, ours, std::vector<Job>{reference}).front();
}

// "12.34 ms (12.01-13.20)"
inline std::string FormatSpread(const Spread& s) {
    char text[96];
    std::snprintf(text, sizeof text, "%.2f ms (%.2f-%.2f)", s.median * 1e3, s.min * 1e3, s.max * 1e3);
    return text;
}

inline void AppendToTable(const char* benchmark, const std::string& caseName, const Comparison& c) {
    const char* table = std::getenv("QV_BENCH_TABLE");
    if (!table || !*table) return;
    if (std::FILE* f = std::fopen(table, "a")) {
        std::string what = c.oursName.empty() ? caseName : caseName + ": " + c.oursName;
        std::fprintf(f, "%s\t%s\t%s\t%.4f\t%.4f\t%.4f\t%.4f\t%.4f\t%.4f\t%.3f\n", benchmark, what.c_str(),
                     c.reference.c_str(), c.ours.median * 1e3, c.ours.min * 1e3, c.ours.max * 1e3,
                     c.theirs.median * 1e3, c.theirs.min * 1e3, c.theirs.max * 1e3, c.ratio());
        std::fclose(f);
    }
}

// Prints one case: our spread, then each reference's with its ratio, with throughput when `work`
// units per run are given (for example megapixels with "MP/s"); appends the rows to the table.
inline void Report(const char* benchmark, const std::string& caseName, const std::vector<Comparison>& rows,
                   double work = 0, const char* unit = nullptr) {
    if (rows.empty()) return;
    auto line = [&](const std::string& who, const Spread& s) {
        std::printf("    %-40s %-28s", who.c_str(), FormatSpread(s).c_str());
        if (work > 0 && unit) std::printf(" %9.1f %s", work / s.median, unit);
    };
    std::printf("  %s\n", caseName.c_str());
    line("ours: " + rows.front().oursName, rows.front().ours);
    std::printf("\n");
    for (const Comparison& c : rows) {
        line(c.reference, c.theirs);
        std::printf("   ratio %.2f\n", c.ratio());
        AppendToTable(benchmark, caseName, c);
    }
}

inline void Report(const char* benchmark, const std::string& caseName, const Comparison& c, double work = 0,
                   const char* unit = nullptr) {
    Report(benchmark, caseName, std::vector<Comparison>{c}, work, unit);
}

// Printed once at the top of every benchmark's output.
inline void PrintRatioNote() {
    std::printf("medians of interleaved rounds, (fastest-slowest); ratio = reference median / ours, above 1: ours "
                "is faster\n");
}

} // namespace qvbench
