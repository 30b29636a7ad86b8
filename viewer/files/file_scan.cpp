// Folder and file scans of one directory into the fixed-capacity lists, commit,
// entry counts and the rename of a listed file. A scan that reaches a list's
// capacity (entries or name pool) stops there, leaving every count and offset valid.
#include <cstring>
#include <iterator>
#include <string>

#include "files/dir_listing.h"
#include "files/file_filters.h"
#include "files/file_lists.h"
#include "imaging.h"

namespace {

// Starts an empty list for `directory`; false when the path is too long to search.
template <class List>
bool reset_list(List& list, const char* directory) {
    list.count = 0;
    list.pool_used = 0;
    list.full = false;
    list.directory[0] = '\0';
    const size_t length = std::strlen(directory);
    if (length >= sizeof(list.directory)) return false;
    std::memcpy(list.directory, directory, length + 1);
    return true;
}

// Reserves the next entry and stores its name; false (and `full` set) when the
// entries or the pool have no room.
template <class List>
bool add_entry(List& list, const std::string& name, uint32_t* name_offset) {
    const size_t need = name.size() + 1;
    const size_t pool_free = sizeof(list.names) - list.pool_used;
    if (list.full || list.count >= static_cast<int32_t>(std::size(list.entries)) || need > pool_free) {
        list.full = true;
        return false;
    }
    std::memcpy(list.names + list.pool_used, name.c_str(), need);
    *name_offset = list.pool_used;
    list.pool_used += static_cast<uint32_t>(need);
    list.order[list.count] = list.count;
    return true;
}

int32_t icon_of(IconLookup icon, const std::string& full_path) {
    return icon ? icon(full_path.c_str()) : 0;
}

bool passes_content_check(const std::string& full_path) {
    const std::basic_string<PathChar> path(full_path.begin(), full_path.end());
    return is_image_file(path.c_str()) == 1;
}

void add_file(FileList& list, const DirItem& item, int32_t icon) {
    uint32_t offset = 0;
    if (!add_entry(list, item.name, &offset)) return;
    list.entries[list.count++] = {static_cast<uint32_t>(item.size), offset, icon,
                                  item.write_low, item.write_high};
}

void add_folder(FolderList& list, const std::string& name, uint32_t size, int32_t icon) {
    uint32_t offset = 0;
    if (!add_entry(list, name, &offset)) return;
    list.entries[list.count++] = {size, offset, icon};
}

void scan_pattern(FileList& list, const char* directory, const char* pattern,
                  bool check_contents, IconLookup icon) {
    DirSearch* search = dir_search_open(directory, pattern);
    if (!search) return;
    DirItem item;
    while (!list.full && dir_search_next(search, &item)) {
        if (item.is_directory) continue;
        const std::string full = join_path(directory, item.name.c_str());
        if (check_contents && !passes_content_check(full)) continue;
        add_file(list, item, icon_of(icon, full));
    }
    dir_search_close(search);
}

// "." and ".." (and any name of at most two characters starting with '.').
bool is_dot_name(const std::string& name) { return name.size() <= 2 && name[0] == '.'; }

bool is_separator(char c) { return c == '\\' || c == '/'; }

bool same_directory(const char* a, const char* b) {
    std::string x = a, y = b;
    while (x.size() > 1 && is_separator(x.back())) x.pop_back();
    while (y.size() > 1 && is_separator(y.back())) y.pop_back();
    return compare_names(x.c_str(), y.c_str()) == 0;
}

}  // namespace

const char* entry_name(const FileList& list, int32_t entry_index) {
    return list.names + list.entries[entry_index].name_offset;
}

const char* entry_name(const FolderList& list, int32_t entry_index) {
    return list.names + list.entries[entry_index].name_offset;
}

const FileEntry& file_at(const FileList& list, int32_t position) {
    return list.entries[list.order[position]];
}

std::string join_path(const char* directory, const char* name) {
    std::string path = directory;
    if (path.empty() || !is_separator(path.back())) path += dir_separator();
    return path + name;
}

int32_t count_entries(const char* directory) {
    DirSearch* search = dir_search_open(directory, "*.*");
    if (!search) return 0;
    int32_t count = 0;
    DirItem item;
    while (dir_search_next(search, &item)) ++count;
    dir_search_close(search);
    return count;
}

void scan_drives(FolderList& list, uint32_t drive_mask, IconLookup icon) {
    reset_list(list, "");
    for (int letter = 0; letter < 26; ++letter) {
        if (!(drive_mask & (1u << letter))) continue;
        const std::string root = {static_cast<char>('A' + letter), ':', '\\'};
        add_folder(list, root, 0, icon_of(icon, root));
    }
}

void scan_folders(FolderList& list, const char* directory, IconLookup icon) {
    if (!directory[0]) return scan_drives(list, logical_drive_mask(), icon);
    if (!reset_list(list, directory)) return;
    DirSearch* search = dir_search_open(directory, "*.*");
    if (!search) return;
    DirItem item;
    while (!list.full && dir_search_next(search, &item)) {
        if (!item.is_directory || is_dot_name(item.name)) continue;
        const std::string full = join_path(directory, item.name.c_str());
        add_folder(list, item.name, static_cast<uint32_t>(item.size), icon_of(icon, full));
    }
    dir_search_close(search);
    sort_folders(list);
}

void scan_files(FileList& list, const char* directory, const char* pattern,
                bool check_contents, int32_t sort_order, IconLookup icon) {
    if (!reset_list(list, directory)) return;
    if (is_multi_pattern(pattern)) {
        for (const FileFilter& filter : image_file_filters())
            scan_pattern(list, directory, filter.pattern, check_contents, icon);
    } else {
        scan_pattern(list, directory, pattern, check_contents, icon);
    }
    sort_files(list, sort_order);
}

void commit_lists(const DirLists& scan, DirLists& current) { current = scan; }

int32_t find_file_position(const FileList& list, const char* name) {
    for (int32_t position = 0; position < list.count; ++position)
        if (compare_names(entry_name(list, list.order[position]), name) == 0) return position;
    return -1;
}

int32_t rename_listed_file(FileList& list, const char* directory, const char* old_name,
                           const char* new_name) {
    if (!same_directory(list.directory, directory) || !new_name[0]) return -1;
    for (const char* c = new_name; *c; ++c)
        if (is_separator(*c)) return -1;  // moved elsewhere: no longer in this list
    const int32_t position = find_file_position(list, old_name);
    if (position < 0) return -1;
    FileEntry& entry = list.entries[list.order[position]];
    const size_t need = std::strlen(new_name) + 1;
    if (need <= std::strlen(old_name) + 1) {
        std::memcpy(list.names + entry.name_offset, new_name, need);
    } else {
        if (need > sizeof(list.names) - list.pool_used) return -1;
        std::memcpy(list.names + list.pool_used, new_name, need);
        entry.name_offset = list.pool_used;
        list.pool_used += static_cast<uint32_t>(need);
    }
    return list.order[position];
}

bool browser_needs_file_scan(const char* directory, const char* thumbs_directory,
                             int32_t entries_now, int32_t stored_count) {
    return !same_directory(directory, thumbs_directory) || entries_now != stored_count;
}
