// Pure rules of the viewer's start-up, open flow and commands: the command line, the
// decode options of a page, fax aspect correction, auto-rotation and tag bytes. No Win32 calls, so they are tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Command line ----------------------------------------------------------
// The whole command line is one path, quotes and all; it is upper-cased in place.
void upper_case_in_place(char* text);
// True when the (upper-cased) command line names a slideshow file (ends in ".GLS").
bool is_slideshow_path(const char* upper_path);
// The file-name part of `path` (after the last '\\', '/' or ':'), at most
// `size` - 1 characters, always ended. Used as the caption of open failures.
void file_name_part(const char* path, char* out, size_t size);
// String-table entry of a library error code (-1 .. -10 give IDS_ERROR_BASE + 1 ..
// + 10); other codes map to IDS_ERROR_IO ("General I/O error") so a message always shows.
int error_string_id(int code);

// ---- Page decoding -----------------------------------------------------------
struct DecodeInputs {
    bool compositing;         // animation step or multi-frame GIF
    bool optimize_jpeg_size;  // option OptimizeJpegSize
    int jpeg_size;            // "JPEGSize": 0 full, 1 half, 2 eighth, 3 thumbnail
    int page_width;
    int screen_width;
    bool load_16bpp;          // option Load16Bpp
    bool is_avi;
    bool ignore_errors;       // option IgnoreErrors
};
// convert_page flags for decompressing a page.
int decode_flags(const DecodeInputs& in);

// True when a 1-bit page gets every row doubled to correct the fax aspect ratio:
// horizontal resolution at least twice the vertical one, or an unknown resolution
// on a standard fax page (1728 wide, at most 1199 rows).
bool needs_fax_doubling(int bits_per_pixel, int x_dpi, int y_dpi, int width, int height);

// View rotation after reading a page: a landscape page on a portrait screen turns
// by 90 (RotateDir non-zero) or 270 degrees when AutoRotate is on.
int auto_rotation(int current, bool auto_rotate, int width, int height, int screen_width, int screen_height,
                  int rotate_dir);

// ---- Tags --------------------------------------------------------------------
// The tag byte after tag command `command` on a file whose byte is `byte`; -1 for a
// command that is not one of the per-file tag commands.
int new_tag_byte(int command, uint8_t byte);
