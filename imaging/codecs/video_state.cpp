// Motion-JPEG decoder state of a movie: prepared once when the movie is identified
// (range-limit and colour tables, the Huffman look-ups of the movie's tables) and
// kept by its ImageFileInfo for every frame; released with the record.
#include <cstring>

#include "codecs/jpeg_state.h"

int prepare_movie_jpeg_state(ImageFileInfo* info, const uint8_t* tables, size_t tables_len, bool have_tables) {
    if (!info) return ERR_PARAMETER;
    auto* s = static_cast<JpegDecoderState*>(mem_alloc(sizeof(JpegDecoderState)));
    if (!s) return ERR_MEMORY;
    s->tag = JPEG_STATE_TAG;
    s->component_count = 3;
    jpeg_fill_range_limit(s);
    int rc = IMG_OK;
    // DHT segments back to back, each FF C4 and its length.
    for (size_t p = 0; have_tables && tables && p + 4 <= tables_len && rc == IMG_OK;) {
        if (tables[p] != 0xFF || tables[p + 1] != 0xC4) break;
        const size_t length = (size_t)(tables[p + 2] << 8 | tables[p + 3]);
        rc = jpeg_parse_dht(s, tables + p + 2, tables_len - (p + 2));
        p += 2 + length;
    }
    if (rc == IMG_OK && have_tables) rc = jpeg_build_lookups(s);
    if (rc != IMG_OK) {
        release_video_decoder(s);
        return rc;
    }
    jpeg_fill_color_tables(s);
    release_video_decoder(info->video_decoder);
    info->video_decoder = s;
    return IMG_OK;
}

void release_video_decoder(void* state) {
    if (!state) return;
    // Every state block is at least a page long, so its first word can be read.
    auto* s = static_cast<JpegDecoderState*>(state);
    if (s->tag == JPEG_STATE_TAG) jpeg_release_lookups(s);
    mem_free(state);
}
