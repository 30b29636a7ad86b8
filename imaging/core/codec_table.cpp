// The compression-code table of convert_page. Entries left null have no codec for
// that direction and convert_page answers -6 for them.
#include "codec_table.h"

#include "codecs/bilevel_runs.h"
#include "codecs/fax.h"
#include "codecs/jpeg_state.h"
#include "codecs/lzw.h"
#include "formats/pcx_targa.h"

namespace {
constexpr CodecEntry kNone{nullptr, nullptr};

// Indexed by compression code.
const CodecEntry kCodecs[COMPRESSION_CODE_COUNT] = {
    /* 0 Uncompressed */ {bilevel_decode_packed, bilevel_encode_packed},
    /* 1 G3 1-D       */ {fax_decode_g3_1d, nullptr},
    /* 2 G3 2-D       */ {fax_decode_g3_2d, nullptr},
    /* 3 G4           */ {fax_decode_g4, nullptr},
    /* 4 IBM MMR      */ {fax_decode_mmr, nullptr},
    /* 5 PCX (RLE)    */ {pcx_decode, nullptr},
    /* 6 Packbits     */ kNone,
    /* 7 Huffman      */ {fax_decode_huffman, nullptr},
    /* 8 LZW (TIFF)   */ {lzw_decode_tiff, lzw_encode_tiff},
    /* 9 LZW (GIF)    */ {lzw_decode_gif, lzw_encode_gif},
    /* 10 JPEG        */ {jpeg_decode_page, nullptr},
    /* 11 Run-Length  */ {runs_decode_none, runs_encode_copy},
    /* 12 HP PCL      */ kNone,
    /* 13 BMP RLE     */ kNone,
    /* 14 Flick       */ kNone,
    /* 15 Flate       */ kNone,
    /* 16 Motion-JPEG */ {jpeg_decode_movie_frame, nullptr},
    /* 17 PNG         */ kNone,
    /* 18 Cinepak     */ kNone,
    /* 19 H.263       */ kNone,
};
}  // namespace

const CodecEntry& codec_entry(int compression) {
    if (compression < 0 || compression >= COMPRESSION_CODE_COUNT) return kNone;
    return kCodecs[compression];
}
