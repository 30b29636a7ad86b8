// A libtiff file kept in memory, so that a benchmark of libtiff's encoders times the
// encoding and not the disk. The buffer keeps its capacity between files.
#pragma once

#include <tiffio.h>

#include <cstring>
#include <vector>

class MemoryTiff {
public:
    // Opens an empty file for writing; close it with TIFFClose.
    TIFF* open_for_writing() {
        bytes_.clear();
        pos_ = 0;
        return TIFFClientOpen("memory", "w", (thandle_t)this, read, write, seek, close, size, map, unmap);
    }
    size_t size() const { return bytes_.size(); }

private:
    static MemoryTiff* self(thandle_t h) { return static_cast<MemoryTiff*>((void*)h); }
    static tmsize_t read(thandle_t h, void* buf, tmsize_t n) {
        MemoryTiff* m = self(h);
        const size_t avail = m->pos_ < m->bytes_.size() ? m->bytes_.size() - m->pos_ : 0;
        const size_t k = (size_t)n < avail ? (size_t)n : avail;
        std::memcpy(buf, m->bytes_.data() + m->pos_, k);
        m->pos_ += k;
        return (tmsize_t)k;
    }
    static tmsize_t write(thandle_t h, void* buf, tmsize_t n) {
        MemoryTiff* m = self(h);
        if (m->pos_ + (size_t)n > m->bytes_.size()) m->bytes_.resize(m->pos_ + (size_t)n);
        std::memcpy(m->bytes_.data() + m->pos_, buf, (size_t)n);
        m->pos_ += (size_t)n;
        return n;
    }
    static toff_t seek(thandle_t h, toff_t off, int whence) {
        MemoryTiff* m = self(h);
        const size_t base = whence == SEEK_CUR ? m->pos_ : whence == SEEK_END ? m->bytes_.size() : 0;
        m->pos_ = base + (size_t)off;
        return m->pos_;
    }
    static int close(thandle_t) { return 0; }
    static toff_t size(thandle_t h) { return self(h)->bytes_.size(); }
    static int map(thandle_t, void**, toff_t*) { return 0; }
    static void unmap(thandle_t, void*, toff_t) {}

    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};
