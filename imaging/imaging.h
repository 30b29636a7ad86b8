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

// Scaling, tone and bit-depth conversion of decoded pages; geometric and tone
// operations on them.
#include "process/process.h"
#include "process/operations.h"
