// Clipboard copy and paste of the image view, and red-eye removal on the selection.
#pragma once

#include <windows.h>

// Copies the selected part of the page as a device-independent bitmap (CF_DIB).
void view_copy_selection(HWND hwnd);
// Replaces the current page by the clipboard's device-independent bitmap.
void view_paste(HWND hwnd);
// Removes red eyes in the selected part of a 16- or 24-bit page.
void view_remove_red_eye(HWND hwnd);
