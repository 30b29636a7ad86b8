// The folder-and-file browser of "Open..." (dialog 125) and the folder browser of
// "Copy File..." (dialog 131). Both keep their own copy of the directory; the file
// browser works on the scan lists, which "Open..." commits on OK.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "files/file_lists.h"

struct MainWindow;

struct BrowseResult {
    std::string path;        // directory + "\" + name, or the directory + "\" alone
    int32_t file_index = -1;  // the chosen file's position in the scan's file list
};

// Dialog 125 started in `directory`; true on OK with `result` filled.
bool browse_for_file(MainWindow& w, const char* directory, BrowseResult* result);
// Dialog 131 started in `directory`; true on OK with the folder shown at that time.
bool browse_for_folder(MainWindow& w, const char* directory, std::string* folder);

// What both browsers share with their button menus (file_browser_menus.cpp).
struct Browser {
    MainWindow* main;    // the main window, its settings and its file lists
    bool files;          // dialog 125: files, filter, preview and sort order
    DirLists* lists;     // the lists the dialog scans into
    std::string directory;
    BrowseResult result;
};

// Owner-drawn path and sort buttons: a text with a drop-down mark.
void draw_browser_button(const Browser& browser, const DRAWITEMSTRUCT* item);
// The path button's menu of levels; returns how many levels to go up (0 = stay),
// or -1 when nothing was chosen.
int choose_path_level(HWND dialog, const Browser& browser);
// The sort button's menu; returns the chosen order or -1.
int choose_sort_order(HWND dialog, const Browser& browser);
