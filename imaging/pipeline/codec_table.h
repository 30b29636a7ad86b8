// The codec registry that convert_page dispatches through: one decoder and one
// encoder per compression code. Codecs do no file I/O and keep no mutable globals.
#pragma once

#include "imaging.h"

// A decoder reads the stored page `source` (data + data_offset, data_length, strip
// tables) and fills `work` with the decoded form: uncompressed rows for pages deeper
// than one bit, the run-length form (compression 11) for bilevel pages. `work`
// arrives as a copy of `source` whose strip tables and palette pointer belong to the
// caller; with JPEG_INTO_BUFFER it carries buffers to reuse.
// An encoder reads the decoded page `source` and fills `target` with the encoded form.
using PageCodec = int (*)(const PageBitmap* source, PageBitmap* target, int flags);

struct CodecEntry {
    PageCodec decode;  // null: no decoder (-6)
    PageCodec encode;  // null: no encoder (-6)
};

// The entry of a compression code; codes outside the table have neither.
const CodecEntry& codec_entry(int compression);
