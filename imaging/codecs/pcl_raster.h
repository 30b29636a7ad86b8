// HP PCL raster graphics output: the convert_page encoder of compression 12 (encode
// only), the page's rows packed with PackBits (raster compression mode 2).
#pragma once

#include "base/records.h"

// Bilevel run-length pages only (else -6); 0 or -1.
int pcl_encode(const PageBitmap* source, PageBitmap* target, int flags);
