// Helpers of the identification tests: a byte builder for hand-made files and a
// runner that writes bytes to a temporary file, identifies it and copies out what
// the record held before closing it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "imaging.h"
#include "test_support.h"

// Builds a file byte by byte; numbers in the stated byte order.
struct Bytes {
    std::vector<unsigned char> b;

    size_t size() const { return b.size(); }
    Bytes& u8(unsigned v) { return b.push_back((unsigned char)v), *this; }
    Bytes& le16(unsigned v) { return u8(v & 0xFF).u8(v >> 8 & 0xFF); }
    Bytes& le32(uint32_t v) { return le16(v & 0xFFFF).le16(v >> 16); }
    Bytes& be16(unsigned v) { return u8(v >> 8 & 0xFF).u8(v & 0xFF); }
    Bytes& be32(uint32_t v) { return be16(v >> 16).be16(v & 0xFFFF); }
    Bytes& text(const std::string& s) { return b.insert(b.end(), s.begin(), s.end()), *this; }
    Bytes& zeros(size_t n) { return b.resize(b.size() + n, 0), *this; }
    Bytes& fill(size_t n, unsigned char v) { return b.resize(b.size() + n, v), *this; }
    Bytes& append(const Bytes& other) { return b.insert(b.end(), other.b.begin(), other.b.end()), *this; }
    // Pads with zeros up to `length` bytes.
    Bytes& pad_to(size_t length) {
        if (b.size() < length) b.resize(length, 0);
        return *this;
    }
    void put_le32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = (unsigned char)(v >> 8 * i);
    }
    void put_be32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = (unsigned char)(v >> (24 - 8 * i));
    }
};

// What identify_file answered and the record's contents, copied before closing.
struct Identified {
    int rc = 0;
    ImageFileInfo info{};
    std::vector<int32_t> pages, frame_sizes, audio_offsets, audio_sizes;
    std::vector<int> keyframes;
    bool view_mapped = false;
    int access = ACCESS_CLOSED;  // before closing
};

inline Identified identify_path(const fs::path& path, size_t page_entries_extra = 0) {
    Identified r;
    r.rc = identify_file(path.string().c_str(), &r.info, 0);
    if (r.rc < 0) return r;
    const ImageFileInfo& i = r.info;
    r.view_mapped = i.view != nullptr;
    r.access = i.access;
    if (i.page_offsets)
        r.pages.assign(i.page_offsets, i.page_offsets + i.page_count + (int32_t)page_entries_extra);
    if (i.frame_sizes) r.frame_sizes.assign(i.frame_sizes, i.frame_sizes + i.page_count);
    if (i.keyframes) r.keyframes.assign(i.keyframes, i.keyframes + i.page_count);
    if (i.audio_offsets) r.audio_offsets.assign(i.audio_offsets, i.audio_offsets + i.audio_chunk_count);
    if (i.audio_sizes) r.audio_sizes.assign(i.audio_sizes, i.audio_sizes + i.audio_chunk_count);
    close_file_info(&r.info);
    return r;
}

inline Identified identify_bytes(const Bytes& bytes, const std::string& name = "sample.bin",
                                 size_t page_entries_extra = 0) {
    TempDir dir;
    write_bytes(dir / name, bytes.b);
    return identify_path(dir / name, page_entries_extra);
}

inline int quick_test_bytes(const Bytes& bytes) {
    TempDir dir;
    write_bytes(dir / "quick.bin", bytes.b);
    return is_image_file((dir / "quick.bin").string().c_str());
}
