// Page navigation of the image view: where "Next Page", "Previous Page", "First Page"
// and "Last Page" go (or that they beep), which files composite their frames, the
// animation step and the movie seek back to a key frame.
#pragma once

#include "resource_ids.h"

#include <cstdint>

// Command identifiers of the page commands.
enum PageCommand : int {
    PAGE_NEXT = CMD_NEXT_PAGE,
    PAGE_PREVIOUS = CMD_PREVIOUS_PAGE,
    PAGE_GO_TO = CMD_GO_TO_PAGE,
    PAGE_FIRST = CMD_FIRST_PAGE,
    PAGE_LAST = CMD_LAST_PAGE,
};

// The outcome of a page command on page k of n.
enum PageMove { MOVE_READ, MOVE_STAY, MOVE_BEEP };
struct PageTarget {
    PageMove move;
    int32_t page;  // the page to read for MOVE_READ
};
// `frames_only_forward` is set for GIF and FLI/FLC files, whose frames build on the
// one before and cannot be stepped backwards.
PageTarget page_command_target(int command, int32_t k, int32_t n, bool frames_only_forward);

// Formats whose pages are read with compositing when stepping forward: GIF, FLI/FLC,
// AVI and QuickTime.
bool composites_frames(int format);
// GIF and FLI/FLC: "Previous Page" beeps and "Go to page..." shows page 1.
bool frames_only_forward(int format);
bool is_movie_format(int format);

// Next frame of the animation: (k + 1) mod n.
int32_t animation_next(int32_t k, int32_t n);

// The movie position bar asks for frame `position`: the nearest key frame at or
// before it (frame 0 always qualifies), held to 0 ... count - 1. -1 when the movie
// has no key-frame table.
int32_t key_frame_at_or_before(const uint8_t* key_frames, int32_t count, int32_t position);

// Page typed into the "PageBox" edit (1-based text) as an index, or -1 when it is
// not a number between 1 and n.
int32_t page_box_index(const char* text, int32_t n);
