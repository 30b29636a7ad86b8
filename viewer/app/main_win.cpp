// Program entry of the desktop build. Start-up runs in a fixed order: critical-error
// boxes off, the settings key, accelerators, help and mail, the hand-over of a
// command line to a running Glimra-mode instance, the window classes, the settings,
// the command line (a file or a slideshow, which start Glimra mode), the splash,
// the main window, the worker thread; then the message loop, and shutdown.
#include <windows.h>
#include <commctrl.h>
#include <tchar.h>

#include <cstring>
#include <memory>

#include "resource_ids.h"
#include "app/main_window_win.h"
#include "files/file_list_state_win.h"
#include "view/zoom_window_win.h"
#include "app/help_win.h"
#include "settings/settings_registry_win.h"
#include "app/startup_rules.h"
#include "common/win_text_win.h"
#include "slideshow/slideshow_commands_win.h"

namespace {

constexpr UINT kHandOverMessage = 6000;

void read_display(App& app) {
    HDC screen = GetDC(nullptr);
    app.display = DisplayInfo{GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL),
                                GetSystemMetrics(SM_CXSCREEN)};
    ReleaseDC(nullptr, screen);
    app.screen_width = GetSystemMetrics(SM_CXSCREEN);
    app.screen_height = GetSystemMetrics(SM_CYSCREEN);
}

void init_common_controls() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
}

void load_app_settings(App& app) {
    load_settings(app.settings, app.display);
    if (!app.settings.flags.ThumbsEnabled) app.settings.flags.ComboView = false;
}

void enter_glimra_mode(App& app) {
    app.glimra_mode = true;
    app.settings.flags.ThumbsEnabled = false;
    app.settings.flags.ComboView = false;
}

void set_program_dir(App& app) {
    TCHAR path[MAX_PATH] = {};
    GetModuleFileName(nullptr, path, MAX_PATH);
    TCHAR* last = _tcsrchr(path, TEXT('\\'));
    if (last) last[1] = 0;
    else path[0] = 0;
    lstrcpyn(app.program_dir, path, MAX_PATH);
}

// A running instance in Glimra mode takes over the command line: it is written to
// "Cmdline" and the instance is told with message 6000. True when handed over.
bool hand_over(const char* command_line) {
    if (!command_line[0]) return false;
    TCHAR cls[32], title[64];
    load_text(IDS_MAIN_CLASS, cls, 32);
    load_text(IDS_TITLE_GLIMRA_MODE, title, 64);
    HWND running = FindWindow(cls, title);
    if (!running) return false;
    ShowWindow(running, SW_RESTORE);
    SetWindowPos(running, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(running);
    HKEY key;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        TCHAR value[256];
        to_tchar(command_line, value);
        RegSetValueEx(key, TEXT("Cmdline"), 0, REG_SZ, (const BYTE*)value, (DWORD)((lstrlen(value) + 1) * sizeof(TCHAR)));
        RegCloseKey(key);
    }
    PostMessage(running, kHandOverMessage, 0, 0);
    return true;
}

// Windows of later features (thumbnails, slideshow) get their procedures with
// those features; their classes exist from the start.
bool register_class(HINSTANCE instance, const TCHAR* name, bool with_icon) {
    WNDCLASS wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProc;
    wc.hInstance = instance;
    if (with_icon) {
        wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(IDI_GLIMRA));
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    }
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = name;
    return RegisterClass(&wc) != 0;
}

bool register_window_classes(HINSTANCE instance) {
    return register_main_window_class(instance) && register_class(instance, TEXT("GLTHUMBVIEW"), true) &&
           register_zoom_window_class(instance) && register_class(instance, TEXT("GLSLIDECLASS"), false) &&
           register_splash_class(instance);
}

HFONT create_label_font() {
    LOGFONT font = {};
    font.lfHeight = -12;
    font.lfWeight = FW_BOLD;
    lstrcpy(font.lfFaceName, TEXT("Tahoma"));
    HKEY key;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, TEXT("System\\GWE\\Menu\\PopFnt"), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        DWORD size = sizeof font.lfFaceName - sizeof(TCHAR), value = 0, value_size = sizeof value;
        RegQueryValueEx(key, TEXT("Nm"), nullptr, nullptr, (BYTE*)font.lfFaceName, &size);
        if (RegQueryValueEx(key, TEXT("Ht"), nullptr, nullptr, (BYTE*)&value, &value_size) == ERROR_SUCCESS)
            font.lfHeight = (LONG)value;
        value_size = sizeof value;
        if (RegQueryValueEx(key, TEXT("Wt"), nullptr, nullptr, (BYTE*)&value, &value_size) == ERROR_SUCCESS)
            font.lfWeight = (LONG)value;
        RegCloseKey(key);
    }
    return CreateFontIndirect(&font);
}

void run_message_loop(const App& app, HWND main, MSG* msg) {
    while (GetMessage(msg, nullptr, 0, 0) > 0) {
        if (main && app.accelerators && TranslateAccelerator(main, app.accelerators, msg))
            continue;
        TranslateMessage(msg);
        DispatchMessage(msg);
    }
}

void shut_down(App& app) {
    app.flags.animating = false;
    app.flags.movie_playing = false;
    release_mail_interface(app.services);
    stop_worker(app.worker);
    if (app.label_font) DeleteObject(app.label_font);
    if (app.thumb_label_font) DeleteObject(app.thumb_label_font);
    app.label_font = app.thumb_label_font = nullptr;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line_in, int show) {
    SetErrorMode(SEM_FAILCRITICALERRORS);
    App app;  // the one App of the process; the main window holds it
    app.instance = instance;
    ensure_settings_key();
    app.accelerators = LoadAccelerators(instance, TEXT("ACCEL1"));
    load_help_library(app.help);
    app.mail_available = mail_interface_available(app.services);

    // The whole command line is one path, quotes included.
    char command_line[256] = {};
    if (command_line_in) lstrcpynA(command_line, command_line_in, sizeof command_line);
    if (hand_over(command_line)) return 0;

    if (!register_window_classes(instance)) return 0;
    read_display(app);
    init_common_controls();
    HMENU context = LoadMenu(instance, MAKEINTRESOURCE(IDM_CONTEXT));
    app.context_menu = context ? GetSubMenu(context, 0) : nullptr;
    load_app_settings(app);

    bool slideshow = false;
    if (command_line[0]) {
        upper_case_in_place(command_line);
        slideshow = is_slideshow_path(command_line);
        if (slideshow) {
            TCHAR path[256];
            to_tchar(command_line, path);
            load_command_line_slideshow(app, path);
        }
        enter_glimra_mode(app);
    } else {
        show_splash(app);
    }

    app.label_font = create_label_font();
    recreate_thumb_label_font(app);
    // The main window's state, kept until the run ends (it is large: on the heap).
    const std::unique_ptr<MainWindow> state = std::make_unique<MainWindow>(app);
    MainWindow& w = *state;
    HWND main = create_main_window(w);
    if (!main) return 0;
    set_program_dir(app);
    set_help_file(app.help, app.program_dir);
    restart_animation_timer(w);
    ShowWindow(main, show);
    UpdateWindow(main);
    InvalidateRect(main, nullptr, FALSE);
    SetForegroundWindow(main);

    if (command_line[0] && !slideshow) {
        to_tchar(command_line, w.doc.current_path);
        w.doc.page_index = 0;
        open_current_file(w, true);
    }
    start_worker(app.worker, &app.flags, main);
    scan_current_directory_at_startup(w);
    if (!app.glimra_mode) post_worker(app.worker, CMD_TOGGLE_THUMBNAIL_VIEW);
    // A slideshow file plays its slides, or without any the program directory.
    if (slideshow) start_command_line_show(w);

    MSG msg = {};
    run_message_loop(app, main, &msg);
    shut_down(app);
    SetErrorMode(0);
    return (int)msg.wParam;
}
