// Builds small TIFF structures byte by byte for the TIFF and Exif tests, in either
// byte order: header, value blobs, then one directory at the end (so a blob's
// offset is known when it is added).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/tiff/tiff.h"
#include "imaging.h"

class TiffBuilder {
public:
    explicit TiffBuilder(bool big_endian) : big_(big_endian) {
        const uint8_t order = big_ ? 'M' : 'I';
        bytes_ = {order, order};
        put16(bytes_, 42);
        put32(bytes_, 0);  // directory offset, set by build()
    }

    bool big() const { return big_; }

    // Appends raw bytes and answers their offset.
    uint32_t blob(const std::vector<uint8_t>& data) {
        if (bytes_.size() % 2) bytes_.push_back(0);
        const uint32_t at = (uint32_t)bytes_.size();
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        return at;
    }
    uint32_t blob_shorts(const std::vector<uint16_t>& v) {
        std::vector<uint8_t> b;
        for (uint16_t x : v) put16(b, x);
        return blob(b);
    }
    uint32_t blob_longs(const std::vector<uint32_t>& v) {
        std::vector<uint8_t> b;
        for (uint32_t x : v) put32(b, x);
        return blob(b);
    }

    // An entry with the value field given as a number (SHORT with count 1 in its
    // first 16 bits).
    void entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t field) {
        std::vector<uint8_t> f;
        if (type == TIFF_TYPE_SHORT && count == 1) {
            put16(f, (uint16_t)field);
            put16(f, 0);
        } else {
            put32(f, field);
        }
        entries_.push_back({tag, type, count, {f[0], f[1], f[2], f[3]}});
    }
    void entry_bytes(uint16_t tag, uint16_t type, uint32_t count, const uint8_t field[4]) {
        entries_.push_back({tag, type, count, {field[0], field[1], field[2], field[3]}});
    }
    void shorts(uint16_t tag, const std::vector<uint16_t>& v) {
        if (v.size() == 1) return entry(tag, TIFF_TYPE_SHORT, 1, v[0]);
        if (v.size() == 2) {
            std::vector<uint8_t> f;
            put16(f, v[0]);
            put16(f, v[1]);
            return entry_bytes(tag, TIFF_TYPE_SHORT, 2, f.data());
        }
        entry(tag, TIFF_TYPE_SHORT, (uint32_t)v.size(), blob_shorts(v));
    }
    void longs(uint16_t tag, const std::vector<uint32_t>& v) {
        if (v.size() == 1) return entry(tag, TIFF_TYPE_LONG, 1, v[0]);
        entry(tag, TIFF_TYPE_LONG, (uint32_t)v.size(), blob_longs(v));
    }
    void ascii(uint16_t tag, const std::string& text) {
        std::vector<uint8_t> b(text.begin(), text.end());
        b.push_back(0);
        if (b.size() <= 4) {
            b.resize(4, 0);
            return entry_bytes(tag, TIFF_TYPE_ASCII, (uint32_t)text.size() + 1, b.data());
        }
        entry(tag, TIFF_TYPE_ASCII, (uint32_t)b.size(), blob(b));
    }
    void rational(uint16_t tag, uint32_t num, uint32_t den, uint16_t type = TIFF_TYPE_RATIONAL) {
        entry(tag, type, 1, blob_longs({num, den}));
    }

    // The whole structure with the directory last; `sorted` orders entries by tag.
    std::vector<uint8_t> build(bool sorted = true) {
        std::vector<uint8_t> out = bytes_;
        if (out.size() % 2) out.push_back(0);
        const uint32_t dir = (uint32_t)out.size();
        std::vector<Entry> e = entries_;
        if (sorted) std::stable_sort(e.begin(), e.end(), [](auto& a, auto& b) { return a.tag < b.tag; });
        put16(out, (uint16_t)e.size());
        for (const Entry& x : e) {
            put16(out, x.tag);
            put16(out, x.type);
            put32(out, x.count);
            out.insert(out.end(), x.field, x.field + 4);
        }
        put32(out, 0);
        std::vector<uint8_t> at;
        put32(at, dir);
        std::copy(at.begin(), at.end(), out.begin() + 4);
        return out;
    }

    void put16(std::vector<uint8_t>& b, uint16_t v) const {
        if (big_) b.insert(b.end(), {(uint8_t)(v >> 8), (uint8_t)v});
        else b.insert(b.end(), {(uint8_t)v, (uint8_t)(v >> 8)});
    }
    void put32(std::vector<uint8_t>& b, uint32_t v) const {
        if (big_) {
            put16(b, (uint16_t)(v >> 16));
            put16(b, (uint16_t)v);
        } else {
            put16(b, (uint16_t)v);
            put16(b, (uint16_t)(v >> 16));
        }
    }

private:
    struct Entry {
        uint16_t tag, type;
        uint32_t count;
        uint8_t field[4];
    };
    bool big_;
    std::vector<uint8_t> bytes_;
    std::vector<Entry> entries_;
};

// The TIFF files of the sample corpus (tests skip those that are absent).
inline const char* const kCorpusTiffs[] = {
    "tiff/G31DS.tif",       "tiff/copyleft_packbits.tiff", "tiff/g3_1d_nofill.tiff", "tiff/g3_2d_fill.tiff",
    "tiff/g3test.tif",      "tiff/g4_multipage.tiff",      "tiff/g4_t6.tiff",        "tiff/grey-8b.tiff",
    "tiff/hopper_g4.tif",   "tiff/hopper_lzw_pred2.tif",   "tiff/jpeg_ycbcr_2x2_strips.tif",
    "tiff/mh_1pagefax.tif", "tiff/multipage_3.tiff",       "tiff/palette-4b.tiff",   "tiff/palette-8b.tiff",
    "tiff/quad-lzw-compat.tiff",
};

// Offset of the first directory named by a TIFF header.
inline uint32_t tiff_first_directory(const std::vector<uint8_t>& b) {
    if (b.size() < 8) return 0;
    return b[0] == 'M' ? (uint32_t)b[4] << 24 | b[5] << 16 | b[6] << 8 | b[7]
                       : (uint32_t)b[7] << 24 | b[6] << 16 | b[5] << 8 | b[4];
}

// A page record as read_page prepares it for the directory reader.
inline PageBitmap tiff_blank_page(const std::vector<uint8_t>& b, uint32_t directory) {
    PageBitmap page;
    std::memset(&page, 0, sizeof page);
    page.data = const_cast<uint8_t*>(b.data());
    page.data_offset = (int32_t)directory;
    page.ownership = OWN_BORROWED;
    page.layout = LAYOUT_TOP_DOWN;
    page.shutter_speed = page.f_number_x100 = page.exposure_bias_x10 = -1;
    page.iso_speed = page.exif_width = page.exif_height = -1;
    return page;
}

// Reads the directory at `directory` of `b` into `page` (released by the caller).
inline int tiff_read_at(const std::vector<uint8_t>& b, uint32_t directory, PageBitmap* page) {
    ImageFileInfo info;
    std::memset(&info, 0, sizeof info);
    info.file_size = (int32_t)b.size();
    info.view = b.data();
    info.access = ACCESS_MAPPED;
    *page = tiff_blank_page(b, directory);
    return tiff_read_directory(&info, page);
}

// Reads the first directory of `b` into `page`.
inline int tiff_read_bytes(const std::vector<uint8_t>& b, PageBitmap* page) {
    return tiff_read_at(b, tiff_first_directory(b), page);
}
