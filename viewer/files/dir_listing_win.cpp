// Directory search for the Windows build: FindFirstFileA/FindNextFileA over
// directory + "\" + pattern, which applies the wildcard itself; sizes and write
// times come straight from WIN32_FIND_DATAA.
#include <windows.h>

#include <string>

#include "files/dir_listing.h"

struct DirSearch {
    HANDLE handle;
    WIN32_FIND_DATAA data;
    bool pending;  // `data` holds the first entry, not yet handed out
};

DirSearch* dir_search_open(const char* directory, const char* pattern) {
    if (!directory[0]) return nullptr;
    std::string search_path = directory;
    if (search_path.back() != '\\' && search_path.back() != '/') search_path += '\\';
    search_path += pattern;
    auto* search = new DirSearch{};
    search->handle = FindFirstFileA(search_path.c_str(), &search->data);
    if (search->handle == INVALID_HANDLE_VALUE) {
        delete search;
        return nullptr;
    }
    search->pending = true;
    return search;
}

bool dir_search_next(DirSearch* search, DirItem* item) {
    if (!search->pending && !FindNextFileA(search->handle, &search->data)) return false;
    search->pending = false;
    const WIN32_FIND_DATAA& d = search->data;
    item->name = d.cFileName;
    item->is_directory = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item->size = (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
    item->write_low = d.ftLastWriteTime.dwLowDateTime;
    item->write_high = d.ftLastWriteTime.dwHighDateTime;
    return true;
}

void dir_search_close(DirSearch* search) {
    if (!search) return;
    FindClose(search->handle);
    delete search;
}

char dir_separator() { return '\\'; }

uint32_t logical_drive_mask() { return GetLogicalDrives(); }
