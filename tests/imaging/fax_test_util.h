// Helpers of the fax and LZW codec tests: bilevel test pictures, TIFF files written
// and read back through libtiff (the reference), source pages built over raw strips,
// and the pixels of a run-length page.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codecs/run_form.h"
#include "imaging.h"

namespace faxtest {

// A bilevel picture, one byte per pixel: 1 black, 0 white.
struct Bilevel {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> px;
    uint8_t at(int x, int y) const { return px[(size_t)y * width + x]; }
};

// A text-like page: lines of glyph-sized black blocks and strokes on white, plus a
// few long rules and a solid black band, seeded for repeatability.
inline Bilevel text_page(int width, int height, unsigned seed = 7) {
    Bilevel b{width, height, std::vector<uint8_t>((size_t)width * height, 0)};
    std::mt19937 rng(seed);
    auto fill = [&](int x0, int y0, int w, int h) {
        for (int y = y0; y < y0 + h && y < height; ++y)
            for (int x = x0; x < x0 + w && x < width; ++x)
                if (x >= 0 && y >= 0) b.px[(size_t)y * width + x] = 1;
    };
    for (int line = 8; line + 14 < height; line += 22) {
        int x = 10 + (int)(rng() % 20);
        while (x < width - 20) {
            const int w = 3 + (int)(rng() % 9), h = 6 + (int)(rng() % 8);
            fill(x, line + (14 - h), w, h);
            if (rng() % 3 == 0) fill(x + 1, line - 3, 1, 3);  // an ascender
            x += w + 1 + (int)(rng() % 5) + (rng() % 7 == 0 ? 12 : 0);
        }
    }
    if (height > 40) fill(0, height / 2, width, 2);            // a full-width rule
    if (height > 60) fill(width / 4, height / 3, width / 2, 5);  // a band
    if (height > 2) b.px[(size_t)(height - 1) * width + width - 1] = 1;  // last pixel black
    return b;
}

// Random noise: the worst case for run coding.
inline Bilevel noise_page(int width, int height, unsigned seed = 3) {
    Bilevel b{width, height, std::vector<uint8_t>((size_t)width * height, 0)};
    std::mt19937 rng(seed);
    for (auto& p : b.px) p = (uint8_t)(rng() & 1);
    return b;
}

struct TiffOptions {
    int compression = COMPRESSION_CCITTFAX4;
    uint32_t t4options = 0;
    int fill_order = FILLORDER_MSB2LSB;
    int rows_per_strip = 0;  // 0: one strip
    int photometric = PHOTOMETRIC_MINISWHITE;
};

// Writes `b` as a bilevel TIFF through libtiff (set bits black for min-is-white).
inline bool write_bilevel_tiff(const std::string& path, const Bilevel& b, const TiffOptions& o) {
    TIFF* t = TIFFOpen(path.c_str(), "w");
    if (!t) return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, (uint32_t)b.width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, (uint32_t)b.height);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, o.photometric);
    TIFFSetField(t, TIFFTAG_FILLORDER, o.fill_order);
    TIFFSetField(t, TIFFTAG_COMPRESSION, o.compression);
    if (o.compression == COMPRESSION_CCITTFAX3) TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, o.t4options);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, (uint32_t)(o.rows_per_strip ? o.rows_per_strip : b.height));
    std::vector<uint8_t> row((size_t)(b.width + 7) / 8);
    bool ok = true;
    for (int y = 0; y < b.height && ok; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < b.width; ++x) {
            const int bit = b.at(x, y) ^ (o.photometric == PHOTOMETRIC_MINISBLACK ? 1 : 0);
            if (bit) row[x >> 3] |= (uint8_t)(0x80 >> (x & 7));
        }
        ok = TIFFWriteScanline(t, row.data(), (uint32_t)y, 0) >= 0;
    }
    TIFFClose(t);
    return ok;
}

// The raw strips of a TIFF page and libtiff's decoding of it.
struct TiffPage {
    int width = 0, height = 0, rows_per_strip = 0, fill_order = 1, compression = 1, bits = 1;
    int samples = 1, predictor = 1, photometric = 0;
    std::vector<uint8_t> data;  // the strips one after another
    std::vector<int32_t> offsets;
    std::vector<uint32_t> lengths;
    std::vector<uint8_t> decoded;  // libtiff's rows (scanline bytes), top to bottom
    size_t scanline = 0;
};

inline bool read_tiff_page(const std::string& path, TiffPage& p, int directory = 0) {
    TIFF* t = TIFFOpen(path.c_str(), "r");
    if (!t) return false;
    if (directory && !TIFFSetDirectory(t, (uint16_t)directory)) {
        TIFFClose(t);
        return false;
    }
    uint32_t w = 0, h = 0, rps = 0;
    uint16_t fill = FILLORDER_MSB2LSB, comp = 1, bits = 1, spp = 1, pred = 1, photo = 0;
    TIFFGetField(t, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(t, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(t, TIFFTAG_ROWSPERSTRIP, &rps);
    TIFFGetFieldDefaulted(t, TIFFTAG_FILLORDER, &fill);
    TIFFGetFieldDefaulted(t, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(t, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(t, TIFFTAG_PREDICTOR, &pred);
    TIFFGetField(t, TIFFTAG_COMPRESSION, &comp);
    TIFFGetField(t, TIFFTAG_PHOTOMETRIC, &photo);
    p.width = (int)w;
    p.height = (int)h;
    p.rows_per_strip = (int)(rps > h ? h : rps);
    p.fill_order = fill;
    p.compression = comp;
    p.bits = bits;
    p.samples = spp;
    p.predictor = pred;
    p.photometric = photo;
    const tstrip_t strips = TIFFNumberOfStrips(t);
    uint64_t* counts = nullptr;
    TIFFGetField(t, TIFFTAG_STRIPBYTECOUNTS, &counts);
    for (tstrip_t s = 0; s < strips; ++s) {
        std::vector<uint8_t> raw(counts[s]);
        const tmsize_t n = TIFFReadRawStrip(t, s, raw.data(), (tmsize_t)raw.size());
        if (n < 0) {
            TIFFClose(t);
            return false;
        }
        p.offsets.push_back((int32_t)p.data.size());
        p.lengths.push_back((uint32_t)n);
        p.data.insert(p.data.end(), raw.begin(), raw.begin() + n);
    }
    p.scanline = (size_t)TIFFScanlineSize(t);
    p.decoded.assign(p.scanline * h, 0);
    bool ok = true;
    for (uint32_t y = 0; y < h && ok; ++y) ok = TIFFReadScanline(t, p.decoded.data() + y * p.scanline, y, 0) >= 0;
    TIFFClose(t);
    return ok;
}

// Writes `b` with `o` and reads the page back into `ref`.
inline bool bilevel_tiff_page(const std::string& path, const Bilevel& b, const TiffOptions& o, TiffPage& ref) {
    return write_bilevel_tiff(path, b, o) && read_tiff_page(path, ref);
}

// A source page over the raw strips, as the TIFF reader describes a stored page.
inline PageBitmap source_page(TiffPage& p, int compression) {
    PageBitmap s{};
    s.width = p.width;
    s.height = p.height;
    s.bits_per_pixel = (int8_t)(p.bits * p.samples);
    s.compression = (int8_t)compression;
    s.fill_order = (int8_t)(p.fill_order == FILLORDER_LSB2MSB ? 1 : 0);
    s.data = p.data.data();
    s.ownership = OWN_BORROWED;
    s.rows_per_strip = p.rows_per_strip;
    s.layout = LAYOUT_TOP_DOWN | (p.predictor == 2 ? LAYOUT_PREDICTOR : 0);
    s.pitch = row_bytes_packed(p.width, s.bits_per_pixel);
    if (p.offsets.size() > 1) {
        s.strip_count = (int32_t)p.offsets.size();
        s.strip_offsets = p.offsets.data();
        s.strip_lengths = p.lengths.data();
        s.data_offset = 0;
        s.data_length = (int32_t)p.data.size();
    } else {
        s.data_offset = 0;
        s.data_length = (int32_t)p.data.size();
    }
    return s;
}

// Pixels of row y of a run-length page: 1 black, 0 white.
inline std::vector<uint8_t> run_row_pixels(const PageBitmap& page, int y) {
    std::vector<uint8_t> out((size_t)page.width, 0);
    const uint8_t* const* rows = reinterpret_cast<const uint8_t* const*>(page.data + page.data_offset);
    const uint8_t* r = rows[y];
    int x = 0;
    for (int guard = 0; guard < 2 * page.width + 4; ++guard) {
        int used = 0;
        const int white = run_read(r, 4, &used);
        r += used;
        const int black = run_read(r, 4, &used);
        r += used;
        x += white;
        if (black == 0) break;
        for (int i = 0; i < black && x < page.width; ++i) out[(size_t)x++] = 1;
    }
    return out;
}

// Black pixels of row y of libtiff's packed rows (set bits are black for fax data).
inline std::vector<uint8_t> packed_row_pixels(const TiffPage& p, int y) {
    std::vector<uint8_t> out((size_t)p.width);
    const uint8_t* row = p.decoded.data() + (size_t)y * p.scanline;
    for (int x = 0; x < p.width; ++x) out[(size_t)x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
    return out;
}

// Number of rows of `page` that differ from libtiff's; the first one in *first.
inline int differing_rows(const PageBitmap& page, const TiffPage& ref, int* first = nullptr) {
    int bad = 0;
    for (int y = 0; y < ref.height; ++y)
        if (run_row_pixels(page, y) != packed_row_pixels(ref, y)) {
            if (!bad && first) *first = y;
            ++bad;
        }
    return bad;
}

// `b` in the run-length form (an owned page; release it with release_page).
inline PageBitmap runs_page_of(const Bilevel& b) {
    PageBitmap page{};
    RunsBuilder builder;
    if (runs_begin(&builder, b.width, b.height, (size_t)b.width * b.height / 4) != 0) return page;
    std::vector<int> runs;
    for (int y = 0; y < b.height; ++y) {
        runs.clear();
        int colour = 0, length = 0;
        for (int x = 0; x < b.width; ++x) {
            if (b.at(x, y) != colour) {
                runs.push_back(length);
                colour ^= 1;
                length = 0;
            }
            ++length;
        }
        runs.push_back(length);
        runs_add_row(&builder, runs.data(), runs.size());
    }
    runs_finish(&builder, &page);
    return page;
}

// The pixels of a run-length page (1 black, 0 white).
inline Bilevel bilevel_of_runs(const PageBitmap& page) {
    Bilevel b{page.width, page.height, {}};
    for (int y = 0; y < page.height; ++y) {
        const std::vector<uint8_t> row = run_row_pixels(page, y);
        b.px.insert(b.px.end(), row.begin(), row.end());
    }
    return b;
}

// The pixels of libtiff's reading of a bilevel page (set bits black).
inline Bilevel bilevel_of_tiff(const TiffPage& ref) {
    Bilevel b{ref.width, ref.height, {}};
    for (int y = 0; y < ref.height; ++y) {
        const std::vector<uint8_t> row = packed_row_pixels(ref, y);
        b.px.insert(b.px.end(), row.begin(), row.end());
    }
    return b;
}

}  // namespace faxtest
