// The decode step shared by the tool's commands: identify a file and read one page
// ready for use, and write decoded pages as binary PPM.
#pragma once

#include <string>

#include "imaging.h"

// Identifies `path` and reads page `page_index` ready for use (read_decoded_page,
// with the given convert_page options). On success `out` owns its data and palette
// (release it with release_page) and the file is closed again. Returns 0 or a
// library error code.
int tool_decode_page(const std::string& path, int page_index, int options, PageBitmap* out);

// Writes a decoded page as a binary PPM (P6, 8-bit RGB), top row first: palette pages
// looked up, 16-bit pages widened, bilevel pages black and white. A failed write
// leaves no file behind.
bool tool_write_ppm(const std::string& path, const PageBitmap& page);
