#include "tools/tool_worker_win.h"

#include <process.h>

#include "tools/worker_requests.h"
#include "ui/win_handles_win.h"
#include "ui/window_classes.h"

namespace qv {

namespace {

// The worker thread's queue as the coalescing rule sees it.
struct WorkerQueue {
    HWND window;
    bool Take(uint32_t* request) {
        MSG m;
        if (!PeekMessageW(&m, nullptr, kWorkerRecompute, kWorkerStop, PM_REMOVE)) return false;
        // WM_QUIT comes out whatever the filter says: it goes back, or the thread would never end
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            return false;
        }
        *request = m.message;
        return true;
    }
    void Put(uint32_t request) { PostMessageW(window, request, 0, 0); }
};

LRESULT CALLBACK WorkerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* worker = reinterpret_cast<ToolWorker*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
    }
    case kWorkerRecompute: {
        worker->busy = true;
        worker->served = worker->requested.load();
        worker->recompute(worker->context);
        worker->recomputes.fetch_add(1);
        worker->busy = false;
        WorkerQueue queue{window};
        CoalesceWorkerRequests(queue);
        return 0;
    }
    case kWorkerStop: {
        DestroyWindow(window);
        WorkerQueue queue{window};
        CoalesceWorkerRequests(queue); // the window has gone: what it puts back is dropped
        return 0;
    }
    case WM_DESTROY:
        if (worker) worker->window = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

unsigned __stdcall WorkerThread(void* parameter) {
    auto* worker = static_cast<ToolWorker*>(parameter);
    HWND window = CreateWindowExW(0, kToolWorkerClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), worker);
    worker->window = window;
    SetEvent(worker->ready);
    if (!window) return 1;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0)
        DispatchMessageW(&m);
    return 0;
}

} // namespace

bool RegisterToolWorkerClass() {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = WorkerWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kToolWorkerClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void UnregisterToolWorkerClass() {
    UnregisterClassW(kToolWorkerClass, GetModuleHandleW(nullptr));
}

bool StartToolWorker(ToolWorker* worker, void (*recompute)(void*), void* context) {
    worker->recompute = recompute;
    worker->context = context;
    worker->window = nullptr;
    KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!ready) return false;
    worker->ready = ready.get();
    uintptr_t thread = _beginthreadex(nullptr, 0, WorkerThread, worker, 0, nullptr);
    if (thread == 0) return false;
    KernelHandle handle(reinterpret_cast<HANDLE>(thread));
    WaitForSingleObject(ready.get(), INFINITE);
    worker->ready = nullptr;
    if (worker->window.load()) {
        worker->thread = handle.release();
        return true;
    }
    WaitForSingleObject(handle.get(), INFINITE); // it could not make its window and is ending
    return false;
}

void RequestRecompute(ToolWorker* worker) {
    if (HWND window = worker->window.load()) {
        worker->requested.fetch_add(1);
        PostMessageW(window, kWorkerRecompute, 0, 0);
    }
}

WorkerStop StopToolWorker(ToolWorker* worker, DWORD limitMs) {
    if (!worker->thread) return WorkerStop::NotRunning;
    ULONGLONG start = GetTickCount64();
    // a send, so that a waiting worker has gone by the time it returns; a busy one answers only
    // after its recompute, which is what the time limit is for
    if (HWND window = worker->window.load()) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, kWorkerStop, 0, 0, SMTO_NORMAL, limitMs, &answer);
    }
    ULONGLONG spent = GetTickCount64() - start;
    DWORD rest = spent < limitMs ? static_cast<DWORD>(limitMs - spent) : 0;
    WorkerStop result = WorkerStop::Stopped;
    if (WaitForSingleObject(worker->thread, rest) != WAIT_OBJECT_0) {
        TerminateThread(worker->thread, 1);
        WaitForSingleObject(worker->thread, INFINITE);
        result = WorkerStop::Terminated;
    }
    CloseHandle(worker->thread);
    worker->thread = nullptr;
    worker->window = nullptr;
    worker->busy = false;
    return result;
}

} // namespace qv
