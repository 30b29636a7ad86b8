// Entry points of the image view's commands that the main window's messages reach.
#pragma once

#include <windows.h>

#include <cstdint>

struct MainWindow;

// Zoom to the selection ("Zoom to Selection" and a right press on a selection).
void view_zoom_to_selection(MainWindow& w);
// One step of the animation (timer 2).
void view_animation_tick(MainWindow& w);
// The movie position bar moved: seek to the key frame at or before `position`.
void view_seek_movie(MainWindow& w, int32_t position);
// WM_HSCROLL from the movie position bar.
void view_track_bar_scroll(MainWindow& w, HWND track, int code, int position);

// Handlers of the view's commands (rows of the command table).
void cmd_snap_view(MainWindow& w, int command);
void cmd_zoom(MainWindow& w, int command);
void cmd_zoom_to_selection(MainWindow& w, int command);
void cmd_rotate_view(MainWindow& w, int command);
void cmd_scale_to_gray(MainWindow& w, int command);
void cmd_zoom_window(MainWindow& w, int command);
void cmd_page(MainWindow& w, int command);
void cmd_go_to_page(MainWindow& w, int command);
void cmd_play_pause(MainWindow& w, int command);
