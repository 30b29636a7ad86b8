// The slideshow file (".GLS"): the magic "GLM3", a 32-bit little-endian slide count,
// then that many 352-byte slide records and nothing else. Both builds read and write
// the same bytes; records are encoded field by field, never copied as structs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "imaging.h"
#include "slideshow/slide_table.h"

inline constexpr int SLIDE_RECORD_BYTES = 352;
inline constexpr int SLIDESHOW_HEADER_BYTES = 8;

enum SlideshowResult {
    SLIDESHOW_OK = 0,
    SLIDESHOW_CANNOT_OPEN = -1,     // load: no such file or no access; save: cannot create
    SLIDESHOW_NOT_A_SLIDESHOW = -2, // the first four bytes are not "GLM3"
    SLIDESHOW_DAMAGED = -3,         // count above 500 or negative, or fewer records than it says
    SLIDESHOW_WRITE_FAILED = -4,    // save: a write, the flush or the final move failed
};

// Replaces the table's slides with the file's and clears its modified mark. Any
// failure returns its SlideshowResult and leaves the table exactly as it was. A path
// field without its NUL in 160 bytes is ended at its last byte.
int load_slideshow(SlideTable& table, const PathChar* path);

// Writes the table's slides to `path`: into a new file beside it, flushed, then moved
// over any file of that name, so an existing slideshow is replaced only by a complete
// one. On failure the new file is removed and the old one is left as it was. The
// table (and its modified mark) is not changed.
int save_slideshow(const SlideTable& table, const PathChar* path);

// A record's 352 bytes and back.
void encode_slide(const SlideRecord& slide, uint8_t* bytes);
void decode_slide(const uint8_t* bytes, SlideRecord* slide);

// The name "Save Slideshow" writes to: the chosen path with ".GLS" appended when it
// holds no '.' anywhere (folders included).
template <class Char>
std::basic_string<Char> slideshow_save_name(std::basic_string_view<Char> chosen) {
    std::basic_string<Char> path(chosen);
    if (path.find(Char('.')) == path.npos) {
        const Char extension[] = {Char('.'), Char('G'), Char('L'), Char('S')};
        path.append(extension, 4);
    }
    return path;
}
