// An open tool's preview worker: a thread started with the C run-time's thread starter, running
// a message-only window of class Quorvel_iudt_class. The GUI thread posts it recompute requests
// (WM_APP + 1) and, to finish, sends it the stop request (WM_APP + 2); the worker coalesces both
// (tools/worker_requests.h). While it runs the worker owns the result buffer; the GUI thread
// touches the buffers only after StopToolWorker returned. Windows only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace qv {

constexpr DWORD kWorkerStopLimitMs = 1000;

struct ToolWorker {
    HANDLE thread = nullptr;
    std::atomic<HWND> window{nullptr};  // published by the worker once its window exists
    std::atomic<bool> busy{false};      // set while a recompute runs
    std::atomic<int32_t> recomputes{0}; // how many ran (the tests count them)
    // Requests asked for and the last one a recompute started from: the stop is sent, so it
    // overtakes a recompute still posted, and Apply must not commit a preview of older values.
    std::atomic<uint32_t> requested{0};
    std::atomic<uint32_t> served{0};
    void (*recompute)(void* context) = nullptr;
    void* context = nullptr;
    HANDLE ready = nullptr; // set by the worker once its window exists (or could not be made)
};

// Registers the worker's window class (the tool's construct step) and takes it back (destroy).
bool RegisterToolWorkerClass();
void UnregisterToolWorkerClass();

// Starts the thread and returns once its window exists; false (nothing running) when either
// cannot be made.
bool StartToolWorker(ToolWorker* worker, void (*recompute)(void* context), void* context);
// Asks for a recompute with the values as they are now.
void RequestRecompute(ToolWorker* worker);

// True after a stop when a request was never computed; the caller computes it itself.
inline bool RecomputeOutstanding(const ToolWorker& worker) {
    return worker.served.load() != worker.requested.load();
}

enum class WorkerStop {
    NotRunning,
    Stopped,    // the worker ended by itself
    Terminated, // it was still computing after the time limit and was ended by force
};

// Sends the stop request, waits for the thread for the rest of `limitMs`, terminates it when it
// still runs, and closes the handle.
WorkerStop StopToolWorker(ToolWorker* worker, DWORD limitMs = kWorkerStopLimitMs);

} // namespace qv
