// Texts of the file list's columns: a file size in bytes, kilobytes or megabytes
// with one truncated decimal, and a stored FILETIME as "YYYY/MM/DD hh:mm:ss" (UTC).
#pragma once

#include <cstdint>

// "0", "%dB", "%d.%01dK" or "%d.%01dM"; `out` holds at least 16 characters.
void format_size(uint32_t bytes, char* out);
// The write time as the list shows it, not converted to local time; `out` holds
// at least 20 characters.
void format_list_time(uint32_t write_low, uint32_t write_high, char* out);
