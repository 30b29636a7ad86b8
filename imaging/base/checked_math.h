// Overflow-checked size arithmetic for sizes read from files, and the named caps
// that keep absurd sizes from reaching an allocation.
#pragma once

#include <cstddef>
#include <cstdint>

// Largest page side and pixel count a reader accepts.
constexpr int32_t kMaxPageSide = 1 << 20;
constexpr uint64_t kMaxPageBytes = 1ull << 31;

// a * b into *out; false when it overflows or exceeds `cap`.
inline bool checked_mul(size_t a, size_t b, size_t* out, size_t cap = SIZE_MAX) {
    if (a != 0 && b > cap / a) return false;
    *out = a * b;
    return *out <= cap;
}

// a + b into *out; false when it overflows or exceeds `cap`.
inline bool checked_add(size_t a, size_t b, size_t* out, size_t cap = SIZE_MAX) {
    if (b > cap || a > cap - b) return false;
    *out = a + b;
    return true;
}

// True when [offset, offset + length) lies within a buffer of `size` bytes.
inline bool range_fits(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}
