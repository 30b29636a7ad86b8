// Input of the JPEG decoder: a stream held in memory, or a file read through a
// 64 KB window that moves forward in steps of 4 KB once the read position passed
// 61,440, so a large file never has to be held whole. The source page is left as it
// was (its own window is copied), so it can be decoded again.
#include <algorithm>
#include <cstring>

#include "codecs/jpeg_state.h"

namespace {

// Reads the window at file offset `at`; false when the file cannot be positioned.
bool read_window(JpegInput* in, int64_t at) {
    int64_t want = in->stream_end - at;
    if (want > STREAM_WINDOW_SIZE) want = STREAM_WINDOW_SIZE;
    if (want < 0) want = 0;
    in->window_file_pos = at;
    in->buf = in->window;
    in->len = 0;
    if (at > INT32_MAX || file_seek(in->file, (int32_t)at, 0) != (int32_t)at) return false;
    const int32_t got = want ? file_read(in->file, in->window, (int32_t)want) : 0;
    in->len = got > 0 ? (size_t)got : 0;
    return true;
}

}  // namespace

int jpeg_input_open(JpegInput* in, const PageBitmap* source) {
    std::memset(in, 0, sizeof *in);
    if (!source->data || source->data_length <= 0) return ERR_PARAMETER;
    if (source->ownership != OWN_STREAM) {
        in->buf = source->data + source->data_offset;
        in->len = (size_t)source->data_length;
        return IMG_OK;
    }
    in->window = static_cast<uint8_t*>(mem_alloc(STREAM_WINDOW_SIZE));
    if (!in->window) return ERR_MEMORY;
    in->file = source->stream_file;
    in->stream_end = (int64_t)source->data_offset + source->data_length;
    if (source->data_offset != 0) return read_window(in, source->data_offset) ? IMG_OK : ERR_IO;
    // The page's window already holds the start of the file.
    const size_t have = std::min((size_t)source->data_length, (size_t)STREAM_WINDOW_SIZE);
    std::memcpy(in->window, source->data, have);
    in->buf = in->window;
    in->len = have;
    return IMG_OK;
}

void jpeg_input_advance(JpegInput* in) {
    if (!in->window || in->pos <= JPEG_WINDOW_MOVE_AT) return;
    const size_t step = in->pos & ~(size_t)4095;
    const size_t keep = in->pos & 4095;
    if (!read_window(in, in->window_file_pos + (int64_t)step)) {
        in->pos = in->len;  // the data ends here
        return;
    }
    in->pos = keep;
}

void jpeg_input_close(JpegInput* in) {
    mem_free(in->window);
    in->window = nullptr;
}
