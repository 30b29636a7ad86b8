// Small helpers for dialog controls shared by the viewer's dialogs.
#pragma once

#include <windows.h>

bool is_checked(HWND dialog, int id);
void set_checked(HWND dialog, int id, bool on);
// Fills a drop-down list with `count` string-table entries starting at `first`.
void fill_list_from_strings(HWND dialog, int id, UINT first, int count);
int list_selection(HWND dialog, int id);
void set_list_selection(HWND dialog, int id, int index);
// Number in an edit control; `fallback` when it holds none.
int edit_number(HWND dialog, int id, int fallback);
void set_edit_number(HWND dialog, int id, int value);
// Centres `window` on `over`, or on the screen when it would not fit there.
void centre_window(HWND window, HWND over);
