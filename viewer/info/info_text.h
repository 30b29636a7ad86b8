// Every text of the "Image Information" dialog: the file's and page's properties, the
// file's times, its three description texts and the camera values of JPEG pages.
// The dialog only puts these texts into its controls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging.h"

// A date and time as the dialog shows it: the stored UTC time, not made local.
struct CivilTime {
    int year, month, day, hour, minute, second;
};
// A Windows file time (100-nanosecond ticks since 1601-01-01 00:00 UTC) as a date and
// time of the Gregorian calendar (fractions of a second dropped).
CivilTime civil_time_from_ticks(uint64_t ticks);
// "%04d/%02d/%02d %02d:%02d:%02d".
std::string format_civil_time(const CivilTime& t);

// The name part of a path (after its last '\\', '/' or ':'): the dialogs' top line.
std::string file_name_text(const char* path);
// The display name of a file kind or a compression code; empty for a code outside
// the tables.
const char* file_kind_name(int format);
const char* compression_name(int compression);

// Camera values of a page (-1 = not recorded) as the dialog shows them: "1/%d Sec",
// "F %d.%d", "Auto" or the ISO number, a signed bias in tenths "+0.7", "%d x %d".
// Fields not recorded show "N/A".
struct CameraTexts {
    std::string shutter, f_number, iso, bias, true_size;
};
CameraTexts camera_texts(const PageBitmap& page);

// What the dialog describes.
struct ImageInfoInput {
    const char* path;             // the current file path
    int format;                   // the file kind code
    int stored_compression;       // the page's compression as the file stores it
    int32_t page_index, page_count;
    int32_t file_size;
    const PageBitmap* page;       // the page shown
    bool has_times;               // the file's times could be read
    CivilTime created, modified;
};

// One control of the dialog and its text.
struct InfoLine {
    int control;
    std::string text;
};
// The texts of every value control of the dialog (the camera fields only for pages
// stored as JPEG; "N/A" otherwise).
std::vector<InfoLine> image_info_lines(const ImageInfoInput& in);

// Text of one description field of a page: at most its 128 bytes, up to the first NUL.
std::string page_text(const char (&field)[TEXT_FIELD_SIZE]);
// Stores an edited comment as description text 1: at most 127 characters, so the
// field always stays NUL-terminated.
void store_comment(PageBitmap* page, const char* comment);
