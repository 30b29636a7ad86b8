// Page navigation rules: plain comparisons on the page index k of n pages, a mod-n
// animation step, and a backwards walk over the movie's one-byte-per-frame key table.
#include "view/view_pages.h"

#include "imaging.h"

PageTarget page_command_target(int command, int32_t k, int32_t n, bool only_forward) {
    switch (command) {
    case PAGE_NEXT: return k < n - 1 ? PageTarget{MOVE_READ, k + 1} : PageTarget{MOVE_BEEP, k};
    case PAGE_PREVIOUS:
        if (k < 1 || only_forward) return {MOVE_BEEP, k};
        return {MOVE_READ, k - 1};
    case PAGE_FIRST: return k != 0 ? PageTarget{MOVE_READ, 0} : PageTarget{MOVE_STAY, k};
    case PAGE_LAST: return k != n - 1 && n > 0 ? PageTarget{MOVE_READ, n - 1} : PageTarget{MOVE_STAY, k};
    case PAGE_GO_TO: return n < 2 ? PageTarget{MOVE_BEEP, k} : PageTarget{MOVE_STAY, k};
    default: return {MOVE_STAY, k};
    }
}

bool composites_frames(int format) {
    return format == FMT_GIF || format == FMT_FLI || format == FMT_AVI || format == FMT_QUICKTIME;
}

bool frames_only_forward(int format) { return format == FMT_GIF || format == FMT_FLI; }

bool is_movie_format(int format) { return format == FMT_AVI || format == FMT_QUICKTIME; }

int32_t animation_next(int32_t k, int32_t n) { return n > 0 ? (k + 1) % n : 0; }

int32_t key_frame_at_or_before(const uint8_t* key_frames, int32_t count, int32_t position) {
    if (!key_frames || count <= 0) return -1;
    if (position >= count) position = count - 1;
    while (position > 0 && !key_frames[position]) --position;
    return position < 0 ? 0 : position;
}

int32_t page_box_index(const char* text, int32_t n) {
    int64_t value = 0;
    int digits = 0;
    while (*text == ' ') ++text;
    for (; *text >= '0' && *text <= '9' && digits < 10; ++text, ++digits) value = value * 10 + (*text - '0');
    while (*text == ' ') ++text;
    if (digits == 0 || *text != '\0' || value < 1 || value > n) return -1;
    return (int32_t)(value - 1);
}
