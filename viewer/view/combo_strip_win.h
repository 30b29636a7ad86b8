// The combo strip under the image area: one cell per file of the list from the first
// visible cell on, scrolled by its scroll bar and the mouse wheel.
#pragma once

#include <windows.h>

struct MainWindow;

// Paints the strip's cells.
void combo_strip_paint(MainWindow& w, HDC dc);
// Remakes the current file's cell after the page changed (a no-op until thumbnails
// of the list exist).
void combo_strip_update_current(MainWindow& w);
// WM_HSCROLL / WM_VSCROLL from the strip's scroll bar or the wheel.
void combo_strip_scroll(MainWindow& w, HWND hwnd, int request, int position);
