// The two requests a tool's preview worker takes, and how it coalesces them. After handling one
// request the worker takes every further request out of its queue and puts back at most one of
// each, the recompute first: a burst of parameter changes leads to one recompute with the latest
// values, and a stop is never lost. Portable, so that the rule is tested without a window; the
// worker window (tools/tool_worker_win.cpp) runs it on its message queue.
#pragma once

#include <cstdint>

namespace qv {

constexpr uint32_t kWorkerRecompute = 0x8000 + 1; // WM_APP + 1
constexpr uint32_t kWorkerStop = 0x8000 + 2;      // WM_APP + 2

// `queue` offers bool Take(uint32_t* request) (removes the oldest recompute or stop request, false
// when there is none) and void Put(uint32_t request) (appends one).
template <class Queue> void CoalesceWorkerRequests(Queue& queue) {
    bool recompute = false, stop = false;
    uint32_t request = 0;
    while (queue.Take(&request)) {
        if (request == kWorkerRecompute) recompute = true;
        if (request == kWorkerStop) stop = true;
    }
    if (recompute) queue.Put(kWorkerRecompute);
    if (stop) queue.Put(kWorkerStop);
}

} // namespace qv
