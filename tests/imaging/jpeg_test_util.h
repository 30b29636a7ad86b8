// Helpers of the JPEG decoder tests: a stored JPEG page over bytes in memory, decoding
// through convert_page, pictures made by cjpeg and decoded by djpeg (PNM), and the
// PSNR between our decoded page and a reference picture.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "imaging.h"
#include "test_support.h"

using JpegBytes = std::vector<unsigned char>;

// A decoded picture as RGB (or grey) rows without padding.
struct Picture {
    int width = 0, height = 0, channels = 0;
    std::vector<unsigned char> pixels;
};

// A stored JPEG page over `bytes` (borrowed), described from its first SOF.
inline PageBitmap jpeg_source(const JpegBytes& bytes) {
    PageBitmap page{};
    page.data = const_cast<unsigned char*>(bytes.data());
    page.data_length = (int32_t)bytes.size();
    page.ownership = OWN_BORROWED;
    page.compression = COMP_JPEG;
    page.bits_per_pixel = 24;
    for (size_t i = 0; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] & 0xFC) == 0xC0) {
            page.height = bytes[i + 5] << 8 | bytes[i + 6];
            page.width = bytes[i + 7] << 8 | bytes[i + 8];
            page.bits_per_pixel = bytes[i + 9] == 1 ? 8 : 24;
            break;
        }
    return page;
}

// Decodes `bytes` with `flags`; the page is released by the caller.
inline int decode_bytes(const JpegBytes& bytes, int flags, PageBitmap* out) {
    PageBitmap src = jpeg_source(bytes);
    *out = PageBitmap{};
    out->compression = COMP_NONE;
    return convert_page(&src, out, flags);
}

// Our decoded page as a Picture (24-bit as RGB, 16-bit widened, 8-bit as grey).
inline Picture to_picture(const PageBitmap& p) {
    Picture pic;
    pic.width = p.width;
    pic.height = p.height;
    pic.channels = p.bits_per_pixel == 8 ? 1 : 3;
    for (int y = 0; y < p.height; ++y) {
        const unsigned char* row = p.data + (size_t)y * p.pitch;
        for (int x = 0; x < p.width; ++x) {
            if (p.bits_per_pixel == 8) {
                pic.pixels.push_back(row[x]);
            } else if (p.bits_per_pixel == 24) {
                pic.pixels.insert(pic.pixels.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            } else {
                const unsigned v = row[2 * x] | row[2 * x + 1] << 8;
                pic.pixels.insert(pic.pixels.end(), {(unsigned char)((v >> 11) << 3), (unsigned char)(((v >> 5) & 63) << 2),
                                                     (unsigned char)((v & 31) << 3)});
            }
        }
    }
    return pic;
}

inline Picture read_pnm(const fs::path& path) {
    Picture pic;
    FILE* f = std::fopen(path.string().c_str(), "rb");
    if (!f) return pic;
    char magic[3] = {};
    int maxval = 0;
    if (std::fscanf(f, "%2s %d %d %d", magic, &pic.width, &pic.height, &maxval) == 4) {
        std::fgetc(f);
        pic.channels = magic[1] == '5' ? 1 : 3;
        pic.pixels.resize((size_t)pic.width * pic.height * pic.channels);
        if (std::fread(pic.pixels.data(), 1, pic.pixels.size(), f) != pic.pixels.size()) pic.pixels.clear();
    }
    std::fclose(f);
    return pic;
}

// djpeg's picture of `jpeg` (integer DCT); `scale` as "1/2" or "1/8", empty for full size.
inline Picture djpeg(const fs::path& jpeg, const fs::path& out, const std::string& scale = "") {
    const std::string cmd = "djpeg -dct int " + (scale.empty() ? "" : "-scale " + scale + " ") + "-pnm -outfile '" +
                            out.string() + "' '" + jpeg.string() + "'";
    if (run_command(cmd) != 0) return Picture{};
    return read_pnm(out);
}

// PSNR in dB between two pictures of the same size (a grey reference matches the
// grey of an RGB picture channel by channel); -1 when the sizes differ.
inline double psnr(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty() || b.pixels.empty()) return -1;
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < (size_t)a.width * a.height; ++i)
        for (int c = 0; c < 3; ++c) {
            const int va = a.pixels[i * a.channels + (a.channels == 3 ? c : 0)];
            const int vb = b.pixels[i * b.channels + (b.channels == 3 ? c : 0)];
            sum += (double)(va - vb) * (va - vb);
            ++n;
        }
    if (sum == 0) return 99.0;
    return 10 * std::log10(255.0 * 255.0 * (double)n / sum);
}

// A test picture (smooth colour gradients with a little texture) written as PPM.
inline void write_test_ppm(const fs::path& path, int w, int h) {
    std::string data = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int t = (x * 7 + y * 13) % 5;  // a little texture on smooth gradients
            data.push_back((char)(x * 250 / (w > 1 ? w - 1 : 1) + t));
            data.push_back((char)(y * 250 / (h > 1 ? h - 1 : 1) + t));
            data.push_back((char)(60 + (x + y) * 120 / (w + h) + t));
        }
    write_bytes(path, JpegBytes(data.begin(), data.end()));
}

// JFIF YCbCr planes (real numbers) of a picture, for comparing luma and chroma apart.
struct YccPlanes {
    int width = 0, height = 0;
    std::vector<double> y, cb, cr;
};

inline YccPlanes ycc_planes(const Picture& p) {
    YccPlanes o;
    o.width = p.width, o.height = p.height;
    for (size_t i = 0; i < (size_t)p.width * p.height; ++i) {
        const double r = p.pixels[i * p.channels], g = p.pixels[i * p.channels + (p.channels == 3 ? 1 : 0)],
                     b = p.pixels[i * p.channels + (p.channels == 3 ? 2 : 0)];
        o.y.push_back(0.299 * r + 0.587 * g + 0.114 * b);
        o.cb.push_back(-0.168736 * r - 0.331264 * g + 0.5 * b + 128);
        o.cr.push_back(0.5 * r - 0.418688 * g - 0.081312 * b + 128);
    }
    return o;
}

inline double plane_psnr(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size() || a.empty()) return -1;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * (double)a.size() / sum);
}

// Each value replaced by the mean of its n x n cell (cells cut by the edges).
inline std::vector<double> cell_means(const std::vector<double>& p, int w, int h, int n) {
    std::vector<double> out(p.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double sum = 0;
            int count = 0;
            for (int j = y / n * n; j < std::min(h, y / n * n + n); ++j)
                for (int i = x / n * n; i < std::min(w, x / n * n + n); ++i, ++count) sum += p[(size_t)j * w + i];
            out[(size_t)y * w + x] = sum / count;
        }
    return out;
}
