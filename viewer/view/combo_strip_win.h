// The combo strip under the image area: one cell per file of the list from the first
// visible cell on, scrolled by its scroll bar and the mouse wheel.
#pragma once

#include <windows.h>

// Paints the strip's cells.
void combo_strip_paint(HDC dc);
// Remakes the current file's cell after the page changed (a no-op until thumbnails
// of the list exist).
void combo_strip_update_current();
// WM_HSCROLL / WM_VSCROLL from the strip's scroll bar or the wheel.
void combo_strip_scroll(HWND hwnd, int request, int position);
