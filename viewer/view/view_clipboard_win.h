// Clipboard copy and paste of the image view, and red-eye removal on the selection.
#pragma once

#include <windows.h>

struct MainWindow;

// Copies the selected part of the page as a device-independent bitmap (CF_DIB).
void view_copy_selection(MainWindow& w, HWND hwnd);
// Replaces the current page by the clipboard's device-independent bitmap.
void view_paste(MainWindow& w, HWND hwnd);
// Removes red eyes in the selected part of a 16- or 24-bit page.
void view_remove_red_eye(MainWindow& w, HWND hwnd);

// Handlers of "Copy to Clipboard", "Paste" and "Remove red eye" (command table rows).
void cmd_copy_to_clipboard(MainWindow& w, int command);
void cmd_paste(MainWindow& w, int command);
void cmd_red_eye(MainWindow& w, int command);
