// Pure rules of the viewer's start-up, open flow and commands (see startup_rules.h):
// table lookups and integer comparisons only, shared by the Win32 shell and its tests.
#include "app/startup_rules.h"

#include <array>
#include <cstring>

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
    return code <= -1 && code >= -10 ? 5000 - code : 5003;
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
    {40099, 0xE5, 0x01},  // copy
    {40100, 0xF6, 0x02},  // conversion
    {40101, 0xF7, 0x04},  // resize
    {40102, 0x97, 0x20},  // rotate 90
    {40103, 0x97, 0x40},  // rotate 180
    {40104, 0x97, 0x60},  // rotate 270
    {40120, 0xF6, 0x10},  // crop
    {40105, 0x00, 0x08},  // delete drops every other tag
    {40109, 0x00, 0x00},  // remove tags
};

}  // namespace

int new_tag_byte(int command, uint8_t byte) {
    for (const TagRule& rule : kTagRules)
        if (rule.command == command) return (byte & rule.keep) | rule.set;
    return -1;
}

namespace {

// Commands enabled whenever an image is loaded.
constexpr int kImageCommands[] = {
    40064, 40006, 40005, 40010, 40009, 40027, 40028, 40015, 40051, 40052, 40090, 40091,
    40092, 40018, 40019, 40013, 40014, 40042, 40041, 40038, 40016, 40040,
};
constexpr int kPageCommands[] = {40021, 40022, 40023};
constexpr int kCopy = 40058, kRedEye = 40097, kLosslessRotate = 40133, kPaste = 40095;

}  // namespace

std::vector<MenuItemState> menu_item_states(const MenuInputs& in) {
    std::vector<MenuItemState> states;
    const bool image = in.image_loaded;
    for (int id : kImageCommands) states.push_back({id, image});
    const bool pages = image && in.page_count >= 2;
    for (int id : kPageCommands) states.push_back({id, pages});
    states.push_back({kLosslessRotate, image && in.page_count < 2 && in.is_jfif});
    states.push_back({kCopy, image && in.has_selection});
    states.push_back({kRedEye, image && in.has_selection && in.bits_per_pixel > 15});
    states.push_back({kPaste, in.clipboard_has_bitmap});
    return states;
}
