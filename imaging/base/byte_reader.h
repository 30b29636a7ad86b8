// Bounds-checked reader over untrusted bytes. Reads past the end return 0 and clear
// the sticky ok flag, so a parser checks ok() once after a group of reads instead of
// before each one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size, bool big_endian = false)
        : data_(data), size_(data ? size : 0), big_(big_endian) {}

    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }
    size_t size() const { return size_; }
    size_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
    const uint8_t* data() const { return data_; }
    void set_big_endian(bool big) { big_ = big; }

    // Moves to an absolute offset; an offset beyond the end fails.
    bool seek(size_t offset) {
        if (offset > size_) return fail();
        pos_ = offset;
        return true;
    }
    bool skip(size_t count) {
        if (count > remaining()) {
            pos_ = size_;
            return fail();
        }
        pos_ += count;
        return true;
    }
    // Pointer to `count` bytes at the current position (null if they are not all there).
    const uint8_t* take(size_t count) {
        if (count > remaining()) {
            pos_ = size_;
            fail();
            return nullptr;
        }
        const uint8_t* p = data_ + pos_;
        pos_ += count;
        return p;
    }
    bool copy(void* out, size_t count) {
        const uint8_t* p = take(count);
        if (!p) return false;
        std::memcpy(out, p, count);
        return true;
    }

    uint8_t u8() {
        if (pos_ >= size_) return (fail(), 0);
        return data_[pos_++];
    }
    uint16_t u16() { return big_ ? u16be() : u16le(); }
    uint32_t u32() { return big_ ? u32be() : u32le(); }
    uint16_t u16le() {
        const uint8_t* p = take(2);
        return p ? (uint16_t)(p[0] | p[1] << 8) : 0;
    }
    uint16_t u16be() {
        const uint8_t* p = take(2);
        return p ? (uint16_t)(p[0] << 8 | p[1]) : 0;
    }
    uint32_t u32le() {
        const uint8_t* p = take(4);
        return p ? (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24 : 0;
    }
    uint32_t u32be() {
        const uint8_t* p = take(4);
        return p ? (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3] : 0;
    }

    // Reads at an absolute offset without moving; 0 (and not ok) when out of range.
    uint8_t u8_at(size_t off) {
        if (off >= size_) return (fail(), 0);
        return data_[off];
    }
    uint16_t u16_at(size_t off) {
        if (off > size_ || size_ - off < 2) return (fail(), 0);
        const uint8_t* p = data_ + off;
        return big_ ? (uint16_t)(p[0] << 8 | p[1]) : (uint16_t)(p[0] | p[1] << 8);
    }
    uint32_t u32_at(size_t off) {
        if (off > size_ || size_ - off < 4) return (fail(), 0);
        const uint8_t* p = data_ + off;
        return big_ ? (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3]
                    : (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
    }

private:
    bool fail() {
        ok_ = false;
        return false;
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool big_;
    bool ok_ = true;
};
