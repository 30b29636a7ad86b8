// The creation and last-write times of a file, as Windows file times (100-nanosecond
// ticks since 1601-01-01 UTC), for the information dialogs.
#pragma once

#include <windows.h>

#include <cstdint>

// False when the file cannot be opened or asked.
bool read_file_times(const TCHAR* path, uint64_t* created, uint64_t* modified);
