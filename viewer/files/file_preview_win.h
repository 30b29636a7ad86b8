// The browser's preview: the first page of a file, decoded at a reduced size and
// scaled to fit the preview box, kept as a device-independent bitmap.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "files/file_preview_fit.h"

struct FilePreview {
    HBITMAP bitmap = nullptr;  // null when the file cannot be shown
    PreviewFit fit = {};
    int32_t width = 0, height = 0;  // the stored page's size; 0 when unread
    bool unreadable = false;        // a file was tried and cannot be shown
};

// Reads the first page of `path` and renders it for a box of `box_width` x
// `box_height` pixels. Returns 0 or the library's error code; the page size is kept
// when the page could be read even if it could not be decoded.
int make_file_preview(const char* path, int box_width, int box_height, bool ignore_errors, FilePreview* preview);
void free_file_preview(FilePreview* preview);
// Paints the box white with the picture centred, or with picture 0 of `bad`
// centred for a file that cannot be shown.
void draw_file_preview(const FilePreview& preview, HDC dc, const RECT& box, HIMAGELIST bad);
