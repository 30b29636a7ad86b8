// The main window and the state it owns: the document (the file shown, its page and
// what the user did to it), the image view, the file lists and the child controls.
// WinMain makes the one MainWindow and keeps it for the run; it is attached to the
// window (GWLP_USERDATA) from WM_NCCREATE to WM_NCDESTROY, and every message handler
// and command reaches the state through it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/app_win.h"
#include "files/file_list_state_win.h"
#include "imaging.h"
#include "view/image_view_win.h"
#include "view/view_mouse_win.h"

// The file shown and its page.
struct Document {
    TCHAR current_path[256] = {};
    // The open file and the page shown; an image is loaded when page.data is present.
    ImageFileInfo file = {};
    // The stored page of the open file, kept between page reads (FLI/FLC frames are
    // decoded over the frame before; GIF frames take the depth of the one before).
    PageBitmap stored = {};
    PageBitmap page = {};
    // The compression of the page shown as its file stores it (the page itself is
    // decoded); "Image Info..." shows it.
    int stored_compression = 0;
    int page_index = 0;
    int view_rotation = 0;
    RECT selection = {};
    int file_index = -1;
    uint8_t tags[4096] = {};
    // Remembered view rotation of each file of the list (0, 90, 180 or 270).
    int16_t rotations[4096] = {};
    // Count owned by the file list; zero until a list is committed.
    int file_count = 0;

    bool image_loaded() const { return page.data != nullptr; }
};

// Child controls and menus of the main window.
struct MainControls {
    HWND trackbar = nullptr, play_button = nullptr, combo_scroll = nullptr;
    bool movie_controls_shown = false;
    HMENU toolbar_menu = nullptr;
};

struct MainWindow {
    explicit MainWindow(App& owner) : app(owner) {}
    ~MainWindow();  // releases the page shown and closes the open file
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    App& app;
    HWND hwnd = nullptr;
    Document doc;
    ImageView view;
    FileLists files;
    MainControls controls;
    MouseDrag drag;
    HWND zoom = nullptr;  // the zoom window while it is open
};

bool register_main_window_class(HINSTANCE instance);
// Creates the main window with the state `w` attached (WinMain keeps `w` for the
// whole run); null when that fails.
HWND create_main_window(MainWindow& w);
// The state attached to a main window (null before WM_NCCREATE and after WM_NCDESTROY).
MainWindow* main_of(HWND hwnd);
// Starts (or restarts) the animation timer with the period of the current rate.
void restart_animation_timer(MainWindow& w);
// Fills the "Toolbar" menu with the ten toolbar names and checks the current one.
void rebuild_toolbar_menu(MainWindow& w);
// Makes toolbar t current: check mark in the "Toolbar" menu, strip repainted.
void select_toolbar(MainWindow& w, int toolbar);
// Shows the movie position bar and "Play / Pause" on the toolbar strip (range 0 ...
// page count - 1, position 0), or hides them.
void show_movie_controls(MainWindow& w, bool show);
// Check mark of the current sort order on the "Sort By" menus (main and right-click).
void check_sort_order(MainWindow& w);

// Message box with string-table entries for text and caption; returns the button.
int message_box(HWND owner, UINT text_id, UINT caption_id, UINT style);
// Library error `code` as its string-table message with string `caption_id` as caption.
void show_library_error(HWND owner, int code, UINT caption_id);
// Library error `code` with the current file's name as caption.
void show_file_error(MainWindow& w, int code);
// The current file's remembered view rotation (0 without a file index) and storing it.
int remembered_file_rotation(MainWindow& w);
void remember_file_rotation(MainWindow& w);

// Open flow: identifies the current file path, reads page 0 and shows it. With
// `messages`, a failure shows the library's message with the file name as caption.
int open_current_file(MainWindow& w, bool messages);
// Releases the page shown and closes the open file.
void release_current_image(MainWindow& w);
// Releases the kept stored page and closes the open file (the page shown stays).
void close_current_file(MainWindow& w);
// Reads page doc.page_index of the open file into the current page.
int read_current_page(MainWindow& w, bool compositing);

// Splash window shown while a start without a command line loads.
bool register_splash_class(HINSTANCE instance);
void show_splash(const App& app);
