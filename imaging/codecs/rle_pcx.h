// PCX run-length decoding: the convert_page decoder of compression 5.
#pragma once

#include "base/records.h"

int pcx_decode(const PageBitmap* source, PageBitmap* target, int flags);
