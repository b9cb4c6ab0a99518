#include "expected_skips.h"

#include <cstring>

namespace qvtest {

namespace {

struct ExpectedSkip {
    const char* tree; // QV_TEST_TREE of the build: native, asan or win64
    const char* test; // "Suite.Name", or "Suite.*" for a whole suite
    const char* reason;
};

// Keep this list short: every line is a check that one tree does not make.
constexpr ExpectedSkip kExpectedSkips[] = {
    {"asan", "Cli.*",
     "the sanitizer tree builds no quorvel-cli (it is the libFuzzer tree); the native tree runs the converter"},
};

bool Matches(const char* pattern, const std::string& test) {
    size_t n = std::strlen(pattern);
    if (n >= 2 && pattern[n - 1] == '*') return test.compare(0, n - 1, pattern, n - 1) == 0;
    return test == pattern;
}

} // namespace

const char* ExpectedSkipReason(const std::string& test) {
    for (const ExpectedSkip& skip : kExpectedSkips)
        if (std::strcmp(skip.tree, QV_TEST_TREE) == 0 && Matches(skip.test, test)) return skip.reason;
    return nullptr;
}

} // namespace qvtest
