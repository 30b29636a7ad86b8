// The viewer's file lists: the scan lists that a browser fills and the current lists
// the rest of the viewer walks (committed from the scan), the shell icons of their
// entries, and moving the current file along the current list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "files/file_lists.h"

struct MainWindow;

// The main window's file lists: the last scan and the current lists, both large
// (about 200 KB each) and so on the heap, with the entry counts taken at their
// scans, and what the browsers keep between two openings in a run.
struct FileLists {
    std::unique_ptr<DirLists> scan = std::make_unique<DirLists>();
    std::unique_ptr<DirLists> current = std::make_unique<DirLists>();
    std::unique_ptr<DirLists> folder_browser = std::make_unique<DirLists>();  // "Copy File..." (folders only)
    // Entry counts of the scanned directory, taken with each file scan of the scan
    // lists and carried over to the current lists by commit.
    int32_t scan_entry_count = 0, current_entry_count = 0;
    // Entry count of the directory stored when a browser last closed (OK or Cancel).
    int32_t browser_closing_entry_count = 0;
    bool preview_on = true;        // the browser's preview switch (for the run only)
    std::string copy_destination;  // where the last "Copy File..." went ("" before)
};

DirLists& scan_lists(MainWindow& w);
DirLists& current_lists(MainWindow& w);
// Copies the scan lists into the current lists and publishes the list count.
void commit_scan(MainWindow& w);

// Rescans the files (or the folders) of `directory` into `lists` with the saved
// filter, content check and sort order, under the wait cursor.
void scan_files_into(MainWindow& w, DirLists& lists, const char* directory);
void scan_folders_into(DirLists& lists, const char* directory);

// Start-up: outside Glimra mode, scans the current directory with the saved filter
// and content check and commits the scan as the current file list.
void scan_current_directory_at_startup(MainWindow& w);

// "Refresh Thumbnails": when the current list is empty, is not the current
// directory's, or the directory's entry count differs from the one taken at its
// scan, the directory is scanned again and committed. True when it was.
bool refresh_current_list(MainWindow& w);


// The system's small-icon image list and the icon index of a full path in it: of
// the folder or file itself, or (for files) of the file's type.
HIMAGELIST system_small_icons();
int32_t shell_small_icon(const char* full_path);
int32_t shell_file_icon(const char* full_path);

// Name of the current list's file at sorted `position`; null outside the list.
const char* current_list_name(MainWindow& w, int32_t position);
// Makes the file at `position` of the current list the current file and asks the
// main window to show it (WM_USER); false, changing nothing, when the path would
// not fit the current file path.
bool show_current_list_file(MainWindow& w, int32_t position);
