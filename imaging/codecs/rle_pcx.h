// PCX run-length coding: the convert_page decoder and encoder of compression 5.
#pragma once

#include "base/records.h"

int pcx_decode(const PageBitmap* source, PageBitmap* target, int flags);
// Packs each row (24-bit rows as their red, green and blue planes) of a decoded 1-,
// 4-, 8- or 24-bit page; other depths -6. The result's pitch is the coded row (all
// planes) and `planes` its plane count.
int pcx_encode(const PageBitmap* source, PageBitmap* target, int flags);
