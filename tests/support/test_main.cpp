// main() of every test program. Two rules on top of googletest:
//  - A skipped test fails unless its skip is listed in expected_skips.cpp for this build tree:
//    ctest counts a skip as a pass, so a check that quietly stopped running would otherwise look
//    green. googletest's printer is wrapped so that an unexpected skip prints as "[  FAILED  ]",
//    never with the "[  SKIPPED ]" that ctest's entries take for a skip; an expected one prints as
//    googletest prints it, with its reason.
//  - With QV_CASE_TIMEOUT_S set (the Windows programs, one ctest entry each), a case that runs
//    longer than that many seconds ends the program with its name, instead of one timeout for the
//    whole program that names nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "expected_skips.h"
#include "test_support.h"

namespace {

std::string FullName(const testing::TestInfo& info) {
    return std::string(info.test_suite_name()) + "." + info.name();
}

std::string SkipMessage(const testing::TestResult& result) {
    for (int i = 0; i < result.total_part_count(); ++i) {
        const testing::TestPartResult& part = result.GetTestPartResult(i);
        if (part.skipped()) return part.message();
    }
    return {};
}

class SkipAwarePrinter : public testing::TestEventListener {
public:
    explicit SkipAwarePrinter(testing::TestEventListener* inner) : inner_(inner) {}
    ~SkipAwarePrinter() override { delete inner_; }

    void OnTestProgramStart(const testing::UnitTest& u) override { inner_->OnTestProgramStart(u); }
    void OnTestIterationStart(const testing::UnitTest& u, int i) override { inner_->OnTestIterationStart(u, i); }
    void OnEnvironmentsSetUpStart(const testing::UnitTest& u) override { inner_->OnEnvironmentsSetUpStart(u); }
    void OnEnvironmentsSetUpEnd(const testing::UnitTest& u) override { inner_->OnEnvironmentsSetUpEnd(u); }
    void OnTestSuiteStart(const testing::TestSuite& t) override { inner_->OnTestSuiteStart(t); }
    void OnTestStart(const testing::TestInfo& t) override { inner_->OnTestStart(t); }
    void OnTestDisabled(const testing::TestInfo& t) override { inner_->OnTestDisabled(t); }
    void OnTestPartResult(const testing::TestPartResult& r) override { inner_->OnTestPartResult(r); }
    void OnTestSuiteEnd(const testing::TestSuite& t) override { inner_->OnTestSuiteEnd(t); }
    void OnEnvironmentsTearDownStart(const testing::UnitTest& u) override { inner_->OnEnvironmentsTearDownStart(u); }
    void OnEnvironmentsTearDownEnd(const testing::UnitTest& u) override { inner_->OnEnvironmentsTearDownEnd(u); }
    void OnTestProgramEnd(const testing::UnitTest& u) override { inner_->OnTestProgramEnd(u); }

    void OnTestEnd(const testing::TestInfo& info) override {
        if (!info.result()->Skipped()) {
            inner_->OnTestEnd(info);
            return;
        }
        std::string name = FullName(info);
        if (const char* reason = qvtest::ExpectedSkipReason(name)) {
            inner_->OnTestEnd(info);
            expected_.push_back(name + ": " + reason);
            std::printf("  (a skip this build tree expects: %s)\n", reason);
            return;
        }
        unexpected_.push_back(name + " (" + SkipMessage(*info.result()) + ")");
        std::printf("[  FAILED  ] %s: skipped, which this build tree may not\n", name.c_str());
        std::fflush(stdout);
    }

    void OnTestIterationEnd(const testing::UnitTest& unit, int iteration) override {
        if (unexpected_.empty()) {
            inner_->OnTestIterationEnd(unit, iteration);
            return;
        }
        // googletest's summary would list these as "[  SKIPPED ]"
        std::printf("[==========] %d tests ran.\n[  PASSED  ] %d tests.\n", unit.test_to_run_count(),
                    unit.successful_test_count());
        for (int i = 0; i < unit.total_test_suite_count(); ++i) {
            const testing::TestSuite* suite = unit.GetTestSuite(i);
            for (int k = 0; k < suite->total_test_count(); ++k)
                if (suite->GetTestInfo(k)->result()->Failed())
                    std::printf("[  FAILED  ] %s\n", FullName(*suite->GetTestInfo(k)).c_str());
        }
        for (const std::string& line : expected_)
            std::printf("  expected skip %s\n", line.c_str());
        std::printf("[  FAILED  ] %zu test(s) skipped that this build tree must run (a skip hides what it checks; "
                    "an expected one is recorded in tests/support/expected_skips.cpp with its reason):\n",
                    unexpected_.size());
        for (const std::string& name : unexpected_)
            std::printf("[  FAILED  ] %s\n", name.c_str());
        std::fflush(stdout);
    }

    bool failed() const { return !unexpected_.empty(); }

private:
    testing::TestEventListener* inner_;
    std::vector<std::string> expected_, unexpected_;
};

// Ends the program when one case runs longer than its limit.
class CaseWatchdog : public testing::EmptyTestEventListener {
public:
    explicit CaseWatchdog(int seconds) : limit_(seconds), thread_([this] { Watch(); }) {}
    ~CaseWatchdog() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void OnTestStart(const testing::TestInfo& info) override {
        std::lock_guard<std::mutex> lock(mutex_);
        current_ = FullName(info);
        started_ = std::chrono::steady_clock::now();
        running_ = true;
    }
    void OnTestEnd(const testing::TestInfo&) override {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
    }

private:
    void Watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stop_) {
            wake_.wait_for(lock, std::chrono::milliseconds(500));
            if (!running_ || std::chrono::steady_clock::now() - started_ < std::chrono::seconds(limit_)) continue;
            std::printf("\n[  TIMEOUT ] %s ran longer than %d s (QV_CASE_TIMEOUT_S); ending the program\n",
                        current_.c_str(), limit_);
            std::fflush(stdout);
            std::fflush(stderr);
            qvtest::RunBeforeTimeoutExit();
            std::_Exit(3);
        }
    }

    const int limit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::string current_;
    std::chrono::steady_clock::time_point started_;
    bool running_ = false;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    auto* skips = new SkipAwarePrinter(listeners.Release(listeners.default_result_printer()));
    listeners.Append(skips); // the listener list owns it
    const char* limit = std::getenv("QV_CASE_TIMEOUT_S");
    if (limit && std::atoi(limit) > 0) listeners.Append(new CaseWatchdog(std::atoi(limit)));
    int result = RUN_ALL_TESTS();
    return result != 0 ? result : skips->failed() ? 1 : 0;
}
