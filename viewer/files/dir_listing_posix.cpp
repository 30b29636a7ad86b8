// Directory search for the native build: opendir/readdir filtered by the same
// wildcard rules as the Windows search, with size and last write time from stat
// (the time turned into FILETIME units: 100 ns ticks since 1601-01-01 UTC).
#include <dirent.h>
#include <sys/stat.h>

#include <string>

#include "files/dir_listing.h"
#include "files/file_filters.h"

struct DirSearch {
    DIR* dir;
    std::string directory, pattern;
};

namespace {

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr uint64_t kSecondsFrom1601To1970 = 11644473600ull;

void set_write_time(const struct stat& st, DirItem* item) {
    const int64_t seconds = static_cast<int64_t>(st.st_mtim.tv_sec);
    const uint64_t since_1601 = static_cast<uint64_t>(seconds + static_cast<int64_t>(kSecondsFrom1601To1970));
    const uint64_t ticks = since_1601 * kTicksPerSecond + static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100;
    item->write_low = static_cast<uint32_t>(ticks);
    item->write_high = static_cast<uint32_t>(ticks >> 32);
}

}  // namespace

DirSearch* dir_search_open(const char* directory, const char* pattern) {
    if (!directory[0]) return nullptr;
    DIR* dir = opendir(directory);
    if (!dir) return nullptr;
    return new DirSearch{dir, directory, pattern};
}

bool dir_search_next(DirSearch* search, DirItem* item) {
    while (const dirent* entry = readdir(search->dir)) {
        if (!wildcard_match(search->pattern.c_str(), entry->d_name)) continue;
        std::string full = search->directory;
        if (full.back() != '/') full += '/';
        full += entry->d_name;
        struct stat st {};
        if (stat(full.c_str(), &st) != 0) continue;  // vanished or a dangling link
        item->name = entry->d_name;
        item->is_directory = S_ISDIR(st.st_mode);
        item->size = static_cast<uint64_t>(st.st_size);
        set_write_time(st, item);
        return true;
    }
    return false;
}

void dir_search_close(DirSearch* search) {
    if (!search) return;
    closedir(search->dir);
    delete search;
}

char dir_separator() { return '/'; }

uint32_t logical_drive_mask() { return 0; }
