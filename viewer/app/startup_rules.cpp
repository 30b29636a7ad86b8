// Pure rules of the viewer's start-up, open flow and commands (see startup_rules.h):
// table lookups and integer comparisons only, shared by the Win32 shell and its tests.
#include "app/startup_rules.h"

#include <array>
#include <cstring>

#include "resource_ids.h"

void upper_case_in_place(char* text) {
    for (; *text; ++text)
        if (*text >= 'a' && *text <= 'z') *text = char(*text - 'a' + 'A');
}

bool is_slideshow_path(const char* upper_path) {
    const size_t n = std::strlen(upper_path);
    return n >= 4 && std::strcmp(upper_path + n - 4, ".GLS") == 0;
}

void file_name_part(const char* path, char* out, size_t size) {
    if (size == 0) return;
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    size_t n = 0;
    for (; name[n] && n + 1 < size; ++n) out[n] = name[n];
    out[n] = 0;
}

int error_string_id(int code) {
    return code <= -1 && code >= -10 ? IDS_ERROR_BASE - code : IDS_ERROR_IO;
}

namespace {

constexpr int kJpegSizeFlags[4] = {0, 0x20, 0x40, 0x80};

int size_flags(const DecodeInputs& in) {
    if (in.compositing) return 0x08;
    if (in.optimize_jpeg_size) {
        const long long width = in.page_width, screen = in.screen_width;
        if (screen <= 0) return 0;
        if (width >= 8 * screen) return 0x40;
        if (width >= 2 * screen) return 0x20;
        return 0;
    }
    return in.jpeg_size >= 0 && in.jpeg_size < 4 ? kJpegSizeFlags[in.jpeg_size] : 0;
}

}  // namespace

int decode_flags(const DecodeInputs& in) {
    int flags = size_flags(in);
    if (in.load_16bpp || in.is_avi) flags |= 0x01;
    if (in.ignore_errors) flags |= 0x04;
    return flags;
}

bool needs_fax_doubling(int bits_per_pixel, int x_dpi, int y_dpi, int width, int height) {
    if (bits_per_pixel != 1) return false;
    if (x_dpi > 0 && y_dpi > 0) return x_dpi >= 2 * y_dpi;
    return width == 1728 && height <= 1199;
}

int auto_rotation(int current, bool auto_rotate, int width, int height, int screen_width, int screen_height,
                  int rotate_dir) {
    if (!auto_rotate || width <= height || screen_height <= screen_width) return current;
    return rotate_dir ? 90 : 270;
}

namespace {

struct TagRule {
    int command;
    uint8_t keep;
    uint8_t set;
};

constexpr TagRule kTagRules[] = {
    {CMD_TAG_FOR_COPY, 0xE5, 0x01},  // copy
    {CMD_TAG_FOR_CONVERSION, 0xF6, 0x02},  // conversion
    {CMD_TAG_FOR_RESIZE, 0xF7, 0x04},  // resize
    {CMD_TAG_FOR_ROTATE_90, 0x97, 0x20},  // rotate 90
    {CMD_TAG_FOR_ROTATE_180, 0x97, 0x40},  // rotate 180
    {CMD_TAG_FOR_ROTATE_270, 0x97, 0x60},  // rotate 270
    {CMD_TAG_FOR_CROP, 0xF6, 0x10},  // crop
    {CMD_TAG_FOR_DELETE, 0x00, 0x08},  // delete drops every other tag
    {CMD_REMOVE_TAGS, 0x00, 0x00},  // remove tags
};

}  // namespace

int new_tag_byte(int command, uint8_t byte) {
    for (const TagRule& rule : kTagRules)
        if (rule.command == command) return (byte & rule.keep) | rule.set;
    return -1;
}
