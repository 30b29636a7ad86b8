// Text helpers of the Win32 shell: the same source builds with single-byte and with
// wide strings, while settings and command names are single-byte ASCII.
#pragma once

#include <windows.h>
#include <tchar.h>

#include <cstddef>

// Copies a single-byte string into a TCHAR buffer of `size` characters (always ended).
void to_tchar(const char* text, TCHAR* out, size_t size);
// Copies a TCHAR string into a single-byte buffer of `size` bytes (always ended).
void from_tchar(const TCHAR* text, char* out, size_t size);

template <size_t N>
void to_tchar(const char* text, TCHAR (&out)[N]) {
    to_tchar(text, out, N);
}
template <size_t N>
void from_tchar(const TCHAR* text, char (&out)[N]) {
    from_tchar(text, out, N);
}

// String-table entry `id` into `out`; empty when there is none.
void load_text(UINT id, TCHAR* out, int size);
