// Program entry of the desktop build: registers the main window class, creates the
// main window with its menu and runs the message loop until the window is closed.
#include <windows.h>
#include <tchar.h>

#include "../resources/resource_ids.h"
#include "app.h"

App g_app;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    SetErrorMode(SEM_FAILCRITICALERRORS);
    g_app.instance = instance;
    if (!register_main_window_class(instance)) return 1;
    HWND main = create_main_window(instance);
    if (!main) return 1;
    ShowWindow(main, show);
    UpdateWindow(main);
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    return (int)msg.wParam;
}
