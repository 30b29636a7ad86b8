// Program entry of the desktop build: makes sure the settings key exists, loads the
// settings, enters Glimra mode when started with a command line, creates the main
// window and runs the message loop; the settings are saved when the window closes.
#include <windows.h>
#include <commctrl.h>
#include <tchar.h>

#include "../resources/resource_ids.h"
#include "app.h"
#include "help.h"
#include "settings_registry.h"
#include "win_text.h"

App g_app;

namespace {

DisplayInfo read_display() {
    HDC screen = GetDC(nullptr);
    DisplayInfo display{GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL), GetSystemMetrics(SM_CXSCREEN)};
    ReleaseDC(nullptr, screen);
    return display;
}

void init_common_controls() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
}

void load_app_settings() {
    load_settings(g_app.settings, g_app.display);
    to_tchar(g_app.settings.cur_dir, g_app.current_path);
    if (!g_app.settings.flags.ThumbsEnabled) g_app.settings.flags.ComboView = false;
}

// A command line means the program was started by a file association: Glimra mode,
// thumbnails and the combo view off for this run, nothing saved.
void enter_glimra_mode_if(const char* command_line) {
    if (!command_line || !command_line[0]) return;
    g_app.glimra_mode = true;
    g_app.settings.flags.ThumbsEnabled = false;
    g_app.settings.flags.ComboView = false;
}

void set_program_dir() {
    TCHAR path[MAX_PATH] = {};
    GetModuleFileName(nullptr, path, MAX_PATH);
    TCHAR* last = _tcsrchr(path, TEXT('\\'));
    if (last) last[1] = 0;
    else path[0] = 0;
    lstrcpyn(g_app.program_dir, path, MAX_PATH);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show) {
    SetErrorMode(SEM_FAILCRITICALERRORS);
    g_app.instance = instance;
    ensure_settings_key();
    load_help_library();
    if (!register_main_window_class(instance)) return 1;
    g_app.display = read_display();
    init_common_controls();
    load_app_settings();
    enter_glimra_mode_if(command_line);
    recreate_thumb_label_font();
    HWND main = create_main_window(instance);
    if (!main) return 0;
    set_program_dir();
    restart_animation_timer();
    ShowWindow(main, show);
    UpdateWindow(main);
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
    SetErrorMode(0);
    return (int)msg.wParam;
}
