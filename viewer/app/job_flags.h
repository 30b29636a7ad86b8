// The flags the user-interface thread and the worker thread share. Each has one
// writer and the other thread only polls it, so plain atomics suffice and no lock is
// taken. The App owns the one set; the worker gets a pointer to it.
#pragma once

#include <atomic>

struct JobFlags {
    std::atomic<bool> animating{false};        // written by the UI thread ("Play / Pause", timer)
    std::atomic<bool> movie_playing{false};    // written by the UI thread; the player polls it
    std::atomic<bool> abort_jobs{false};       // set by the UI thread, cleared by the worker's jobs
    std::atomic<bool> thumbs_building{false};  // written by the worker while it builds thumbnails
};
