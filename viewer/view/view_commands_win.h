// Entry points of the image view's commands that the main window's messages reach.
#pragma once

#include <windows.h>

#include <cstdint>

// Zoom to the selection (command 40069 and a right press on a selection).
void view_zoom_to_selection();
// One step of the animation (timer 2).
void view_animation_tick();
// The movie position bar moved: seek to the key frame at or before `position`.
void view_seek_movie(int32_t position);
// WM_HSCROLL from the movie position bar.
void view_track_bar_scroll(HWND track, int code, int position);
