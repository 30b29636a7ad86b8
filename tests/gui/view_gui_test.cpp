// The image view under Wine, checked on screen: a generated picture at 100 % on the
// background colour, fitted, zoomed, turned, paged, copied and pasted through the
// clipboard, cleared of red eyes, the zoom window's place, the other uncompressed
// kinds (PDF, page segment, PC fax) and files dropped on the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <shlobj.h>

#include "codecs/fax_tables.h"
#include "gui_harness.h"

namespace {

constexpr const char* kMainClass = "TAVLO2";

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0};
constexpr Rgb kBlack{0, 0, 0}, kGrey{128, 128, 128};

// The 120 x 80 test picture: red, green / blue, yellow quadrants.
Rgb quadrant_pixel(int x, int y) {
    if (y < 40) return x < 60 ? kRed : kGreen;
    return x < 60 ? kBlue : kYellow;
}

std::string temp_path(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

void put16(std::string& b, uint32_t v) {
    b += char(v & 255);
    b += char((v >> 8) & 255);
}
void put32(std::string& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A 24-bit bottom-up Windows bitmap file of w x h from `pixel`.
std::string write_bmp(const char* name, int w, int h, const std::function<Rgb(int, int)>& pixel) {
    const int stride = (w * 3 + 3) & ~3;
    std::string b = "BM";
    put32(b, 54 + stride * h);
    put32(b, 0);
    put32(b, 54);
    put32(b, 40);
    put32(b, w);
    put32(b, h);
    put16(b, 1);
    put16(b, 24);
    for (int i = 0; i < 6; ++i) put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < w; ++x) {
            const Rgb c = pixel(x, y);
            row += char(c.b);
            row += char(c.g);
            row += char(c.r);
        }
        row.resize(stride, '\0');
        b += row;
    }
    const std::string path = temp_path(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "";
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return path;
}

// A bottom-up Windows bitmap file of w x h at 1 or 8 bits with `palette` entries,
// pixel indices from `index(x, y)`.
std::string write_indexed_bmp(const char* name, int w, int h, int bpp, const std::vector<Rgb>& palette,
                              const std::function<int(int, int)>& index) {
    const int stride = ((w * bpp + 31) / 32) * 4;
    const int table = 4 * (int)palette.size();
    std::string b = "BM";
    put32(b, 54 + table + stride * h);
    put32(b, 0);
    put32(b, 54 + table);
    put32(b, 40);
    put32(b, w);
    put32(b, h);
    put16(b, 1);
    put16(b, bpp);
    put32(b, 0);
    put32(b, stride * h);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, (uint32_t)palette.size());
    put32(b, 0);
    for (const Rgb& c : palette) b += std::string{char(c.b), char(c.g), char(c.r), '\0'};
    for (int y = h - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const int v = index(x, y);
            if (bpp == 8) row[x] = char(v);
            else if (v) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        b += row;
    }
    const std::string path = temp_path(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "";
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return path;
}

// A two-page uncompressed RGB TIFF of 16 x 16 pages in solid `first` and `second`.
std::string write_two_page_tiff(const char* name, Rgb first, Rgb second) {
    constexpr int kSide = 16, kPixels = kSide * kSide * 3;
    constexpr int kEntries = 9, kIfdSize = 2 + kEntries * 12 + 4;
    std::string b = "II";
    put16(b, 42);
    put32(b, 8);
    const uint32_t ifd1 = 8, ifd2 = ifd1 + kIfdSize, bps = ifd2 + kIfdSize, data1 = bps + 6, data2 = data1 + kPixels;
    auto ifd = [&](uint32_t data, uint32_t next) {
        put16(b, kEntries);
        auto entry = [&](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
            put16(b, tag);
            put16(b, type);
            put32(b, count);
            if (type == 3 && count == 1) {
                put16(b, value);
                put16(b, 0);
            } else {
                put32(b, value);
            }
        };
        entry(256, 3, 1, kSide);
        entry(257, 3, 1, kSide);
        entry(258, 3, 3, bps);
        entry(259, 3, 1, 1);
        entry(262, 3, 1, 2);
        entry(273, 4, 1, data);
        entry(277, 3, 1, 3);
        entry(278, 3, 1, kSide);
        entry(279, 4, 1, kPixels);
        put32(b, next);
    };
    ifd(data1, ifd2);
    ifd(data2, 0);
    for (int i = 0; i < 3; ++i) put16(b, 8);
    for (const Rgb& c : {first, second})
        for (int i = 0; i < kSide * kSide; ++i) b += std::string{char(c.r), char(c.g), char(c.b)};
    const std::string path = temp_path(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "";
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return path;
}

// GIF image data for `pixels` (8-bit indices): 9-bit literal codes with a clear code
// every 200 pixels, so the decoder's table never grows past 9 bits.
std::string gif_lzw(const std::vector<uint8_t>& pixels) {
    std::string out;
    uint32_t bits = 0;
    int count = 0;
    auto emit = [&](uint32_t code) {
        bits |= code << count;
        count += 9;
        while (count >= 8) {
            out += char(bits & 255);
            bits >>= 8;
            count -= 8;
        }
    };
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i % 200 == 0) emit(256);
        emit(pixels[i]);
    }
    emit(257);
    if (count > 0) out += char(bits & 255);
    std::string blocks;
    for (size_t at = 0; at < out.size(); at += 255) {
        const std::string part = out.substr(at, 255);
        blocks += char(part.size());
        blocks += part;
    }
    return blocks + '\0';
}

// A two-frame animated GIF of 40 x 40: frame 1 all red, frame 2 a 20 x 20 green patch
// at (10, 10) drawn over it.
std::string write_animated_gif(const char* name) {
    std::string b = "GIF89a";
    put16(b, 40);
    put16(b, 40);
    b += char(0xF7);  // global colour table of 256 entries
    b += '\0';
    b += '\0';
    for (int i = 0; i < 256; ++i) {
        const Rgb c = i == 1 ? kRed : i == 2 ? kGreen : Rgb{255, 255, 255};
        b += std::string{char(c.r), char(c.g), char(c.b)};
    }
    b += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    auto frame = [&](int left, int top, int w, int h, uint8_t index) {
        b += std::string("\x21\xF9\x04\x04\x0A\x00\x00\x00", 8);  // keep the frame, 100 ms
        b += char(0x2C);
        put16(b, left);
        put16(b, top);
        put16(b, w);
        put16(b, h);
        b += '\0';
        b += char(8);
        b += gif_lzw(std::vector<uint8_t>((size_t)w * h, index));
    };
    frame(0, 0, 40, 40, 1);
    frame(10, 10, 20, 20, 2);
    b += char(0x3B);
    const std::string path = temp_path(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "";
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return path;
}

std::string write_bytes(const char* name, const std::string& bytes) {
    const std::string path = temp_path(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "";
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

// The quadrant picture as an uncompressed 24-bit Targa file, stored top row first or
// (as most writers do) bottom row first.
std::string write_quadrant_targa(const char* name, bool bottom_up = false) {
    std::string b(18, '\0');
    b[2] = 2;  // true colour, uncompressed
    b[12] = 120;
    b[14] = 80;
    b[16] = 24;
    b[17] = bottom_up ? 0 : 0x20;  // bit 5: the first stored row is the top one
    for (int row = 0; row < 80; ++row)
        for (int x = 0; x < 120; ++x) {
            const Rgb c = quadrant_pixel(x, bottom_up ? 79 - row : row);
            b += std::string{char(c.b), char(c.g), char(c.r)};
        }
    return write_bytes(name, b);
}

// The quadrant picture as an 8-bit run-length PCX file with a 256-colour palette.
std::string write_quadrant_pcx(const char* name) {
    std::string b(128, '\0');
    b[0] = 10;
    b[1] = 5;
    b[2] = 1;
    b[3] = 8;
    b[8] = 119;  // x max
    b[10] = 79;  // y max
    b[65] = 1;   // planes
    b[66] = 120; // bytes per line
    b[68] = 1;
    const Rgb colours[4] = {kRed, kGreen, kBlue, kYellow};
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; x += 60) {  // each half row is one run of 60: two codes of 30
            const Rgb c = quadrant_pixel(x, y);
            int index = 0;
            while (!(colours[index] == c)) ++index;
            for (int k = 0; k < 2; ++k) b += std::string{char(0xC0 | 30), char(index)};
        }
    b += char(12);
    for (int i = 0; i < 256; ++i) {
        const Rgb c = i < 4 ? colours[i] : Rgb{255, 255, 255};
        b += std::string{char(c.r), char(c.g), char(c.b)};
    }
    return write_bytes(name, b);
}

// The quadrant picture as a PDF whose one image object holds 8-bit RGB samples in a
// Flate stream (a zlib stream of one stored block), with its cross-reference table.
std::string write_quadrant_pdf(const char* name) {
    std::string raw;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x) {
            const Rgb c = quadrant_pixel(x, y);
            raw += std::string{char(c.r), char(c.g), char(c.b)};
        }
    std::string z = "\x78\x01\x01";
    put16(z, (uint32_t)raw.size());
    put16(z, (uint32_t)raw.size() ^ 0xFFFF);
    z += raw;
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    const uint32_t adler = b << 16 | a;
    z += std::string{char(adler >> 24), char(adler >> 16), char(adler >> 8), char(adler)};
    std::string pdf = "%PDF-1.4\n";
    const size_t object = pdf.size();
    pdf += "1 0 obj\n<< /Type /XObject /Subtype /Image /Width 120 /Height 80 /ColorSpace /DeviceRGB "
           "/BitsPerComponent 8 /Filter /FlateDecode /Length " + std::to_string(z.size()) + " >>\nstream\n";
    pdf += z + "\nendstream\nendobj\n";
    const size_t xref = pdf.size();
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010u 00000 n\r\n", (unsigned)object);
    pdf += std::string("xref\n0 2\n0000000000 65535 f\r\n") + entry;
    pdf += "trailer\n<< /Size 2 >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return write_bytes(name, pdf);
}

// A page segment of one 64 x 64 raster cell: 8-pixel squares, set bits black.
std::string write_checker_pseg(const char* name) {
    std::string b;
    auto field = [&b](uint32_t type, const std::string& data) {
        const uint32_t length = 8 + (uint32_t)data.size();
        b += std::string{'\x5A', char(length >> 8), char(length), char(type >> 16), char(type >> 8), char(type), 0, 0, 0};
        b += data;
    };
    auto be16 = [](std::string& s, size_t at, unsigned v) {
        s[at] = char(v >> 8);
        s[at + 1] = char(v);
    };
    std::string descriptor(22, '\0');  // width and height at offsets 27 and 29 of the field
    be16(descriptor, 18, 64);
    be16(descriptor, 20, 64);
    field(0xD3A67B, descriptor);
    std::string cell(12, '\0');  // at (0, 0), 64 pixels a row
    be16(cell, 4, 64);
    field(0xD3AC7B, cell);
    std::string rows;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; x += 8) rows += char(((x / 8 + y / 8) & 1) ? 0xFF : 0x00);
    field(0xD3EE7B, rows.substr(0, 256));
    field(0xD3EE7B, rows.substr(256));
    field(0xD3A97B, "");
    return write_bytes(name, b);
}

// A WinFAX page of 1728 x 200 fine rows in modified Huffman code: the top half white
// then black, the bottom half black then white.
std::string write_halves_winfax(const char* name) {
    std::string bits;
    int used = 0;
    auto put = [&](uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i, ++used) {
            if (used % 8 == 0) bits += '\0';
            if ((code >> i) & 1) bits.back() = char(bits.back() | (1 << (used % 8)));  // first bit lowest
        }
    };
    auto run = [&](int length, bool black) {
        const FaxRunCode* codes = black ? kFaxBlackCodes : kFaxWhiteCodes;
        if (length >= 64) put(codes[63 + length / 64].bits, codes[63 + length / 64].length);
        put(codes[length % 64].bits, codes[length % 64].length);
    };
    for (int y = 0; y < 200; ++y) {
        put(1, 12);
        if (y < 100) {
            run(864, false);
            run(864, true);
        } else {
            run(0, false);
            run(864, true);
            run(864, false);
        }
    }
    for (int i = 0; i < 6; ++i) put(1, 12);
    std::string b(126, '\0');
    b.replace(0, 4, "WINF");
    b += '\0';
    return write_bytes(name, b + bits);
}

// What the client area shows on screen.
struct Shot {
    int w = 0, h = 0;
    std::vector<Rgb> px;
    Rgb at(int x, int y) const { return px[(size_t)y * w + x]; }
};

Shot capture_client(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    Shot s;
    s.w = r.right;
    s.h = r.bottom;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), s.w, -s.h, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, s.w, s.h, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const uint8_t* p = static_cast<const uint8_t*>(bits);
    s.px.resize((size_t)s.w * s.h);
    for (size_t i = 0; i < s.px.size(); ++i) s.px[i] = Rgb{p[4 * i + 2], p[4 * i + 1], p[4 * i]};
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return s;
}

// Height of the image area: the client height less the toolbar strip.
int image_area_height(const Shot& s) { return s.h - 24; }

struct Box {
    int left = -1, top = -1, right = -1, bottom = -1;  // right and bottom exclusive
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// Bounding box of the pixels in the image area that are not `background`.
Box drawn_box(const Shot& s, Rgb background) {
    Box b;
    for (int y = 0; y < image_area_height(s); ++y)
        for (int x = 0; x < s.w; ++x) {
            if (s.at(x, y) == background) continue;
            if (b.left < 0 || x < b.left) b.left = x;
            if (b.top < 0) b.top = y;
            if (x + 1 > b.right) b.right = x + 1;
            b.bottom = y + 1;
        }
    return b;
}

// Waits until the image area shows the background colour and something else, the
// same in two captures in a row (the window has painted).
Shot wait_for_picture(HWND window, Rgb background, DWORD timeout_ms = 10000) {
    const DWORD start = GetTickCount();
    Shot last = capture_client(window);
    for (;;) {
        Sleep(150);
        Shot s = capture_client(window);
        bool has_background = false;
        for (int y = 0; y < image_area_height(s) && !has_background; y += 4)
            has_background = s.at(2, y) == background || s.at(s.w / 2, y) == background;
        if ((has_background && drawn_box(s, background).left >= 0 && s.px == last.px) ||
            GetTickCount() - start > timeout_ms)
            return s;
        last = std::move(s);
    }
}

// Posts a command and waits for the program to handle it and repaint.
Shot after_command(GlimraProcess& app, HWND main, WORD id) {
    app.post_command(main, id);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    Sleep(300);
    return capture_client(main);
}

void settle(HWND main) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    Sleep(300);
}

// A drag from (x0, y0) to (x1, y1) with the left button, as queued mouse messages.
void drag(HWND main, int x0, int y0, int x1, int y1) {
    PostMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y0));
    PostMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x0, y0));
    PostMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x1, y1));
    PostMessageA(main, WM_LBUTTONUP, 0, MAKELPARAM(x1, y1));
    settle(main);
}

// Runs the viewer on `image` with the default view and background colour given.
class ViewSession {
public:
    ViewSession(const std::string& image, DWORD default_view, DWORD background) {
        delete_settings_key();
        write_setting_dword("DefView", default_view);
        write_setting_dword("BkColor", background);
        started_ = app_.start(image);
        if (started_) main_ = app_.wait_for_window(kMainClass, 20000);
    }
    ~ViewSession() {
        if (main_) {
            app_.post_command(main_, 40003);
            DWORD code = 0;
            app_.wait_for_exit(10000, &code);
        }
        app_.kill();
        delete_settings_key();
    }
    bool ready() const { return started_ && main_ != nullptr; }
    HWND main() const { return main_; }
    GlimraProcess& app() { return app_; }

private:
    GlimraProcess app_;
    bool started_ = false;
    HWND main_ = nullptr;
};

// The first settled picture of `image` opened with the default view `view` on the
// grey background; an empty shot when the program did not start.
Shot first_picture(const std::string& image, DWORD view) {
    ViewSession v(image, view, 1);
    return v.ready() ? wait_for_picture(v.main(), kGrey) : Shot{};
}

std::string quadrant_image() { return write_bmp("glimra_view_quadrants.bmp", 120, 80, quadrant_pixel); }

// Checks the four quadrants of the 120 x 80 picture drawn at 100 % with its top-left
// corner at (x, y).
void expect_quadrants_at(const Shot& s, int x, int y) {
    for (int py = 0; py < 80; py += 7)
        for (int px = 0; px < 120; px += 7)
            ASSERT_EQ(s.at(x + px, y + py), quadrant_pixel(px, py)) << "picture pixel " << px << "," << py;
}

}  // namespace

TEST(ViewGui, ActualSizeIsCentredOnTheBackgroundColour) {
    const std::string image = quadrant_image();
    ViewSession v(image, 40024, 1);
    ASSERT_TRUE(v.ready());
    const Shot s = wait_for_picture(v.main(), kGrey);
    const int H = image_area_height(s);
    const Box b = drawn_box(s, kGrey);
    EXPECT_EQ(b.width(), 120);
    EXPECT_EQ(b.height(), 80);
    EXPECT_EQ(b.left, (s.w - 120) / 2);
    EXPECT_EQ(b.top, (H - 80) / 2);
    expect_quadrants_at(s, b.left, b.top);
    EXPECT_EQ(s.at(2, H / 2), kGrey) << "left margin";
    EXPECT_EQ(s.at(s.w / 2, H - 2), kGrey) << "bottom margin";
    DeleteFileA(image.c_str());
}

TEST(ViewGui, FitToWindowFillsTheAreaAndZoomStepsFollowTheScale) {
    const std::string image = quadrant_image();
    ViewSession v(image, 40026, 0);
    ASSERT_TRUE(v.ready());
    Shot s = wait_for_picture(v.main(), kBlack);
    const int W = s.w, H = image_area_height(s);
    // Fit to window: one scale for both axes, no closer than 800 %.
    int scale = std::max(120 * 256 / W, 80 * 256 / H);
    if (scale < 32) scale = 32;
    Box b = drawn_box(s, kBlack);
    EXPECT_NEAR(b.width(), std::min(W, 120 * 256 / scale), 1);
    EXPECT_NEAR(b.height(), std::min(H, 80 * 256 / scale), 1);

    // "100% View", then "Zoom In" to 110 % and "Zoom Out" twice to 99 %.
    s = after_command(v.app(), v.main(), 40024);
    EXPECT_EQ(drawn_box(s, kBlack).width(), 120);
    s = after_command(v.app(), v.main(), 40027);
    EXPECT_NEAR(drawn_box(s, kBlack).width(), 120 * 256 / (25600 / 110), 1);
    s = after_command(v.app(), v.main(), 40028);  // 110 -> 99 %
    EXPECT_NEAR(drawn_box(s, kBlack).width(), 120 * 256 / (25600 / 99), 1);
    DeleteFileA(image.c_str());
}

TEST(ViewGui, ViewRotationTurnsThePictureClockwise) {
    const std::string image = quadrant_image();
    ViewSession v(image, 40024, 1);
    ASSERT_TRUE(v.ready());
    wait_for_picture(v.main(), kGrey);
    const Shot s = after_command(v.app(), v.main(), 40015);
    const Box b = drawn_box(s, kGrey);
    ASSERT_EQ(b.width(), 80);
    ASSERT_EQ(b.height(), 120);
    // Turned clockwise: blue comes to the top left, red to the top right.
    EXPECT_EQ(s.at(b.left + 10, b.top + 10), kBlue);
    EXPECT_EQ(s.at(b.right - 10, b.top + 10), kRed);
    EXPECT_EQ(s.at(b.left + 10, b.bottom - 10), kYellow);
    EXPECT_EQ(s.at(b.right - 10, b.bottom - 10), kGreen);
    DeleteFileA(image.c_str());
}

TEST(ViewGui, PagesOfATiffAndThePageNumberButton) {
    const std::string image = write_two_page_tiff("glimra_view_pages.tif", kRed, kGreen);
    ViewSession v(image, 40024, 1);
    ASSERT_TRUE(v.ready());
    Shot s = wait_for_picture(v.main(), kGrey);
    Box b = drawn_box(s, kGrey);
    ASSERT_EQ(b.width(), 16);
    EXPECT_EQ(s.at(b.left + 8, b.top + 8), kRed);

    // The "File2" toolbar has "Go to page..." as its seventh button.
    s = after_command(v.app(), v.main(), 40125);
    const int toolbar_top = s.h - 24;
    auto button = [&](const Shot& shot) {
        std::vector<Rgb> cells;
        for (int y = toolbar_top + 2; y < toolbar_top + 23; ++y)
            for (int x = 6 * 24 + 1; x < 6 * 24 + 25; ++x) cells.push_back(shot.at(x, y));
        return cells;
    };
    const auto first_number = button(s);
    int dark = 0;
    for (const Rgb& c : first_number) dark += c.r < 64 && c.g < 64 && c.b < 64;
    EXPECT_GT(dark, 5) << "no page number written on the button";

    s = after_command(v.app(), v.main(), 40021);  // "Next Page"
    b = drawn_box(s, kGrey);
    EXPECT_EQ(s.at(b.left + 8, b.top + 8), kGreen);
    EXPECT_NE(button(s), first_number) << "the button still shows page 1";

    s = after_command(v.app(), v.main(), 40022);  // "Previous Page"
    b = drawn_box(s, kGrey);
    EXPECT_EQ(s.at(b.left + 8, b.top + 8), kRed);
    EXPECT_EQ(button(s), first_number);
    DeleteFileA(image.c_str());
}

TEST(ViewGui, CopyThenPasteGivesTheSamePixels) {
    const std::string image = quadrant_image();
    ViewSession v(image, 40024, 1);
    ASSERT_TRUE(v.ready());
    Shot s = wait_for_picture(v.main(), kGrey);
    const Box b = drawn_box(s, kGrey);
    // Select 40 x 40 pixels around the centre of the picture: 20 x 20 of each quadrant.
    drag(v.main(), b.left + 40, b.top + 20, b.left + 80, b.top + 60);
    after_command(v.app(), v.main(), 40058);

    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_DIB);
    ASSERT_NE(data, nullptr) << "no bitmap on the clipboard";
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(data));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 40);
    EXPECT_EQ(header->biHeight, 40);
    EXPECT_EQ(header->biBitCount, 24);
    const uint8_t* pixels = reinterpret_cast<const uint8_t*>(header + 1);
    auto dib_pixel = [&](int x, int y) {  // bottom-up rows of 120 bytes
        const uint8_t* p = pixels + (39 - y) * 120 + 3 * x;
        return Rgb{p[2], p[1], p[0]};
    };
    EXPECT_EQ(dib_pixel(5, 5), kRed);
    EXPECT_EQ(dib_pixel(35, 5), kGreen);
    EXPECT_EQ(dib_pixel(5, 35), kBlue);
    EXPECT_EQ(dib_pixel(35, 35), kYellow);
    GlobalUnlock(data);
    CloseClipboard();

    // Pasting it back shows the 40 x 40 piece on its own.
    s = after_command(v.app(), v.main(), 40095);
    const Box pasted = drawn_box(s, kGrey);
    ASSERT_EQ(pasted.width(), 40);
    ASSERT_EQ(pasted.height(), 40);
    EXPECT_EQ(s.at(pasted.left + 5, pasted.top + 5), kRed);
    EXPECT_EQ(s.at(pasted.left + 35, pasted.top + 5), kGreen);
    EXPECT_EQ(s.at(pasted.left + 5, pasted.top + 35), kBlue);
    EXPECT_EQ(s.at(pasted.left + 35, pasted.top + 35), kYellow);
    DeleteFileA(image.c_str());
}

TEST(ViewGui, RedEyeRemovalClearsOnlyTheSelectedRed) {
    const std::string image = quadrant_image();
    ViewSession v(image, 40024, 1);
    ASSERT_TRUE(v.ready());
    Shot s = wait_for_picture(v.main(), kGrey);
    const Box b = drawn_box(s, kGrey);
    // The left half of the red quadrant and a strip of green.
    drag(v.main(), b.left, b.top, b.left + 80, b.top + 30);
    s = after_command(v.app(), v.main(), 40097);
    EXPECT_EQ(s.at(b.left + 10, b.top + 10), kBlack) << "pure red becomes (green + blue) / 2 = 0";
    EXPECT_EQ(s.at(b.left + 70, b.top + 10), kGreen);
    EXPECT_EQ(s.at(b.left + 10, b.top + 35), kRed) << "red outside the selection stays";
    EXPECT_EQ(s.at(b.left + 10, b.top + 50), kBlue);
    DeleteFileA(image.c_str());
}

TEST(ViewGui, ZoomWindowOpensAtTheOriginClosesAndReopens) {
    const std::string image = quadrant_image();
    ViewSession v(image, 40024, 1);
    ASSERT_TRUE(v.ready());
    wait_for_picture(v.main(), kGrey);
    for (int round = 0; round < 2; ++round) {
        v.app().post_command(v.main(), 40034);
        HWND zoom = v.app().wait_for_window("GLZOOMCLASS", 10000);
        ASSERT_NE(zoom, nullptr) << "round " << round;
        EXPECT_EQ(window_text(zoom), "Zoom");
        RECT r;
        GetWindowRect(zoom, &r);
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 0);
        // Closing it from its system menu.
        PostMessageA(zoom, WM_SYSCOMMAND, SC_CLOSE, 0);
        const DWORD start = GetTickCount();
        while (IsWindow(zoom) && GetTickCount() - start < 5000) Sleep(50);
        EXPECT_FALSE(IsWindow(zoom));
    }
    DeleteFileA(image.c_str());
}

TEST(ViewGui, PaletteAndBilevelPagesShowTheirColours) {
    const std::vector<Rgb> colours = {kRed, kGreen, kBlue, kYellow};
    const std::string indexed = write_indexed_bmp("glimra_view_8bit.bmp", 64, 64, 8, colours,
                                                  [](int x, int y) { return (x / 32) + 2 * (y / 32); });
    {
        ViewSession v(indexed, 40024, 1);
        ASSERT_TRUE(v.ready());
        const Shot s = wait_for_picture(v.main(), kGrey);
        const Box b = drawn_box(s, kGrey);
        ASSERT_EQ(b.width(), 64);
        EXPECT_EQ(s.at(b.left + 5, b.top + 5), kRed);
        EXPECT_EQ(s.at(b.left + 40, b.top + 5), kGreen);
        EXPECT_EQ(s.at(b.left + 5, b.top + 40), kBlue);
        EXPECT_EQ(s.at(b.left + 40, b.top + 40), kYellow);
    }
    // A checkerboard of 8-pixel squares: black where the bit is 0.
    const std::string bilevel = write_indexed_bmp("glimra_view_1bit.bmp", 64, 64, 1, {kBlack, Rgb{255, 255, 255}},
                                                  [](int x, int y) { return ((x / 8) + (y / 8)) & 1; });
    {
        ViewSession v(bilevel, 40024, 1);
        ASSERT_TRUE(v.ready());
        Shot s = wait_for_picture(v.main(), kGrey);
        Box b = drawn_box(s, kGrey);
        ASSERT_EQ(b.width(), 64);
        EXPECT_EQ(s.at(b.left + 3, b.top + 3), kBlack);
        EXPECT_EQ(s.at(b.left + 11, b.top + 3), (Rgb{255, 255, 255}));
        // Eight "Zoom Out" steps (90, 81, 72, 64, 57, 51, 45, 40 %) with "Scale to Gray"
        // on (the default): reduced squares blend into grey levels at their edges.
        auto has_grey = [](const Shot& shot, const Box& box) {
            for (int y = box.top; y < box.bottom; ++y)
                for (int x = box.left; x < box.right; ++x) {
                    const Rgb c = shot.at(x, y);
                    if (c.r == c.g && c.g == c.b && c.r > 0 && c.r < 255) return true;
                }
            return false;
        };
        for (int i = 0; i < 7; ++i) PostMessageA(v.main(), WM_COMMAND, 40028, 0);
        s = after_command(v.app(), v.main(), 40028);
        b = drawn_box(s, kGrey);
        EXPECT_NEAR(b.width(), 64 * 256 / (25600 / 40), 1);
        EXPECT_TRUE(has_grey(s, b)) << "no grey level in the reduced bilevel picture";
        // Switched off, the reduced picture is black and white only.
        s = after_command(v.app(), v.main(), 40029);
        b = drawn_box(s, kGrey);
        EXPECT_NEAR(b.width(), 64 * 256 / (25600 / 40), 1);
        EXPECT_FALSE(has_grey(s, b)) << "grey levels without Scale to Gray";
    }
    DeleteFileA(indexed.c_str());
    DeleteFileA(bilevel.c_str());
}

TEST(ViewGui, ImageOperationsRedrawThePage) {
    const std::string image = quadrant_image();
    ViewSession v(image, 40024, 1);
    ASSERT_TRUE(v.ready());
    Shot s = wait_for_picture(v.main(), kGrey);
    const Box b = drawn_box(s, kGrey);
    s = after_command(v.app(), v.main(), 40016);  // "Invert"
    EXPECT_EQ(s.at(b.left + 10, b.top + 10), (Rgb{0, 255, 255}));
    EXPECT_EQ(s.at(b.left + 110, b.top + 70), (Rgb{0, 0, 255}));
    s = after_command(v.app(), v.main(), 40019);  // "Flip Horizontal": mirror left to right
    EXPECT_EQ(s.at(b.left + 10, b.top + 10), (Rgb{255, 0, 255}));
    s = after_command(v.app(), v.main(), 40090);  // "Rotate Image 90": 80 x 120, default view
    const Box turned = drawn_box(s, kGrey);
    EXPECT_EQ(turned.width(), 80);
    EXPECT_EQ(turned.height(), 120);
    DeleteFileA(image.c_str());
}

TEST(ViewGui, AnimatedGifCompositesForwardAndPlays) {
    const std::string image = write_animated_gif("glimra_view_anim.gif");
    ViewSession v(image, 40024, 1);
    ASSERT_TRUE(v.ready());
    Shot s = wait_for_picture(v.main(), kGrey);
    const Box b = drawn_box(s, kGrey);
    ASSERT_EQ(b.width(), 40);
    EXPECT_EQ(s.at(b.left + 20, b.top + 20), kRed);
    // "Next Page" draws the second frame's patch over the first.
    s = after_command(v.app(), v.main(), 40021);
    EXPECT_EQ(s.at(b.left + 20, b.top + 20), kGreen);
    EXPECT_EQ(s.at(b.left + 3, b.top + 3), kRed) << "the first frame is kept around the patch";
    // "Previous Page" cannot go back through composed frames: nothing changes.
    s = after_command(v.app(), v.main(), 40022);
    EXPECT_EQ(s.at(b.left + 20, b.top + 20), kGreen);
    // "Play / Pause" animates: the centre shows both frames over a few seconds.
    v.app().post_command(v.main(), 40055);
    bool saw_red = false, saw_green = false;
    const DWORD start = GetTickCount();
    while (!(saw_red && saw_green) && GetTickCount() - start < 8000) {
        Sleep(60);
        const Rgb c = capture_client(v.main()).at(b.left + 20, b.top + 20);
        saw_red |= c == kRed;
        saw_green |= c == kGreen;
    }
    EXPECT_TRUE(saw_red && saw_green) << "the animation did not run";
    after_command(v.app(), v.main(), 40055);  // pause
    DeleteFileA(image.c_str());
}

TEST(ViewGui, ToolbarButtonsSendTheirCommandsAndTheRestOfTheStripNothing) {
    const std::string image = quadrant_image();
    ViewSession v(image, 40024, 1);
    ASSERT_TRUE(v.ready());
    const Shot s = wait_for_picture(v.main(), kGrey);
    const int y = s.h - 12;
    // Right of the ten buttons (x >= 240) a press does nothing.
    PostMessageA(v.main(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, y));
    PostMessageA(v.main(), WM_LBUTTONUP, 0, MAKELPARAM(300, y));
    settle(v.main());
    EXPECT_EQ(v.app().wait_for_dialog("Open", 1500), nullptr) << "a press right of the buttons sent a command";
    // The first button of the "General" toolbar is "Open...".
    PostMessageA(v.main(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, y));
    PostMessageA(v.main(), WM_LBUTTONUP, 0, MAKELPARAM(12, y));
    HWND open = v.app().wait_for_dialog("Open", 10000);
    ASSERT_NE(open, nullptr) << "the Open button did not open the file dialog";
    PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
    const DWORD start = GetTickCount();
    while (IsWindow(open) && GetTickCount() - start < 5000) Sleep(50);
    DeleteFileA(image.c_str());
}

TEST(ViewGui, TargaAndPcxFilesShowTheSamePicture) {
    const std::string files[] = {write_quadrant_targa("glimra_view_quadrants.tga"),
                                 write_quadrant_targa("glimra_view_quadrants_up.tga", true),
                                 write_quadrant_pcx("glimra_view_quadrants.pcx")};
    for (const std::string& image : files) {
        const Shot s = first_picture(image, 40024);
        const Box b = drawn_box(s, kGrey);
        ASSERT_EQ(b.width(), 120) << image;
        ASSERT_EQ(b.height(), 80) << image;
        expect_quadrants_at(s, b.left, b.top);
        DeleteFileA(image.c_str());
    }
}

// The other uncompressed kinds end to end: a Flate image inside a PDF at 100 %, a
// page segment's raster cell, and a fine PC fax page fitted to the window, its
// halves drawn white and black (grey only where they meet).
TEST(ViewGui, PdfPageSegmentAndPcFaxPagesShowTheirPictures) {
    const std::string pdf = write_quadrant_pdf("glimra_view_quadrants.pdf");
    {
        const Shot s = first_picture(pdf, 40024);
        const Box b = drawn_box(s, kGrey);
        ASSERT_EQ(b.width(), 120);
        ASSERT_EQ(b.height(), 80);
        expect_quadrants_at(s, b.left, b.top);
    }
    const std::string pseg = write_checker_pseg("glimra_view_checker.psg");
    {
        const Shot s = first_picture(pseg, 40024);
        const Box b = drawn_box(s, kGrey);
        ASSERT_EQ(b.width(), 64);
        ASSERT_EQ(b.height(), 64);
        for (int y = 4; y < 64; y += 8)
            for (int x = 4; x < 64; x += 8)
                ASSERT_EQ(s.at(b.left + x, b.top + y), ((x / 8 + y / 8) & 1) ? kBlack : (Rgb{255, 255, 255}))
                    << "square at " << x << "," << y;
    }
    const std::string fax = write_halves_winfax("glimra_view_halves.fax");
    {
        const Shot s = first_picture(fax, 40026);  // fit to window
        const Box b = drawn_box(s, kGrey);
        ASSERT_EQ(b.width(), s.w) << "a page wider than tall fills the width";
        EXPECT_NEAR(b.height(), s.w * 200 / 1728, 2);
        const int qx = b.width() / 4, qy = b.height() / 4;
        EXPECT_EQ(s.at(b.left + qx, b.top + qy), (Rgb{255, 255, 255}));
        EXPECT_EQ(s.at(b.left + 3 * qx, b.top + qy), kBlack);
        EXPECT_EQ(s.at(b.left + qx, b.top + 3 * qy), kBlack);
        EXPECT_EQ(s.at(b.left + 3 * qx, b.top + 3 * qy), (Rgb{255, 255, 255}));
    }
    DeleteFileA(pdf.c_str());
    DeleteFileA(pseg.c_str());
    DeleteFileA(fax.c_str());
}

// Posts WM_DROPFILES with `paths` to the program's window. The drop block is written
// into the program's own memory, as the shell does, since a handle of this process
// means nothing there.
bool drop_files(GlimraProcess& app, HWND main, const std::vector<std::string>& paths) {
    std::string block(sizeof(DROPFILES), '\0');
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    std::memcpy(&block[0], &header, sizeof header);
    for (const std::string& p : paths) block += p + '\0';
    block += '\0';
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, app.pid());
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const bool written = remote && WriteProcessMemory(process, remote, block.data(), block.size(), nullptr);
    CloseHandle(process);
    if (!written) return false;
    PostMessageA(main, WM_DROPFILES, (WPARAM)remote, 0);
    settle(main);
    return true;
}

// Dropping two files opens neither and keeps the picture; dropping one opens it.
TEST(ViewGui, DropOfOneFileOpensItAndOfTwoOpensNone) {
    const std::string image = quadrant_image();
    const std::string pseg = write_checker_pseg("glimra_drop_checker.psg");
    const std::string other = write_quadrant_targa("glimra_drop_quadrants.tga");
    ViewSession v(image, 40024, 1);
    ASSERT_TRUE(v.ready());
    Shot s = wait_for_picture(v.main(), kGrey);
    ASSERT_EQ(drawn_box(s, kGrey).width(), 120);
    ASSERT_TRUE(drop_files(v.app(), v.main(), {pseg, other}));
    s = capture_client(v.main());
    Box b = drawn_box(s, kGrey);
    ASSERT_EQ(b.width(), 120) << "a drop of two files changed the picture";
    expect_quadrants_at(s, b.left, b.top);
    ASSERT_TRUE(drop_files(v.app(), v.main(), {pseg}));
    s = wait_for_picture(v.main(), kGrey);
    b = drawn_box(s, kGrey);
    EXPECT_EQ(b.width(), 64) << "the dropped page segment is not shown";
    EXPECT_EQ(b.height(), 64);
    EXPECT_TRUE(v.app().running());
    DeleteFileA(image.c_str());
    DeleteFileA(pseg.c_str());
    DeleteFileA(other.c_str());
}
