// Fuzz target: the JPEG decoder in every mode. The input's last byte gives the
// options (RGB565, accept damaged, half, one-eighth, thumbnail; bit 0x02 decodes as a
// Motion-JPEG frame with a movie's shared state); the rest is the stream.
// Bit 0x08 decodes a JPEG-compressed TIFF page instead: the rest is a 16-bit
// big-endian length, that many bytes of shared tables (tag 347), then the strips,
// each starting at an FF D8; the page is described by a TIFF directory made here and
// read by the TIFF directory reader.
// Seeds: small cjpeg pictures (4:2:0, grey with restarts, progressive) in several modes,
// cut or damaged copies of them, a Motion-JPEG frame without tables, a 16-bit
// quantisation table of 65535s (overflowed the transform once), and TIFF strip pages
// written by libtiff (4:2:0 and grey, at several sizes, one without its tables, one
// with a strip cut in half).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "codecs/jpeg_state.h"
#include "formats/tiff/tiff.h"
#include "imaging.h"

namespace {

// Keeps pictures small enough for a quick run: the frame size from the first SOF.
bool small_enough(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 9 < size; ++i)
        if (data[i] == 0xFF && data[i + 1] >= 0xC0 && data[i + 1] <= 0xC3)
            return (size_t)(data[i + 5] << 8 | data[i + 6]) * (size_t)(data[i + 7] << 8 | data[i + 8]) <= (1u << 22);
    return true;
}

// ---- JPEG-compressed TIFF pages -------------------------------------------------

enum { MAX_STRIPS = 64 };

void put16(std::vector<uint8_t>& b, uint32_t v) { b.insert(b.end(), {(uint8_t)v, (uint8_t)(v >> 8)}); }
void put32(std::vector<uint8_t>& b, uint32_t v) { put16(b, v & 0xFFFF), put16(b, v >> 16); }
void entry(std::vector<uint8_t>& b, uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    put16(b, tag), put16(b, type), put32(b, count), put32(b, value);
}

// The frame size of the first SOF in `p`, or false.
bool frame_size(const uint8_t* p, size_t n, uint32_t* w, uint32_t* h, int* components) {
    for (size_t i = 0; i + 9 < n; ++i)
        if (p[i] == 0xFF && p[i + 1] >= 0xC0 && p[i + 1] <= 0xC2) {
            *h = (uint32_t)(p[i + 5] << 8 | p[i + 6]), *w = (uint32_t)(p[i + 7] << 8 | p[i + 8]), *components = p[i + 9];
            return *w && *h && (size_t)*w * *h <= (1u << 20);
        }
    return false;
}

// A little-endian TIFF: header, the input bytes, the strip lists and the directory.
void decode_tiff_page(const uint8_t* data, size_t size, int flags) {
    if (size < 2) return;
    const size_t tables = (size_t)(data[0] << 8 | data[1]);
    const size_t body = 2 + tables;
    uint32_t w = 0, h = 0;
    int components = 0;
    if (body >= size || !frame_size(data + body, size - body, &w, &h, &components)) return;
    std::vector<uint32_t> starts;
    for (size_t i = body; i + 1 < size && starts.size() < MAX_STRIPS; ++i)
        if (data[i] == 0xFF && data[i + 1] == 0xD8) starts.push_back((uint32_t)(8 + i));
    if (starts.empty()) return;
    std::vector<uint8_t> file = {'I', 'I', 42, 0, 0, 0, 0, 0};
    file.insert(file.end(), data, data + size);
    const uint32_t offsets = (uint32_t)file.size();
    for (uint32_t s : starts) put32(file, s);
    const uint32_t counts = (uint32_t)file.size();
    for (size_t k = 0; k < starts.size(); ++k) put32(file, (k + 1 < starts.size() ? starts[k + 1] : 8 + (uint32_t)size) - starts[k]);
    const uint32_t directory = (uint32_t)file.size();
    const uint32_t n = (uint32_t)starts.size();
    if ((uint64_t)w * h * n > (1u << 22)) return;
    put16(file, 10);
    entry(file, 256, 4, 1, w);
    entry(file, 257, 4, 1, h * n);
    entry(file, 258, 3, 1, 8);
    entry(file, 259, 3, 1, 7);
    entry(file, 262, 3, 1, components == 1 ? 1 : 2);
    entry(file, 273, 4, n, n == 1 ? starts[0] : offsets);
    entry(file, 278, 4, 1, h);
    entry(file, 279, 4, n, n == 1 ? (uint32_t)size - (starts[0] - 8) : counts);
    entry(file, 347, 7, (uint32_t)tables, 10);
    entry(file, 999 + 1, 3, 1, 0);  // unknown: skipped
    put32(file, 0);
    std::memcpy(file.data() + 4, &directory, 4);
    ImageFileInfo info{};
    info.file_size = (int32_t)file.size();
    PageBitmap page{};
    page.data = file.data();
    page.data_offset = (int32_t)directory;
    page.ownership = OWN_BORROWED;
    if (tiff_read_directory(&info, &page) == IMG_OK) {
        PageBitmap target{};
        target.compression = COMP_NONE;
        if (convert_page(&page, &target, flags) == IMG_OK) {
            if (target.data && (int64_t)target.pitch * target.height > target.data_length) __builtin_trap();
            release_page(&target);
        }
    }
    release_page(&page);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || size > (1u << 20) || !small_enough(data, size - 1)) return 0;
    const int flags = data[size - 1] & (JPEG_RGB565 | JPEG_ACCEPT_DAMAGED | JPEG_HALF | JPEG_EIGHTH | JPEG_THUMBNAIL);
    if (data[size - 1] & 0x08) {
        decode_tiff_page(data, size - 1, flags);
        return 0;
    }
    PageBitmap source{};
    source.data = const_cast<uint8_t*>(data);
    source.data_length = (int32_t)(size - 1);
    source.ownership = OWN_BORROWED;
    source.compression = COMP_JPEG;
    source.width = source.height = 8;
    source.bits_per_pixel = 24;
    ImageFileInfo movie{};
    if (data[size - 1] & 0x02) {
        if (prepare_movie_jpeg_state(&movie, kJpegStandardDht, sizeof kJpegStandardDht, true) != IMG_OK) return 0;
        source.compression = COMP_MOTION_JPEG;
        source.decoder_state = movie.video_decoder;
    }
    PageBitmap target{};
    target.compression = COMP_NONE;
    if (convert_page(&source, &target, flags) == IMG_OK) {
        // Every row of the picture lies inside its buffer.
        if (target.data && (int64_t)target.pitch * target.height > target.data_length) __builtin_trap();
        release_page(&target);
    }
    release_video_decoder(movie.video_decoder);
    return 0;
}
