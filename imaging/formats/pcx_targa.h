// PCX run-length decoding (the convert_page decoder of compression 5) and the two
// Targa pixel readers that read_page calls.
#pragma once

#include "imaging.h"

int pcx_decode(const PageBitmap* source, PageBitmap* target, int flags);
// Run-length image types (9, 10, 11) and raw ones (1, 2, 3). `page` arrives with the
// header fields, palette and data_offset filled by read_page.
int targa_read_rle(PageBitmap* page, const ImageFileInfo* info);
int targa_read_raw(PageBitmap* page, const ImageFileInfo* info);
