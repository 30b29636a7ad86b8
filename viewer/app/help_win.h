// Online help: the help library is loaded at start-up and opens topics of the
// program's help file; without the library, help silently does nothing.
#pragma once

#include <windows.h>

using HtmlHelpFn = HWND(WINAPI*)(HWND, const TCHAR*, UINT, DWORD_PTR);

struct Help {
    HtmlHelpFn html_help = nullptr;  // null when the library did not load
    TCHAR file[MAX_PATH + 16] = {};  // "%sglimra.chm" with the program directory
};

// Loads the help library and names the help file in `program_dir`.
void load_help_library(Help& help);
void set_help_file(Help& help, const TCHAR* program_dir);
// Opens topic `topic` (0 = the index) of the help file.
void show_help(const Help& help, HWND owner, int topic);
