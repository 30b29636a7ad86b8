// The mouse in the main window: presses start a drag that holds the mouse capture
// and follows WM_MOUSEMOVE until the button goes up or the capture is lost; the
// drag's state lives in the MainWindow (MouseDrag) between those messages.
#pragma once

#include <windows.h>

#include <cstdint>

#include "view/zoom_window_frame.h"

struct MainWindow;

enum class DragKind : uint8_t {
    None,
    Selection,  // left press in the image area: a selection rectangle
    Pan,        // double-click: the view follows the cursor until the next press
    Navigator,  // left press on the current file's combo cell
    Label,      // right press: a name label shown until a button is released
};

struct MouseDrag {
    DragKind kind = DragKind::None;
    // Selection: the first mouse message after the press fixes the anchor.
    bool anchored = false;
    POINT anchor = {};
    // Pan: view origin and cursor position at the start (the start moves with warps).
    int32_t start_x = 0, start_y = 0;
    POINT start = {};
    HCURSOR old_cursor = nullptr;
    // Navigator: the thumbnail's placement and its cell.
    Overview overview = {};
    int cell = 0;
    // Label: the screen under the label, put back when the label goes.
    HDC saved_dc = nullptr;
    HBITMAP saved = nullptr;
    HGDIOBJ old_saved = nullptr;
    RECT box = {};
};

void view_left_press(MainWindow& w, HWND hwnd, LPARAM lp);
void view_left_double_click(MainWindow& w, HWND hwnd, LPARAM lp);
void view_right_press(MainWindow& w, HWND hwnd, LPARAM lp);
// WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP and WM_CAPTURECHANGED (the new capture
// window in `capture`) while a drag runs.
void view_mouse_move(MainWindow& w, LPARAM lp);
void view_left_release(MainWindow& w, LPARAM lp);
void view_right_release(MainWindow& w);
void view_capture_lost(MainWindow& w, HWND capture);
// A press on the combo strip at client point `at` (right button: the name label).
void view_strip_press(MainWindow& w, HWND hwnd, POINT at, bool right);
// Shows a name label with `text` above client point `at` until a button is released.
void view_label(MainWindow& w, HWND hwnd, const TCHAR* text, POINT at);
// The navigator drag of the combo strip: one step at client point `at`, and its start.
void combo_navigator_start(MainWindow& w, int cell);
void combo_navigator_step(MainWindow& w, POINT at);
