// Online help: the help library is loaded at start-up and opens topics of the
// program's help file; without the library, help silently does nothing.
#pragma once

#include <windows.h>

void load_help_library();
// Opens topic `topic` (0 = the index) of "glimra.chm" in the program directory.
void show_help(HWND owner, int topic);
