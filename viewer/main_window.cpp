// The main window: its class, creation and message handlers.
#include <windows.h>
#include <tchar.h>

#include "../resources/resource_ids.h"
#include "app.h"

namespace {

TCHAR g_class_name[32];

void on_command(HWND hwnd, int id) {
    switch (id) {
    case IDM_EXIT: DestroyWindow(hwnd); break;
    default: MessageBeep(MB_OK); break;
    }
}

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND: on_command(hwnd, LOWORD(wp)); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProc(hwnd, msg, wp, lp);
    }
}

}  // namespace

bool register_main_window_class(HINSTANCE instance) {
    if (!LoadString(instance, IDS_MAIN_CLASS, g_class_name, 32)) return false;
    WNDCLASS wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(IDI_GLIMRA));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszMenuName = MAKEINTRESOURCE(IDM_MAIN);
    wc.lpszClassName = g_class_name;
    return RegisterClass(&wc) != 0;
}

HWND create_main_window(HINSTANCE instance) {
    g_app.main_window = CreateWindowEx(0, g_class_name, TEXT("GLM"), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                       CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
    return g_app.main_window;
}
