// Packed-row helpers of the drawing primitive and the depth conversions: 4-bit stores
// here, and the run-length form's row reading and span clearing (codecs/run_form.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/records.h"
#include "codecs/run_form.h"

// Stores 4-bit value v as pixel x of a packed row (left pixel in the high half).
inline void put_nibble(uint8_t* row, int32_t x, unsigned v) {
    uint8_t& b = row[x >> 1];
    b = (x & 1) ? (uint8_t)((b & 0xF0) | v) : (uint8_t)((b & 0x0F) | (v << 4));
}
