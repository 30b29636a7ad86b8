// "render FILE ... --size W,H -o OUT.ppm": decodes a page as decode does, draws it
// with scale_page into a W x H buffer (the image view's drawing: window origin,
// scales, quarter turn, flags, tone table from gamma and brightness), optionally
// changes its depth with convert_depth, and writes the result as a binary PPM.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "decode_pipeline.h"
#include "page_ops.h"
#include "tool.h"

namespace {
const char* const kUsage =
    "usage: glimra-tool render FILE [--page N] [--options HEX] --size W,H [--scale S] [--yscale S] "
    "[--origin X,Y] [--angle A] [--flags HEX] [--tone GAMMA,BRIGHTNESS] [--depth D [--method M]] "
    "[--op N[:ARG1[:ARG2]]]... [--crop X,Y,W,H[,ANGLE]] [--resize W,H] [--redeye X,Y,W,H] [--composite] -o OUT.ppm";

enum { kMaxSide = 32767 };

struct RenderArgs {
    std::string input, output;
    int page = 0, options = 0;
    long width = 0, height = 0;
    long x_scale = 0, y_scale = 0;  // 0: fit the page
    long origin_x = 0, origin_y = 0;
    long angle = 0;
    int flags = 0;
    bool tone = false;
    long gamma = 128, brightness = 128;
    int depth = 0;  // 0: keep the drawn depth
    long method = 0;
    PageOpOptions ops;  // applied after decoding, before drawing
};

bool parse_long(const std::string& text, int base, long lo, long hi, long* value) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, base);
    if (text.empty() || *end || v < lo || v > hi) return false;
    *value = v;
    return true;
}

// "A,B" with both parts in [lo, hi].
bool parse_pair(const std::string& text, long lo, long hi, long* a, long* b) {
    const size_t comma = text.find(',');
    return comma != std::string::npos && parse_long(text.substr(0, comma), 10, lo, hi, a) &&
           parse_long(text.substr(comma + 1), 10, lo, hi, b);
}

// Reads the value of option `name`; false for a malformed value.
bool parse_option(const std::string& name, const std::string& value, RenderArgs& r) {
    long v = 0;
    if (name == "--page") return parse_long(value, 10, 0, 0x7FFFFFFF, &v) && ((r.page = (int)v), true);
    if (name == "--options") return parse_long(value, 16, 0, 0x7FFFFFFF, &v) && ((r.options = (int)v), true);
    if (name == "--size") return parse_pair(value, 1, kMaxSide, &r.width, &r.height);
    if (name == "--scale") return parse_long(value, 10, 1, 0x7FFFFFFF, &r.x_scale);
    if (name == "--yscale") return parse_long(value, 10, 1, 0x7FFFFFFF, &r.y_scale);
    if (name == "--origin") return parse_pair(value, -0x7FFFFFFF, 0x7FFFFFFF, &r.origin_x, &r.origin_y);
    if (name == "--angle") return parse_long(value, 10, -0x7FFFFFFF, 0x7FFFFFFF, &r.angle);
    if (name == "--flags") return parse_long(value, 16, 0, 255, &v) && ((r.flags = (int)v), true);
    if (name == "--tone") return parse_pair(value, 0, 255, &r.gamma, &r.brightness) && ((r.tone = true), true);
    if (name == "--depth") return parse_long(value, 10, 1, 32, &v) && ((r.depth = (int)v), true);
    if (name == "--method") return parse_long(value, 10, 0, 255, &r.method);
    if (name == "-o") return !(r.output = value).empty();
    return false;
}

bool parse_args(const ToolArgs& args, RenderArgs& r) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string error;
        if (const int taken = page_ops_take(args, &i, &r.ops, &error)) {
            if (taken < 0) return false;
        } else if (!a.empty() && a[0] == '-') {
            if (i + 1 >= args.size() || !parse_option(a, args[i + 1], r)) return false;
            ++i;
        } else if (r.input.empty() && !a.empty()) {
            r.input = a;
        } else {
            return false;
        }
    }
    return !r.input.empty() && !r.output.empty() && r.width > 0;
}

// Fit to the window: the larger of the two reductions, at most eight times enlarged.
long fit_scale(const PageBitmap& page, const RenderArgs& r) {
    const bool quarter = page.bits_per_pixel != 1 && (r.angle == 90 || r.angle == 270);
    const long w = quarter ? page.height : page.width, h = quarter ? page.width : page.height;
    const long s = std::max(w * 256 / r.width, h * 256 / r.height);
    return s < 32 ? 32 : s;
}

// The 16 entries shown with anti-aliased bilevel pages: black, 0x44, 0xC0, 0x80, white.
void grey_aa_palette(uint8_t* palette) {
    const struct {
        int index;
        uint8_t v;
    } entries[] = {{4, 0x44}, {7, 0xC0}, {8, 0x80}, {15, 0xFF}};
    for (const auto& e : entries) std::memset(palette + 3 * e.index, e.v, 3);
}

// A page record over the drawn buffer; the buffer stays the caller's (borrowed).
int make_drawn_page(const PageBitmap& source, int bpp, int32_t pitch, const RenderArgs& r, std::vector<uint8_t>& pixels,
                    PageBitmap* drawn) {
    *drawn = PageBitmap{};
    drawn->width = (int32_t)r.width;
    drawn->height = (int32_t)r.height;
    drawn->bits_per_pixel = (int8_t)bpp;
    drawn->pitch = pitch;
    drawn->data = pixels.data();
    drawn->data_length = (int32_t)pixels.size();
    drawn->ownership = OWN_BORROWED;
    drawn->layout = LAYOUT_TOP_DOWN;
    if (bpp != 4 && bpp != 8) return IMG_OK;
    drawn->palette = static_cast<uint8_t*>(mem_alloc(768));
    if (!drawn->palette) return ERR_MEMORY;
    if (source.bits_per_pixel == 1)
        grey_aa_palette(drawn->palette);
    else if (source.palette)
        std::memcpy(drawn->palette, source.palette, 768);
    else
        for (int i = 0; i < 256; ++i) std::memset(drawn->palette + 3 * i, bpp == 4 ? i * 17 : i, 3);
    return IMG_OK;
}

int draw(const PageBitmap& page, const RenderArgs& r, std::vector<uint8_t>& pixels, PageBitmap* drawn) {
    const bool grey = page.bits_per_pixel == 1 && (r.flags & VIEW_GREY_BILEVEL);
    const int bpp = grey ? 4 : page.bits_per_pixel;
    const int32_t pitch = view_row_bytes((int32_t)r.width, bpp);
    pixels.assign((size_t)pitch * (size_t)r.height, 0);
    const long x_scale = r.x_scale ? r.x_scale : fit_scale(page, r);
    ViewParams v{};
    v.src_x = (int32_t)r.origin_x;
    v.src_y = (int32_t)r.origin_y;
    v.x_scale = (int32_t)x_scale;
    v.y_scale = (int32_t)(r.y_scale ? r.y_scale : x_scale);
    v.out_width = (int32_t)r.width;
    v.out_height = (int32_t)r.height;
    v.out_pitch = pitch;
    v.angle = (int32_t)r.angle;
    v.pixels = pixels.data();
    v.flags = (uint8_t)r.flags;
    std::vector<uint8_t> tone;
    if (r.tone) {
        tone.resize(TONE_TABLE_BYTES);
        build_tone_table((int)r.gamma, (int)r.brightness, tone.data());
    }
    if (int rc = scale_page(&page, &v, 1, r.tone ? tone.data() : nullptr)) return rc;
    return make_drawn_page(page, bpp, pitch, r, pixels, drawn);
}

int run_render(const ToolArgs& args) {
    RenderArgs r;
    if (!parse_args(args, r)) return tool_fail_message(kUsage);
    PageBitmap page{};
    int rc = r.ops.composite ? tool_decode_composite(r.input, r.page, r.options, &page)
                             : tool_decode_page(r.input, r.page, r.options, &page);
    if (rc == IMG_OK) rc = page_ops_apply(&page, r.ops);
    if (rc != IMG_OK) {
        release_page(&page);
        return tool_fail(rc);
    }
    std::vector<uint8_t> pixels;
    PageBitmap drawn{};
    rc = draw(page, r, pixels, &drawn);
    release_page(&page);
    if (rc == IMG_OK && r.depth) rc = convert_depth(&drawn, r.depth, (int)r.method);
    bool written = false;
    if (rc == IMG_OK) written = tool_write_ppm(r.output, drawn);
    release_page(&drawn);  // frees what the conversion allocated; the drawn buffer is borrowed
    if (rc != IMG_OK) return tool_fail(rc);
    return written ? 0 : tool_fail_message("cannot write " + r.output);
}
}  // namespace

GLIMRA_TOOL_COMMAND(render_cmd, "render",
                    "FILE [--page N] [--options HEX] --size W,H [--scale S] [--yscale S] [--origin X,Y] [--angle A] "
                    "[--flags HEX] [--tone GAMMA,BRIGHTNESS] [--depth D [--method M]] -o OUT.ppm",
                    "draw a page into a W x H picture as the image view does and write it as a binary PPM",
                    run_render);
