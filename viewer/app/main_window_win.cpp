// The main window: its class, creation and message handlers (drops, key bindings,
// menu state, the private "show the current file" and hand-over messages), the
// "Toolbar" and "Sort By" menus, and the movie controls it owns.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <tchar.h>

#include "resource_ids.h"
#include "app/app_win.h"
#include "view/combo_strip_win.h"
#include "settings/command_list.h"
#include "view/image_view_win.h"
#include "view/view_commands_win.h"
#include "view/view_mouse_win.h"
#include "settings/key_table.h"
#include "common/font_record_win.h"
#include "settings/settings_registry_win.h"
#include "settings/settings_sheet_win.h"
#include "app/startup_rules.h"
#include "common/win_text_win.h"

namespace {

TCHAR g_class_name[32];
HMENU g_toolbar_menu = nullptr;

constexpr UINT_PTR kAnimationTimer = 2;
constexpr UINT kHandOverMessage = 6000;
constexpr int kPlayPauseButton = 40055;
constexpr UINT kSortCommands[3] = {40078, 40080, 40079};  // by name, size, date

HWND g_trackbar = nullptr, g_play_button = nullptr, g_combo_scroll = nullptr;
bool g_movie_controls_shown = false;
constexpr int kPlayPausePicture = 41;

// Image lists of the view: name, picture size and mask colour.
struct ListSpec {
    const TCHAR* name;
    int size;
    COLORREF mask;
    HIMAGELIST* out;
};

void load_image_lists() {
    const ListSpec lists[] = {
        {TEXT("ILIST1_BMP"), 24, CLR_NONE, &g_view_lists.toolbar},
        {TEXT("ILIST_TAGS"), 16, RGB(0, 0, 0), &g_view_lists.tags},
        {TEXT("ILIST_VIDEO"), 16, RGB(0, 0, 0), &g_view_lists.video},
        {TEXT("ILIST_BAD"), 32, RGB(255, 255, 255), &g_view_lists.bad},
        {TEXT("ILIST_PRINT"), 48, RGB(255, 255, 255), &g_view_lists.print},
        {TEXT("ILIST_KEYS"), 16, RGB(255, 255, 255), &g_view_lists.keys},
        {TEXT("ILIST_TAPNHOLD"), 8, RGB(255, 255, 255), &g_view_lists.tap_and_hold},
    };
    for (const ListSpec& l : lists)
        *l.out = ImageList_LoadImage(g_app.instance, l.name, l.size, l.mask == CLR_NONE ? 0 : 8, l.mask, IMAGE_BITMAP, 0);
}

void destroy_image_lists() {
    for (HIMAGELIST* l : {&g_view_lists.toolbar, &g_view_lists.tags, &g_view_lists.video, &g_view_lists.bad,
                          &g_view_lists.print, &g_view_lists.keys, &g_view_lists.tap_and_hold}) {
        if (*l) ImageList_Destroy(*l);
        *l = nullptr;
    }
}

// The pop-up menu that holds `id`, searched through the menu tree.
HMENU menu_holding(HMENU menu, UINT id) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        if (GetMenuItemID(menu, i) == id) return menu;
        if (HMENU sub = GetSubMenu(menu, i))
            if (HMENU found = menu_holding(sub, id)) return found;
    }
    return nullptr;
}

// A bindable key sends the command the main window's binding names; other keys do nothing.
void on_key_down(HWND hwnd, WPARAM key) {
    const int command = bound_command(g_app.settings.main_keys, LOWORD(key));
    if (command) PostMessage(hwnd, WM_COMMAND, command, 0);
}

// The movie position bar, the "Play / Pause" button and the combo strip's scroll bar,
// created with zero size until a movie or the combo view needs them.
void create_children(HWND hwnd) {
    g_trackbar = CreateWindowEx(0, TRACKBAR_CLASS, TEXT(""), WS_CHILD | WS_VISIBLE | TBS_BOTH | TBS_NOTICKS, 0, 0, 0,
                                0, hwnd, (HMENU)(INT_PTR)kTrackBarId, g_app.instance, nullptr);
    g_play_button = CreateWindowEx(0, TEXT("button"), TEXT(""), WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 0, 0, hwnd,
                                   (HMENU)(INT_PTR)kPlayPauseButton, g_app.instance, nullptr);
    g_combo_scroll = CreateWindowEx(0, TEXT("scrollbar"), TEXT(""), WS_CHILD | WS_VISIBLE | SBS_HORZ, 0,
                                    g_app.screen_height, g_app.screen_width, 16, hwnd,
                                    (HMENU)(INT_PTR)kComboScrollId, g_app.instance, nullptr);
}

void on_create(HWND hwnd) {
    g_app.main_window = hwnd;
    DragAcceptFiles(hwnd, TRUE);
    g_app.file_index = -1;
    g_app.selection = RECT{};
    create_children(hwnd);
    load_image_lists();
    view_init();
    g_toolbar_menu = menu_holding(GetMenu(hwnd), IDM_TOOLBAR_FIRST);
    rebuild_toolbar_menu();
    check_sort_order();
}

void on_destroy(HWND hwnd) {
    DragAcceptFiles(hwnd, FALSE);
    KillTimer(hwnd, kAnimationTimer);
    destroy_image_lists();
    view_release();
    save_app_settings();
    g_app.abort_jobs = true;
    Sleep(200);
    PostQuitMessage(0);
}

// A slide list with unsaved changes is only dropped when the user agrees.
void on_close(HWND hwnd) {
    if (g_app.slides_modified && g_app.slide_count > 0 &&
        message_box(hwnd, 5039, IDS_TITLE, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    DestroyWindow(hwnd);
}

// One dropped file is opened; two or more are refused with a beep.
void on_drop_files(HDROP drop) {
    if (DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
        DragQueryFile(drop, 0, g_app.current_path, 256);
        g_app.page_index = 0;
        open_current_file(true);
    } else {
        MessageBeep(0);
    }
    DragFinish(drop);
}

// Shows the current file path again from its first page.
void on_show_current_file() {
    g_app.page_index = 0;
    open_current_file(true);
}

// A second start handed over its command line through the "Cmdline" value.
void on_hand_over(HWND hwnd) {
    HKEY key;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        TCHAR path[256] = {};
        DWORD size = sizeof path - sizeof(TCHAR), type = 0;
        const bool read = RegQueryValueEx(key, TEXT("Cmdline"), nullptr, &type, (BYTE*)path, &size) == ERROR_SUCCESS;
        RegCloseKey(key);
        if (read && type == REG_SZ && path[0]) {
            lstrcpyn(g_app.current_path, path, 256);
            g_app.page_index = 0;
            open_current_file(true);
        }
    }
    SetForegroundWindow(hwnd);
}

void on_init_menu(HMENU menu) {
    MenuInputs in{};
    in.image_loaded = image_loaded();
    in.has_selection = g_app.selection.right != g_app.selection.left || g_app.selection.bottom != g_app.selection.top;
    in.bits_per_pixel = g_app.page.bits_per_pixel;
    in.page_count = g_app.file.page_count;
    in.is_jfif = g_app.file.format == FMT_JFIF;
    in.clipboard_has_bitmap = IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB);
    for (const MenuItemState& item : menu_item_states(in))
        EnableMenuItem(menu, item.command, MF_BYCOMMAND | (item.enabled ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, 40029, MF_BYCOMMAND | (g_app.settings.flags.ScaleToGray ? MF_CHECKED : MF_UNCHECKED));
}

// The "Play / Pause" button shows its toolbar picture.
void on_draw_item(const DRAWITEMSTRUCT* item) {
    if (item->CtlID != (UINT)kPlayPauseButton || !g_view_lists.toolbar) return;
    ImageList_Draw(g_view_lists.toolbar, kPlayPausePicture, item->hDC, item->rcItem.left, item->rcItem.top, ILD_NORMAL);
}

void on_mouse_wheel(HWND hwnd, WPARAM wp) {
    const UINT msg = (GetKeyState(VK_SHIFT) & 0x8000) ? WM_HSCROLL : WM_VSCROLL;
    PostMessage(hwnd, msg, (short)HIWORD(wp) < 0 ? SB_LINEDOWN : SB_LINEUP, 0);
}

// Places the movie controls on the toolbar strip while they are shown.
void place_movie_controls() {
    if (!g_movie_controls_shown) return;
    const ViewRect t = movie_track_bar_rect(g_view.layout), b = movie_play_button_rect(g_view.layout);
    MoveWindow(g_trackbar, t.left, t.top, t.right - t.left, t.bottom - t.top, TRUE);
    MoveWindow(g_play_button, b.left, b.top, b.right - b.left, b.bottom - b.top, TRUE);
}

void on_size(HWND hwnd, WPARAM kind, LPARAM lp) {
    if (kind == SIZE_MINIMIZED) return;
    view_layout(hwnd, LOWORD(lp), HIWORD(lp));
    const ViewLayout& l = g_view.layout;
    SetScrollRange(g_combo_scroll, SB_CTL, 0, l.scroll_max > 0 ? l.scroll_max : 0, FALSE);
    MoveWindow(g_combo_scroll, l.scroll_bar.left, l.scroll_bar.top, l.scroll_bar.right - l.scroll_bar.left,
               l.scroll_bar.bottom - l.scroll_bar.top, TRUE);
    place_movie_controls();
}

void on_timer(UINT_PTR id) {
    if (id == kAnimationTimer) view_animation_tick();
}

void on_scroll(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if ((HWND)lp == g_trackbar && g_trackbar) {
        if (msg == WM_HSCROLL && image_loaded()) view_track_bar_scroll(g_trackbar, LOWORD(wp), HIWORD(wp));
        return;
    }
    combo_strip_scroll(hwnd, LOWORD(wp), HIWORD(wp));
}

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: on_create(hwnd); return 0;
    case WM_COMMAND: dispatch_command(hwnd, LOWORD(wp)); return 0;
    case WM_KEYDOWN: on_key_down(hwnd, wp); return 0;
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: return 0;
    case WM_TIMER: on_timer(wp); return 0;
    case WM_SIZE: on_size(hwnd, wp, lp); return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: on_scroll(hwnd, msg, wp, lp); return 0;
    case WM_LBUTTONDOWN: view_left_press(hwnd, lp); return 0;
    case WM_LBUTTONDBLCLK: view_left_double_click(hwnd, lp); return 0;
    case WM_INITMENU: on_init_menu((HMENU)wp); return 0;
    case WM_DROPFILES: on_drop_files((HDROP)wp); return 0;
    case WM_USER: on_show_current_file(); return 0;
    case kHandOverMessage: on_hand_over(hwnd); return 0;
    case WM_DRAWITEM: on_draw_item(reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_MOUSEWHEEL: on_mouse_wheel(hwnd, wp); return 0;
    case WM_RBUTTONDOWN: view_right_press(hwnd, lp); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) SetFocus(hwnd);
        return 0;
    case WM_PAINT: view_paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PALETTECHANGED: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case WM_CLOSE: on_close(hwnd); return 0;
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
    return CreateWindowEx(0, g_class_name, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

void check_sort_order() {
    const UINT current = kSortCommands[g_app.settings.sort_order >= 0 && g_app.settings.sort_order < 3
                                           ? g_app.settings.sort_order
                                           : 0];
    for (HMENU menu : {GetMenu(g_app.main_window), g_app.context_menu}) {
        if (!menu) continue;
        for (UINT id : kSortCommands) CheckMenuItem(menu, id, MF_BYCOMMAND | (id == current ? MF_CHECKED : MF_UNCHECKED));
    }
}

void show_movie_controls(bool show) {
    if (show) {
        g_movie_controls_shown = true;
        ShowWindow(g_trackbar, SW_SHOW);
        ShowWindow(g_play_button, SW_SHOW);
        place_movie_controls();
        const int32_t last = g_app.file.page_count > 0 ? g_app.file.page_count - 1 : 0;
        SendMessage(g_trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, last > 0xFFFF ? 0xFFFF : last));
        SendMessage(g_trackbar, TBM_SETPOS, TRUE, 0);
    } else if (g_movie_controls_shown) {
        g_movie_controls_shown = false;
        ShowWindow(g_trackbar, SW_HIDE);
        ShowWindow(g_play_button, SW_HIDE);
    }
    InvalidateRect(g_app.main_window, nullptr, FALSE);
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
