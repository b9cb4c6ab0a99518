// The preview worker on its real message queue: a burst of requests while a recompute runs leads
// to one more recompute with the latest value, the stop request is never lost, and a recompute
// that does not end within the limit is terminated (the case in which an apply is refused).
#include <windows.h>

#include <atomic>

#include <gtest/gtest.h>

#include "tools/tool_worker_win.h"
#include "ui/win_handles_win.h"

namespace qv {
namespace {

struct SlowKernel {
    HANDLE release = nullptr;  // the first recompute waits for it
    std::atomic<int> value{0}; // what the GUI thread last stored
    std::atomic<int> seen{-1}; // what the last recompute read
    DWORD sleepMs = 0;         // every recompute after the first takes this long
    std::atomic<int> calls{0};
};

void RunSlowKernel(void* context) {
    auto* k = static_cast<SlowKernel*>(context);
    if (k->calls.fetch_add(1) == 0 && k->release)
        WaitForSingleObject(k->release, 10000);
    else if (k->sleepMs)
        Sleep(k->sleepMs);
    k->seen = k->value.load();
}

class ToolWorkerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegisterToolWorkerClass()); }
    void TearDown() override { UnregisterToolWorkerClass(); }
};

TEST_F(ToolWorkerTest, ABurstWhileBusyGivesOneRecomputeWithTheLastValue) {
    SlowKernel k;
    KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    k.release = release.get();
    ToolWorker worker;
    ASSERT_TRUE(StartToolWorker(&worker, RunSlowKernel, &k));
    RequestRecompute(&worker);
    while (!worker.busy)
        Sleep(1);
    for (int i = 1; i <= 1000; ++i) {
        k.value = i;
        RequestRecompute(&worker);
    }
    SetEvent(release.get());
    while (worker.recomputes < 2)
        Sleep(1);
    EXPECT_EQ(k.seen, 1000);
    EXPECT_EQ(StopToolWorker(&worker), WorkerStop::Stopped);
    EXPECT_EQ(k.calls, 2) << "the burst was coalesced into one recompute";
    EXPECT_EQ(worker.thread, nullptr);
}

TEST_F(ToolWorkerTest, ARecomputeBeyondTheLimitIsTerminated) {
    SlowKernel k;
    k.sleepMs = 5000;
    k.calls = 1; // every call is a slow one
    ToolWorker worker;
    ASSERT_TRUE(StartToolWorker(&worker, RunSlowKernel, &k));
    RequestRecompute(&worker);
    while (!worker.busy)
        Sleep(1);
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(StopToolWorker(&worker, 300), WorkerStop::Terminated);
    EXPECT_LT(GetTickCount64() - start, 4000u) << "the stop waited for the whole recompute";
    EXPECT_EQ(worker.thread, nullptr);

    // an idle worker stops at once when asked
    SlowKernel idle;
    ToolWorker quick;
    ASSERT_TRUE(StartToolWorker(&quick, RunSlowKernel, &idle));
    EXPECT_EQ(StopToolWorker(&quick), WorkerStop::Stopped);
    EXPECT_EQ(StopToolWorker(&quick), WorkerStop::NotRunning);
}

} // namespace
} // namespace qv
