// The three orders of the file list (name case-insensitive, size unsigned, last
// write time oldest first) and the folder list's name order. Only the order array
// moves; equal keys keep entry order so a re-sort never shuffles ties.
#include <algorithm>

#include "files/file_lists.h"

namespace {

int fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

uint64_t write_time(const FileEntry& e) { return (uint64_t{e.write_high} << 32) | e.write_low; }

template <class Key>
void sort_order_by(FileList& list, Key key) {
    std::sort(list.order, list.order + list.count, [&](int32_t a, int32_t b) {
        const auto ka = key(a), kb = key(b);
        return ka != kb ? ka < kb : a < b;
    });
}

template <class List>
void sort_by_name(List& list) {
    std::sort(list.order, list.order + list.count, [&](int32_t a, int32_t b) {
        const int c = compare_names(entry_name(list, a), entry_name(list, b));
        return c != 0 ? c < 0 : a < b;
    });
}

}  // namespace

int compare_names(const char* a, const char* b) {
    const auto* x = reinterpret_cast<const unsigned char*>(a);
    const auto* y = reinterpret_cast<const unsigned char*>(b);
    while (*x && fold(*x) == fold(*y)) ++x, ++y;
    return fold(*x) - fold(*y);
}

void sort_files(FileList& list, int32_t sort_order) {
    if (sort_order == kSortBySize) {
        sort_order_by(list, [&](int32_t i) { return list.entries[i].size; });
    } else if (sort_order == kSortByDate) {
        sort_order_by(list, [&](int32_t i) { return write_time(list.entries[i]); });
    } else {
        sort_by_name(list);
    }
}

void sort_folders(FolderList& list) { sort_by_name(list); }
