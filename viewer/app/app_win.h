// The process-wide part of the viewer's state: what start-up reads once (the
// instance, the display, the program directory, the settings, the fonts, the
// platform services loaded at run time), the flags shared with the worker and the
// custom slideshow.
// WinMain owns the one App; the main window holds a reference to it.
#pragma once

#include <windows.h>

#include "app/help_win.h"
#include "app/job_flags.h"
#include "app/platform_services_win.h"
#include "app/worker_win.h"
#include "settings/settings_table.h"
#include "slideshow/slide_table.h"

struct App {
    HINSTANCE instance = nullptr;
    DisplayInfo display = {32, 1024};
    int screen_width = 0, screen_height = 0;
    Settings settings = {};
    // Started with a command line (by a file association): settings are never saved.
    bool glimra_mode = false;
    TCHAR program_dir[MAX_PATH] = {};
    HFONT label_font = nullptr, thumb_label_font = nullptr;
    HACCEL accelerators = nullptr;
    HMENU context_menu = nullptr;
    bool mail_available = false;
    JobFlags flags;
    Help help;
    PlatformServices services;
    Worker worker;
    // The custom slideshow of the run (500 slides), edited by the slideshow commands.
    SlideTable slides;
};

// Recreates the label font of the thumbnails from the "ThumbFont" setting.
void recreate_thumb_label_font(App& app);
// Saves the settings unless the program runs in Glimra mode.
void save_app_settings(App& app);
