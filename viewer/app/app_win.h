// Process-wide state of the viewer and the entry points of its windows.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "imaging.h"
#include "settings/settings_table.h"

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
    int screen_width = 0, screen_height = 0;

    // The open file and the page shown; an image is loaded when page.data is present.
    ImageFileInfo file = {};
    PageBitmap page = {};
    int page_index = 0;
    int view_rotation = 0;
    RECT selection = {};
    int file_index = -1;
    uint8_t tags[4096] = {};
    // Remembered view rotation of each file of the list (0, 90, 180 or 270).
    int16_t rotations[4096] = {};

    // Flags shared with the worker thread: each has one writer, the other thread polls.
    std::atomic<bool> animating{false};
    std::atomic<bool> movie_playing{false};
    std::atomic<bool> abort_jobs{false};
    std::atomic<bool> thumbs_building{false};

    // Counts owned by the file list and the slide table; zero until those are loaded.
    int file_count = 0;
    int slide_count = 0;
    bool slides_modified = false;

    DWORD worker_thread_id = 0;
    bool mail_available = false;
    HACCEL accelerators = nullptr;
    HMENU context_menu = nullptr;
    HFONT label_font = nullptr;
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
// Shows the movie position bar and "Play / Pause" on the toolbar strip (range 0 ...
// page count - 1, position 0), or hides them.
void show_movie_controls(bool show);
// Recreates the label font of the thumbnails from the "ThumbFont" setting.
void recreate_thumb_label_font();

// True when a page is loaded for display.
inline bool image_loaded() { return g_app.page.data != nullptr; }

// Message box with string-table entries for text and caption; returns the button.
int message_box(HWND owner, UINT text_id, UINT caption_id, UINT style);
// Library error `code` as string 5000 - code with string `caption_id` as caption.
void show_library_error(HWND owner, int code, UINT caption_id);
// Library error `code` with the current file's name as caption.
void show_file_error(int code);
// The current file's remembered view rotation (0 without a file index) and storing it.
int remembered_file_rotation();
void remember_file_rotation();

// Open flow: identifies the current file path, reads page 0 and shows it. With
// `messages`, a failure shows the library's message with the file name as caption.
int open_current_file(bool messages);
// Releases the page shown and closes the open file.
void release_current_image();
// Reads page g_app.page_index of the open file into the current page.
int read_current_page(bool compositing);

// Worker thread: started once after the main window exists; jobs are posted as
// thread messages whose numbers are command identifiers (40003 ends it).
void start_worker();
void post_worker(UINT job);
void stop_worker();

// Splash window shown while a start without a command line loads.
bool register_splash_class(HINSTANCE instance);
void show_splash(HINSTANCE instance);

// Main window command dispatch (WM_COMMAND) and menu state (WM_INITMENU).
void dispatch_command(HWND hwnd, int id);
void update_menu_state(HMENU menu);
// Check mark of the current sort order on the "Sort By" menus (main and right-click).
void check_sort_order();
// Opens the about dialog.
void show_about(HWND owner);
// TWAIN through the platform's source manager, loaded on first use.
void twain_select_source(HWND owner);
void twain_acquire(HWND owner);
// Mail availability of the platform's simple mail interface; released at exit.
bool mail_interface_available();
void release_mail_interface();
