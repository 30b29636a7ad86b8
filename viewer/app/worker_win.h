// The worker thread: runs the long jobs one at a time from its own message queue. A
// job is a thread message whose number is the command that asked for it; the command
// table names the job each command gives the worker. The worker never calls a window
// function: it tells the main window what it is doing by posting messages to it.
#pragma once

#include <windows.h>

struct JobFlags;

// Posted by the worker to the main window; wParam is the job's command.
inline constexpr UINT WM_WORKER_JOB_STARTED = WM_APP + 1;
inline constexpr UINT WM_WORKER_JOB_DONE = WM_APP + 2;

// What a job may touch: the shared flags and the window it reports to.
struct WorkerContext {
    JobFlags* flags = nullptr;
    HWND main_window = nullptr;
};

struct Worker {
    HANDLE thread = nullptr;
    DWORD thread_id = 0;
    WorkerContext context;
};

// Started once after the main window exists.
void start_worker(Worker& worker, JobFlags* flags, HWND main_window);
void post_worker(const Worker& worker, UINT job);
// Sends the end job and waits for the thread.
void stop_worker(Worker& worker);

// The jobs (rows of the command table name them). Each returns false to end the
// thread's loop. Jobs whose features land later only keep their flags and reports.
bool job_end(const WorkerContext& context);
bool job_print(const WorkerContext& context);
bool job_thumbnails(const WorkerContext& context);
bool job_movie(const WorkerContext& context);
bool job_slide_show(const WorkerContext& context);
bool job_custom_slide_show(const WorkerContext& context);
bool job_batch(const WorkerContext& context);
