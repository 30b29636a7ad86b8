// Moving through the current file list: previous/next file (beeping at the ends,
// starting from "no current file" = index -1), first/last thumbnail, and where the
// combo strip starts so that the new file is its first cell.
#pragma once

#include <cstdint>

enum class NavAction { None, Beep, Move };

struct NavStep {
    NavAction action;
    int32_t index;  // the new file index when action is Move
};

// `index` is the current sorted position, -1 when no file of the list is current.
NavStep previous_file(int32_t index, int32_t count);
NavStep next_file(int32_t index, int32_t count);
// Only with thumbnails present and at least one built; `built` thumbnails exist.
NavStep first_thumbnail(int32_t index, bool thumbs_exist, int32_t built);
NavStep last_thumbnail(int32_t index, bool thumbs_exist, int32_t built);
// First strip cell showing `index` first: at most built - visible, at least 0.
int32_t strip_start_for(int32_t index, int32_t built, int32_t visible);
