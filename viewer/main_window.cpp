// The main window: its class, creation and message handlers, the "Toolbar" menu, key
// bindings, and the commands that open the settings sheet and switch toolbars.
#include <windows.h>
#include <tchar.h>

#include "../resources/resource_ids.h"
#include "app.h"
#include "command_table.h"
#include "key_table.h"
#include "font_record.h"
#include "settings_registry.h"
#include "settings_sheet.h"
#include "win_text.h"

namespace {

TCHAR g_class_name[32];
HMENU g_toolbar_menu = nullptr;

constexpr UINT_PTR kAnimationTimer = 2;
constexpr int kRefreshThumbnails = 40088;

// The pop-up menu that holds `id`, searched through the menu tree.
HMENU menu_holding(HMENU menu, UINT id) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        if (GetMenuItemID(menu, i) == id) return menu;
        if (HMENU sub = GetSubMenu(menu, i))
            if (HMENU found = menu_holding(sub, id)) return found;
    }
    return nullptr;
}

bool on_toolbar_command(int id) {
    const int current = g_app.settings.toolbar;
    if (id == IDM_NEXT_TOOLBAR) select_toolbar(next_toolbar(current));
    else if (id == IDM_PREVIOUS_TOOLBAR) select_toolbar(previous_toolbar(current));
    else if (id >= IDM_TOOLBAR_FIRST && id < IDM_TOOLBAR_FIRST + kToolbarCount) select_toolbar(id - IDM_TOOLBAR_FIRST);
    else return false;
    return true;
}

void on_command(HWND hwnd, int id) {
    if (on_toolbar_command(id)) return;
    switch (id) {
    case IDM_EXIT: PostMessage(hwnd, WM_CLOSE, 0, 0); break;
    case IDM_PREFERENCES:
        show_settings_sheet(hwnd);
        save_app_settings();
        break;
    case kRefreshThumbnails: break;  // staged: the thumbnail browser rebuilds its cells here
    case kUndefinedCommand: break;   // an empty toolbar slot or unbound key
    default: MessageBeep(MB_OK); break;
    }
    SetFocus(hwnd);
}

// A bindable key sends the command the main window's binding names; other keys do nothing.
void on_key_down(HWND hwnd, WPARAM key) {
    const int command = bound_command(g_app.settings.main_keys, LOWORD(key));
    if (command) PostMessage(hwnd, WM_COMMAND, command, 0);
}

void on_create(HWND hwnd) {
    g_app.main_window = hwnd;
    g_toolbar_menu = menu_holding(GetMenu(hwnd), IDM_TOOLBAR_FIRST);
    rebuild_toolbar_menu();
}

void on_destroy(HWND hwnd) {
    KillTimer(hwnd, kAnimationTimer);
    save_app_settings();
    if (g_app.thumb_label_font) DeleteObject(g_app.thumb_label_font);
    g_app.thumb_label_font = nullptr;
    PostQuitMessage(0);
}

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: on_create(hwnd); return 0;
    case WM_COMMAND: on_command(hwnd, LOWORD(wp)); return 0;
    case WM_KEYDOWN: on_key_down(hwnd, wp); return 0;
    case WM_TIMER: return 0;  // the animation step runs here while an animation plays
    case WM_DESTROY: on_destroy(hwnd); return 0;
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
    TCHAR title[64];
    load_text(g_app.glimra_mode ? IDS_TITLE_GLIMRA_MODE : IDS_TITLE, title, 64);
    return CreateWindowEx(0, g_class_name, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 800, 600,
                          nullptr, nullptr, instance, nullptr);
}

void restart_animation_timer() {
    if (!g_app.main_window) return;
    KillTimer(g_app.main_window, kAnimationTimer);
    SetTimer(g_app.main_window, kAnimationTimer, animation_period_ms(g_app.settings.animation_rate), nullptr);
}

void rebuild_toolbar_menu() {
    if (!g_toolbar_menu) return;
    while (GetMenuItemCount(g_toolbar_menu) > 0) DeleteMenu(g_toolbar_menu, 0, MF_BYPOSITION);
    for (int t = 0; t < kToolbarCount; ++t) {
        TCHAR name[kToolbarNameSize];
        to_tchar(toolbar_name(g_app.settings.toolbar_names, t), name);
        const UINT checked = t == g_app.settings.toolbar ? MF_CHECKED : MF_UNCHECKED;
        AppendMenu(g_toolbar_menu, MF_STRING | checked, IDM_TOOLBAR_FIRST + t, name);
    }
}

void select_toolbar(int toolbar) {
    g_app.settings.toolbar = toolbar;
    if (g_toolbar_menu)
        CheckMenuRadioItem(g_toolbar_menu, IDM_TOOLBAR_FIRST, IDM_TOOLBAR_FIRST + kToolbarCount - 1,
                           IDM_TOOLBAR_FIRST + toolbar, MF_BYCOMMAND);
    InvalidateRect(g_app.main_window, nullptr, FALSE);
}

void recreate_thumb_label_font() {
    if (g_app.thumb_label_font) DeleteObject(g_app.thumb_label_font);
    const LOGFONT font = to_logfont(g_app.settings.thumb_font);
    g_app.thumb_label_font = CreateFontIndirect(&font);
}
