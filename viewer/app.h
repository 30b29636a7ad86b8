// Process-wide state of the viewer and the entry points of its windows.
#pragma once

#include <windows.h>

#include "settings_table.h"

struct App {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
    DisplayInfo display = {32, 1024};
    Settings settings = {};
    // Started with a command line (by a file association): settings are never saved.
    bool glimra_mode = false;
    TCHAR current_path[256] = {};
    TCHAR program_dir[MAX_PATH] = {};
    HFONT thumb_label_font = nullptr;
};

extern App g_app;

bool register_main_window_class(HINSTANCE instance);
HWND create_main_window(HINSTANCE instance);
// Starts (or restarts) the animation timer with the period of the current rate.
void restart_animation_timer();
// Fills the "Toolbar" menu with the ten toolbar names and checks the current one.
void rebuild_toolbar_menu();
// Makes toolbar t current: check mark in the "Toolbar" menu, strip repainted.
void select_toolbar(int toolbar);
// Recreates the label font of the thumbnails from the "ThumbFont" setting.
void recreate_thumb_label_font();
