// The worker thread: runs the long jobs one at a time from its own message queue.
// A job is a thread message whose number is the command identifier that asked for
// it; 40003 ends the thread. Coordination with the user-interface thread goes
// through the atomic flags of the application state and window messages only.
#include <windows.h>

#include "app/app_win.h"

namespace {

constexpr UINT kEndJob = 40003, kPrintJob = 40010, kThumbnailJob = 40035, kMovieJob = 40055,
               kSlideShowJob = 40056, kCustomSlideShowJob = 40098, kBatchJob = 40108;

HANDLE g_thread = nullptr;

// Jobs whose subsystems land with their own features take no action yet.
void run_job(UINT job) {
    switch (job) {
    case kPrintJob:
        EnableWindow(g_app.main_window, FALSE);
        g_app.abort_jobs = false;
        EnableWindow(g_app.main_window, TRUE);
        break;
    case kThumbnailJob: g_app.abort_jobs = false; break;
    case kSlideShowJob:
    case kCustomSlideShowJob: Sleep(50); break;
    case kBatchJob: InvalidateRect(g_app.main_window, nullptr, FALSE); break;
    case kMovieJob:
    default: break;
    }
}

DWORD WINAPI worker_main(LPVOID ready) {
    MSG msg;
    PeekMessage(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
    SetEvent(static_cast<HANDLE>(ready));
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kEndJob) break;
        if (msg.hwnd == nullptr) run_job(msg.message);
    }
    return 0;
}

}  // namespace

void start_worker() {
    HANDLE ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    g_thread = CreateThread(nullptr, 0, worker_main, ready, 0, &g_app.worker_thread_id);
    // The queue must exist before the first job is posted.
    if (g_thread && ready) WaitForSingleObject(ready, 5000);
    if (ready) CloseHandle(ready);
    Sleep(100);
}

void post_worker(UINT job) {
    if (g_app.worker_thread_id) PostThreadMessage(g_app.worker_thread_id, job, 0, 0);
}

void stop_worker() {
    post_worker(kEndJob);
    Sleep(100);
    if (g_thread) {
        WaitForSingleObject(g_thread, 2000);
        CloseHandle(g_thread);
    }
    g_thread = nullptr;
    g_app.worker_thread_id = 0;
}
