// One directory's entries matching a wildcard pattern, read one at a time: the
// Windows build uses FindFirstFile/FindNextFile, the native build opendir/readdir
// with the same case-insensitive wildcard rules, so the scans above it are portable.
#pragma once

#include <cstdint>
#include <string>

struct DirItem {
    std::string name;
    bool is_directory;
    uint64_t size;
    uint32_t write_low, write_high;  // last write time as FILETIME halves (UTC)
};

struct DirSearch;  // an open search; owned by the caller until dir_search_close

// Starts a search of `directory` for names matching `pattern`; null when the
// directory cannot be searched.
DirSearch* dir_search_open(const char* directory, const char* pattern);
// Fills `item` with the next matching entry; false at the end.
bool dir_search_next(DirSearch* search, DirItem* item);
void dir_search_close(DirSearch* search);

// The platform's path separator ('\\' on Windows, '/' natively).
char dir_separator();
// Bit n set when drive letter 'A' + n exists (GetLogicalDrives); 0 natively.
uint32_t logical_drive_mask();
