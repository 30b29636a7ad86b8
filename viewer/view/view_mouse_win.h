// Mouse presses in the main window's client area (the image view's mouse model).
#pragma once

#include <windows.h>

void view_left_press(HWND hwnd, LPARAM lp);
void view_left_double_click(HWND hwnd, LPARAM lp);
void view_right_press(HWND hwnd, LPARAM lp);
// A press on the combo strip at client point `at` (right button: the name label).
void view_strip_press(HWND hwnd, POINT at, bool right);
// Shows a name label with `text` above client point `at` until a button is released.
void view_label(HWND hwnd, const TCHAR* text, POINT at);
