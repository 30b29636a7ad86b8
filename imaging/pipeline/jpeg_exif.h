// The JPEG decoder's Exif hand-over (jpeg_exif.cpp), given to the codec by the codec
// registry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/records.h"

// Camera fields and texts of the Exif segment's TIFF structure (`tiff`, `length`
// bytes, at least 8) into `target`; with JPEG_THUMBNAIL (and not JPEG_INTO_BUFFER in
// `options`), tries the Exif thumbnail and answers 1 when it became the target.
int jpeg_exif_handover(const uint8_t* tiff, size_t length, PageBitmap* target, int options);
