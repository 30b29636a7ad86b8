// Fuzz target: the JPEG decoder in every mode. The input's last byte gives the
// options (RGB565, accept damaged, half, one-eighth, thumbnail; bit 0x02 decodes as a
// Motion-JPEG frame with a movie's shared state); the rest is the stream.
// Seeds: small cjpeg pictures (4:2:0, grey with restarts, progressive) in several modes,
// cut or damaged copies of them, a Motion-JPEG frame without tables, and a 16-bit
// quantisation table of 65535s (overflowed the transform once).
#include <cstddef>
#include <cstdint>

#include "codecs/jpeg_state.h"
#include "imaging.h"

namespace {

// Keeps pictures small enough for a quick run: the frame size from the first SOF.
bool small_enough(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 9 < size; ++i)
        if (data[i] == 0xFF && data[i + 1] >= 0xC0 && data[i + 1] <= 0xC3)
            return (size_t)(data[i + 5] << 8 | data[i + 6]) * (size_t)(data[i + 7] << 8 | data[i + 8]) <= (1u << 22);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || size > (1u << 20) || !small_enough(data, size - 1)) return 0;
    const int flags = data[size - 1] & (JPEG_RGB565 | JPEG_ACCEPT_DAMAGED | JPEG_HALF | JPEG_EIGHTH | JPEG_THUMBNAIL);
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
