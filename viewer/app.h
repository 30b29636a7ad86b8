// Process-wide state of the viewer and the entry points of its windows.
#pragma once

#include <windows.h>

struct App {
    HINSTANCE instance = nullptr;
    HWND main_window = nullptr;
};

extern App g_app;

bool register_main_window_class(HINSTANCE instance);
HWND create_main_window(HINSTANCE instance);
