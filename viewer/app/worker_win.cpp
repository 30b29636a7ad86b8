// The worker thread: runs the long jobs one at a time from its own message queue.
// A job is a thread message whose number is the command identifier that asked for
// it; the command table says which job that is. Coordination with the user-interface
// thread goes through the atomic flags (JobFlags) and messages posted to the main
// window only, so no window function is ever called from this thread.
#include "app/worker_win.h"

#include "app/command_table_win.h"
#include "app/job_flags.h"

namespace {

constexpr DWORD kQueueWaitMs = 5 * 1000;

// Tells the main window a job starts or ended; it does the window work itself.
void report(const WorkerContext& context, UINT message, UINT job) {
    if (context.main_window) PostMessage(context.main_window, message, job, 0);
}

// What the thread is started with; start_worker waits until `ready` is set.
struct Start {
    WorkerContext context;
    HANDLE ready;
};

DWORD WINAPI worker_main(LPVOID parameter) {
    const Start* start = static_cast<const Start*>(parameter);
    const WorkerContext context = start->context;
    MSG msg;
    PeekMessage(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the queue
    SetEvent(start->ready);
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd != nullptr) continue;
        const CommandRow* row = command_row((int)msg.message);
        if (!row || !row->job) continue;  // other messages are taken and ignored
        if (!row->job(context)) break;
    }
    return 0;
}

}  // namespace

bool job_end(const WorkerContext&) { return false; }

// The main window disables itself while the job runs (on the start report) and
// enables itself again on the end report.
bool job_print(const WorkerContext& context) {
    report(context, WM_WORKER_JOB_STARTED, CMD_PRINT);
    context.flags->abort_jobs = false;
    report(context, WM_WORKER_JOB_DONE, CMD_PRINT);
    return true;
}

bool job_thumbnails(const WorkerContext& context) {
    context.flags->abort_jobs = false;
    return true;
}

bool job_movie(const WorkerContext&) { return true; }

bool job_slide_show(const WorkerContext&) {
    Sleep(50);
    return true;
}

bool job_custom_slide_show(const WorkerContext&) {
    Sleep(50);
    return true;
}

// The main window is repainted when the batch ends (its tags may have changed).
bool job_batch(const WorkerContext& context) {
    report(context, WM_WORKER_JOB_DONE, CMD_START_BATCH_PROCESS);
    return true;
}

void start_worker(Worker& worker, JobFlags* flags, HWND main_window) {
    worker.context = WorkerContext{flags, main_window};
    Start start = {worker.context, CreateEvent(nullptr, TRUE, FALSE, nullptr)};
    worker.thread = CreateThread(nullptr, 0, worker_main, &start, 0, &worker.thread_id);
    // The queue must exist before the first job is posted; `start` lives until then.
    if (worker.thread && start.ready) WaitForSingleObject(start.ready, kQueueWaitMs);
    if (start.ready) CloseHandle(start.ready);
    Sleep(100);
}

void post_worker(const Worker& worker, UINT job) {
    if (worker.thread_id) PostThreadMessage(worker.thread_id, job, 0, 0);
}

void stop_worker(Worker& worker) {
    post_worker(worker, CMD_EXIT);
    Sleep(100);
    if (worker.thread) {
        WaitForSingleObject(worker.thread, 2000);
        CloseHandle(worker.thread);
    }
    worker.thread = nullptr;
    worker.thread_id = 0;
}
