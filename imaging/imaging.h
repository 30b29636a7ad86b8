// The imaging library's public interface: the file and page records, the error,
// format and compression codes, and the operations over them. Plain functions over
// plain records; every operation returns 0 or a negative error code.
// The records, codes, memory and file layers are declared in base/records.h; the
// operations below are the pipeline's (identify, read, convert, close) and the
// processing's (process/process.h, process/operations.h).
#pragma once

#include "base/records.h"

// ---- Operations ------------------------------------------------------------
int identify_file(const PathChar* path, ImageFileInfo* info, int reserved);
int is_image_file(const PathChar* path);
int read_page(ImageFileInfo* info, PageBitmap* page, int page_index);
int convert_page(const PageBitmap* source, PageBitmap* target, int flags);
int close_file_info(ImageFileInfo* info);

// ---- Pages ready for use -------------------------------------------------------
// Reads page `page_index` of an identified file and decodes it into `page`, which
// is overwritten (release what it held first). The result is ready for use:
// - bilevel pages are in the run-length form (compression 11, black_is_one 0),
//   deeper pages in uncompressed rows (compression 0, `pitch` bytes a row);
// - rows are top-down (layout flag 8; never 16);
// - `page` owns its data (ownership 1), its palette (4- and 8-bit pages) and its
//   aux buffer, and has no strip tables: it outlives the file.
// `flags` are convert_page's decoding flags (JPEG_RGB565, JPEG_ACCEPT_DAMAGED,
// JPEG_HALF, JPEG_EIGHTH, JPEG_THUMBNAIL; bilevel pages take only
// JPEG_ACCEPT_DAMAGED; JPEG_INTO_BUFFER is ignored).
// `stored` is the caller's record of the stored page for this file, or null. Kept
// between calls (zeroed before the first, released with release_page before
// close_file_info), it lets FLI/FLC frames be decoded one after the other instead
// of from the first frame each time, and gives later GIF frames the depth of the
// frame before. With null, every call starts afresh.
// Returns 0 or the error of read_page or convert_page; on error `page` is empty.
int read_decoded_page(ImageFileInfo* info, int page_index, int flags, PageBitmap* page, PageBitmap* stored);

// Chooses the decoding flags for a stored page, whose size is known only once it is
// read (a page much wider than the screen may be decoded at a reduced size).
// `context` is the caller's.
typedef int (*DecodeFlagsRule)(const PageBitmap* stored, const void* context);
// read_decoded_page with the flags that `rule` answers for the stored page.
int read_decoded_page_by(ImageFileInfo* info, int page_index, DecodeFlagsRule rule, const void* context,
                         PageBitmap* page, PageBitmap* stored);

// Scaling, tone and bit-depth conversion of decoded pages; geometric and tone
// operations on them.
#include "process/process.h"
#include "process/operations.h"
