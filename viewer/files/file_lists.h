// The folder and file lists of one directory: fixed-capacity entry arrays with a
// name pool and an order array (sorted position -> entry index), the scans that
// fill them, the three sort orders, commit, and the rename of a listed file.
#pragma once

#include <cstdint>
#include <string>

constexpr int kMaxFileEntries = 4096;
constexpr int kFileNamePoolBytes = 98304;
constexpr int kMaxFolderEntries = 128;
constexpr int kFolderNamePoolBytes = 3072;
constexpr int kMaxListDirectory = 260;

// One file: the low 32 bits of its size, where its name lies in the pool, its shell
// small-icon index and its last write time (FILETIME halves, UTC).
struct FileEntry {
    uint32_t size;
    uint32_t name_offset;
    int32_t icon;
    uint32_t write_low, write_high;
};
static_assert(sizeof(FileEntry) == 20);

// One folder or drive (size 0 for drives).
struct FolderEntry {
    uint32_t size;
    uint32_t name_offset;
    int32_t icon;
};

// A list stops growing when its entries or its name pool are full (`full` tells
// that a scan stopped early); what it holds stays consistent.
template <class Entry, int Capacity, int PoolBytes>
struct EntryList {
    char directory[kMaxListDirectory];  // the directory scanned ("" = computer level)
    int32_t count;
    uint32_t pool_used;
    bool full;
    Entry entries[Capacity];
    char names[PoolBytes];
    int32_t order[Capacity];
};

using FileList = EntryList<FileEntry, kMaxFileEntries, kFileNamePoolBytes>;
using FolderList = EntryList<FolderEntry, kMaxFolderEntries, kFolderNamePoolBytes>;

// A scan's result or the current lists: committing copies the whole record.
struct DirLists {
    FolderList folders;
    FileList files;
};

enum SortOrder : int32_t { kSortByName = 0, kSortBySize = 1, kSortByDate = 2 };

// Shell small-icon index of a full path; null means icon 0 for everything.
using IconLookup = int32_t (*)(const char* full_path);

// Name of entry `entry_index`.
const char* entry_name(const FileList& list, int32_t entry_index);
const char* entry_name(const FolderList& list, int32_t entry_index);
// Entry of the file at sorted position `position` (the viewer's file index).
const FileEntry& file_at(const FileList& list, int32_t position);

// Entries FindFirstFile/FindNextFile report for directory + "*.*", "." and ".."
// included; 0 when the directory cannot be searched.
int32_t count_entries(const char* directory);

// Folder list of `directory`; an empty directory stands for the computer level,
// listing the drives of logical_drive_mask().
void scan_folders(FolderList& list, const char* directory, IconLookup icon);
// Drive entries "A:\" .. "Z:\" for the bits set in `drive_mask`.
void scan_drives(FolderList& list, uint32_t drive_mask, IconLookup icon);
// File list of `directory` for `pattern` (a pattern starting with '.' scans every
// image pattern in turn); with `check_contents` only files is_image_file accepts.
void scan_files(FileList& list, const char* directory, const char* pattern,
                bool check_contents, int32_t sort_order, IconLookup icon);

void sort_files(FileList& list, int32_t sort_order);
void sort_folders(FolderList& list);

void commit_lists(const DirLists& scan, DirLists& current);

// directory + separator + name, the separator added only when the directory does
// not end with one.
std::string join_path(const char* directory, const char* name);

// Sorted position of the file named `name` (case-insensitive), or -1.
int32_t find_file_position(const FileList& list, const char* name);

// After a file of `directory` was renamed on disk: the entry named `old_name` takes
// `new_name` when the list holds that directory. Returns the entry index, or -1
// when the list does not hold the file or the name pool has no room for the name.
// Deleting or copying a file leaves the lists as they are until the next scan.
int32_t rename_listed_file(FileList& list, const char* directory, const char* old_name,
                           const char* new_name);

// The browser rescans the files when the directory is not the one the thumbnails
// were built for, or when its entry count differs from the count stored at close.
bool browser_needs_file_scan(const char* directory, const char* thumbs_directory,
                             int32_t entries_now, int32_t stored_count);

// Case-insensitive comparison of names (ASCII letters folded), as strcmp answers.
int compare_names(const char* a, const char* b);
