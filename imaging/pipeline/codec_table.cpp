// The compression-code table of convert_page. Entries left null have no codec for
// that direction and convert_page answers -6 for them.
#include "pipeline/codec_table.h"

#include "codecs/bilevel_runs.h"
#include "codecs/fax.h"
#include "codecs/jpeg_encode.h"
#include "codecs/jpeg_state.h"
#include "codecs/lzw.h"
#include "codecs/pcl_raster.h"
#include "codecs/rle_bmp.h"
#include "codecs/rle_packbits.h"
#include "codecs/rle_pcx.h"
#include "formats/tiff/tiff.h"
#include "pipeline/jpeg_exif.h"

namespace {
constexpr CodecEntry kNone{nullptr, nullptr};

// The JPEG codec gets what only the layers above it know: a JPEG-in-TIFF page's
// shared table stream and the Exif hand-over.
JpegPageContext jpeg_context(const PageBitmap* source) {
    JpegPageContext context{};
    if (source) context.shared_tables = tiff_jpeg_tables(source, &context.shared_tables_length);
    context.exif_handover = jpeg_exif_handover;
    return context;
}

int decode_jpeg_page(const PageBitmap* source, PageBitmap* target, int flags) {
    return jpeg_decode_page(source, target, flags, jpeg_context(source));
}

int decode_movie_frame(const PageBitmap* source, PageBitmap* target, int flags) {
    return jpeg_decode_movie_frame(source, target, flags, jpeg_context(source));
}

// Indexed by compression code.
const CodecEntry kCodecs[COMPRESSION_CODE_COUNT] = {
    /* 0 Uncompressed */ {bilevel_decode_packed, bilevel_encode_packed},
    /* 1 G3 1-D       */ {fax_decode_g3_1d, fax_encode_g3_1d},
    /* 2 G3 2-D       */ {fax_decode_g3_2d, nullptr},
    /* 3 G4           */ {fax_decode_g4, fax_encode_g4},
    /* 4 IBM MMR      */ {fax_decode_mmr, nullptr},
    /* 5 PCX (RLE)    */ {pcx_decode, pcx_encode},
    /* 6 Packbits     */ {packbits_decode, packbits_encode},
    /* 7 Huffman      */ {fax_decode_huffman, fax_encode_huffman},
    /* 8 LZW (TIFF)   */ {lzw_decode_tiff, lzw_encode_tiff},
    /* 9 LZW (GIF)    */ {lzw_decode_gif, lzw_encode_gif},
    /* 10 JPEG        */ {decode_jpeg_page, jpeg_encode_page},
    /* 11 Run-Length  */ {runs_decode_none, runs_encode_copy},
    /* 12 HP PCL      */ {nullptr, pcl_encode},
    /* 13 BMP RLE     */ {bmp_rle_decode, bmp_rle_encode},
    /* 14 Flick       */ kNone,
    /* 15 Flate       */ kNone,
    /* 16 Motion-JPEG */ {decode_movie_frame, jpeg_encode_page},
    /* 17 PNG         */ kNone,
    /* 18 Cinepak     */ kNone,
    /* 19 H.263       */ kNone,
};
}  // namespace

const CodecEntry& codec_entry(int compression) {
    if (compression < 0 || compression >= COMPRESSION_CODE_COUNT) return kNone;
    return kCodecs[compression];
}
