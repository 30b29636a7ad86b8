// The main window: its class, creation and message handlers (drops, key bindings,
// menu state, the private "show the current file" and hand-over messages), the
// "Toolbar" and "Sort By" menus, and the movie controls it owns.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <tchar.h>

#include "app/main_window_win.h"

#include "resource_ids.h"
#include "app/command_table_win.h"
#include "common/attached_window_win.h"
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

constexpr UINT_PTR kAnimationTimer = 2;
constexpr UINT kHandOverMessage = 6000;
constexpr int kPlayPauseButton = CMD_PLAY_PAUSE;
constexpr UINT kSortCommands[3] = {CMD_SORT_BY_NAME, CMD_SORT_BY_SIZE, CMD_SORT_BY_DATE};  // stored order 0, 1, 2
constexpr int kPlayPausePicture = 41;

// The class name is string-table entry 3.
void main_class_name(TCHAR (&name)[32]) { load_text(IDS_MAIN_CLASS, name, 32); }

// Image lists of the view: name, picture size and mask colour.
struct ListSpec {
    const TCHAR* name;
    int size;
    COLORREF mask;
    HIMAGELIST* out;
};

void load_image_lists(MainWindow& w) {
    const ListSpec lists[] = {
        {TEXT("ILIST1_BMP"), 24, CLR_NONE, &w.view.lists.toolbar},
        {TEXT("ILIST_TAGS"), 16, RGB(0, 0, 0), &w.view.lists.tags},
        {TEXT("ILIST_VIDEO"), 16, RGB(0, 0, 0), &w.view.lists.video},
        {TEXT("ILIST_BAD"), 32, RGB(255, 255, 255), &w.view.lists.bad},
        {TEXT("ILIST_PRINT"), 48, RGB(255, 255, 255), &w.view.lists.print},
        {TEXT("ILIST_KEYS"), 16, RGB(255, 255, 255), &w.view.lists.keys},
        {TEXT("ILIST_TAPNHOLD"), 8, RGB(255, 255, 255), &w.view.lists.tap_and_hold},
    };
    for (const ListSpec& l : lists)
        *l.out = ImageList_LoadImage(w.app.instance, l.name, l.size, l.mask == CLR_NONE ? 0 : 8, l.mask, IMAGE_BITMAP, 0);
}

void destroy_image_lists(MainWindow& w) {
    for (HIMAGELIST* l : {&w.view.lists.toolbar, &w.view.lists.tags, &w.view.lists.video, &w.view.lists.bad,
                          &w.view.lists.print, &w.view.lists.keys, &w.view.lists.tap_and_hold}) {
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
void on_key_down(MainWindow& w, HWND hwnd, WPARAM key) {
    const int command = bound_command(w.app.settings.main_keys, LOWORD(key));
    if (command) PostMessage(hwnd, WM_COMMAND, command, 0);
}

// The movie position bar, the "Play / Pause" button and the combo strip's scroll bar,
// created with zero size until a movie or the combo view needs them.
void create_children(MainWindow& w, HWND hwnd) {
    w.controls.trackbar = CreateWindowEx(0, TRACKBAR_CLASS, TEXT(""), WS_CHILD | WS_VISIBLE | TBS_BOTH | TBS_NOTICKS, 0, 0, 0,
                                0, hwnd, (HMENU)(INT_PTR)kTrackBarId, w.app.instance, nullptr);
    w.controls.play_button = CreateWindowEx(0, TEXT("button"), TEXT(""), WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 0, 0, hwnd,
                                   (HMENU)(INT_PTR)kPlayPauseButton, w.app.instance, nullptr);
    w.controls.combo_scroll = CreateWindowEx(0, TEXT("scrollbar"), TEXT(""), WS_CHILD | WS_VISIBLE | SBS_HORZ, 0,
                                    w.app.screen_height, w.app.screen_width, 16, hwnd,
                                    (HMENU)(INT_PTR)kComboScrollId, w.app.instance, nullptr);
}

void on_create(MainWindow& w, HWND hwnd) {
    DragAcceptFiles(hwnd, TRUE);
    w.doc.file_index = -1;
    w.doc.selection = RECT{};
    create_children(w, hwnd);
    load_image_lists(w);
    view_init(w);
    w.controls.toolbar_menu = menu_holding(GetMenu(hwnd), IDM_TOOLBAR_FIRST);
    rebuild_toolbar_menu(w);
    check_sort_order(w);
}

void on_destroy(MainWindow& w, HWND hwnd) {
    DragAcceptFiles(hwnd, FALSE);
    KillTimer(hwnd, kAnimationTimer);
    destroy_image_lists(w);
    view_release(w);
    save_app_settings(w.app);
    w.app.flags.abort_jobs = true;
    Sleep(200);
    PostQuitMessage(0);
}

// A slide list with unsaved changes is only dropped when the user agrees.
void on_close(MainWindow& w, HWND hwnd) {
    if (w.app.slides.modified && w.app.slides.count > 0 &&
        message_box(hwnd, IDS_ASK_DROP_SLIDES, IDS_TITLE, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    DestroyWindow(hwnd);
}

// One dropped file is opened; two or more are refused with a beep.
void on_drop_files(MainWindow& w, HDROP drop) {
    if (DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
        DragQueryFile(drop, 0, w.doc.current_path, 256);
        w.doc.page_index = 0;
        open_current_file(w, true);
    } else {
        MessageBeep(0);
    }
    DragFinish(drop);
}

// Shows the current file path again from its first page.
void on_show_current_file(MainWindow& w) {
    w.doc.page_index = 0;
    open_current_file(w, true);
}

// A second start handed over its command line through the "Cmdline" value.
void on_hand_over(MainWindow& w, HWND hwnd) {
    HKEY key;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        TCHAR path[256] = {};
        DWORD size = sizeof path - sizeof(TCHAR), type = 0;
        const bool read = RegQueryValueEx(key, TEXT("Cmdline"), nullptr, &type, (BYTE*)path, &size) == ERROR_SUCCESS;
        RegCloseKey(key);
        if (read && type == REG_SZ && path[0]) {
            lstrcpyn(w.doc.current_path, path, 256);
            w.doc.page_index = 0;
            open_current_file(w, true);
        }
    }
    SetForegroundWindow(hwnd);
}

// The "Play / Pause" button shows its toolbar picture.
void on_draw_item(MainWindow& w, const DRAWITEMSTRUCT* item) {
    if (item->CtlID != (UINT)kPlayPauseButton || !w.view.lists.toolbar) return;
    ImageList_Draw(w.view.lists.toolbar, kPlayPausePicture, item->hDC, item->rcItem.left, item->rcItem.top, ILD_NORMAL);
}

void on_mouse_wheel(HWND hwnd, WPARAM wp) {
    const UINT msg = (GetKeyState(VK_SHIFT) & 0x8000) ? WM_HSCROLL : WM_VSCROLL;
    PostMessage(hwnd, msg, (short)HIWORD(wp) < 0 ? SB_LINEDOWN : SB_LINEUP, 0);
}

// Places the movie controls on the toolbar strip while they are shown.
void place_movie_controls(MainWindow& w) {
    if (!w.controls.movie_controls_shown) return;
    const ViewRect t = movie_track_bar_rect(w.view.layout), b = movie_play_button_rect(w.view.layout);
    MoveWindow(w.controls.trackbar, t.left, t.top, t.right - t.left, t.bottom - t.top, TRUE);
    MoveWindow(w.controls.play_button, b.left, b.top, b.right - b.left, b.bottom - b.top, TRUE);
}

void on_size(MainWindow& w, HWND hwnd, WPARAM kind, LPARAM lp) {
    if (kind == SIZE_MINIMIZED) return;
    view_layout(w, hwnd, LOWORD(lp), HIWORD(lp));
    const ViewLayout& l = w.view.layout;
    SetScrollRange(w.controls.combo_scroll, SB_CTL, 0, l.scroll_max > 0 ? l.scroll_max : 0, FALSE);
    MoveWindow(w.controls.combo_scroll, l.scroll_bar.left, l.scroll_bar.top, l.scroll_bar.right - l.scroll_bar.left,
               l.scroll_bar.bottom - l.scroll_bar.top, TRUE);
    place_movie_controls(w);
}

void on_timer(MainWindow& w, UINT_PTR id) {
    if (id == kAnimationTimer) view_animation_tick(w);
}

void on_scroll(MainWindow& w, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if ((HWND)lp == w.controls.trackbar && w.controls.trackbar) {
        if (msg == WM_HSCROLL && w.doc.image_loaded()) view_track_bar_scroll(w, w.controls.trackbar, LOWORD(wp), HIWORD(wp));
        return;
    }
    combo_strip_scroll(w, hwnd, LOWORD(wp), HIWORD(wp));
}

// The worker reports a job starting or ending; the window work is done here.
void on_job_started(MainWindow& w, WPARAM job) {
    if (job == CMD_PRINT) EnableWindow(w.hwnd, FALSE);
}

void on_job_done(MainWindow& w, WPARAM job) {
    if (job == CMD_PRINT) EnableWindow(w.hwnd, TRUE);
    if (job == CMD_START_BATCH_PROCESS) InvalidateRect(w.hwnd, nullptr, FALSE);
}

LRESULT handle_message(MainWindow& w, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: on_create(w, hwnd); return 0;
    case WM_COMMAND: dispatch_command(w, LOWORD(wp)); return 0;
    case WM_KEYDOWN: on_key_down(w, hwnd, wp); return 0;
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: return 0;
    case WM_TIMER: on_timer(w, wp); return 0;
    case WM_SIZE: on_size(w, hwnd, wp, lp); return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: on_scroll(w, hwnd, msg, wp, lp); return 0;
    case WM_LBUTTONDOWN: view_left_press(w, hwnd, lp); return 0;
    case WM_LBUTTONDBLCLK: view_left_double_click(w, hwnd, lp); return 0;
    case WM_INITMENU:
    case WM_INITMENUPOPUP: update_menu_state(w, (HMENU)wp); return 0;
    case WM_MOUSEMOVE: view_mouse_move(w, lp); return 0;
    case WM_LBUTTONUP: view_left_release(w, lp); return 0;
    case WM_RBUTTONUP:
        view_right_release(w);
        return DefWindowProc(hwnd, msg, wp, lp);
    case WM_CAPTURECHANGED: view_capture_lost(w, (HWND)lp); return 0;
    case WM_WORKER_JOB_STARTED: on_job_started(w, wp); return 0;
    case WM_WORKER_JOB_DONE: on_job_done(w, wp); return 0;
    case WM_DROPFILES: on_drop_files(w, (HDROP)wp); return 0;
    case WM_USER: on_show_current_file(w); return 0;
    case kHandOverMessage: on_hand_over(w, hwnd); return 0;
    case WM_DRAWITEM: on_draw_item(w, reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_MOUSEWHEEL: on_mouse_wheel(hwnd, wp); return 0;
    case WM_RBUTTONDOWN: view_right_press(w, hwnd, lp); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE) SetFocus(hwnd);
        return 0;
    case WM_PAINT: view_paint(w, hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PALETTECHANGED: InvalidateRect(hwnd, nullptr, FALSE); return 0;
    case WM_CLOSE: on_close(w, hwnd); return 0;
    case WM_DESTROY: on_destroy(w, hwnd); return 0;
    default: return DefWindowProc(hwnd, msg, wp, lp);
    }
}

}  // namespace

MainWindow::~MainWindow() { release_current_image(*this); }

MainWindow* main_of(HWND hwnd) { return attached_state<MainWindow>(hwnd); }

bool register_main_window_class(HINSTANCE instance) {
    TCHAR class_name[32];
    main_class_name(class_name);
    if (!class_name[0]) return false;
    WNDCLASS wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = attached_window_proc<MainWindow, handle_message, false>;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(IDI_GLIMRA));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszMenuName = MAKEINTRESOURCE(IDM_MAIN);
    wc.lpszClassName = class_name;
    return RegisterClass(&wc) != 0;
}

HWND create_main_window(MainWindow& w) {
    TCHAR title[64], class_name[32];
    load_text(w.app.glimra_mode ? IDS_TITLE_GLIMRA_MODE : IDS_TITLE, title, 64);
    main_class_name(class_name);
    return create_attached_window<MainWindow, false>(&w, 0, class_name, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                                     w.app.instance);
}

void check_sort_order(MainWindow& w) {
    const UINT current = kSortCommands[w.app.settings.sort_order >= 0 && w.app.settings.sort_order < 3
                                           ? w.app.settings.sort_order
                                           : 0];
    for (HMENU menu : {GetMenu(w.hwnd), w.app.context_menu}) {
        if (!menu) continue;
        for (UINT id : kSortCommands) CheckMenuItem(menu, id, MF_BYCOMMAND | (id == current ? MF_CHECKED : MF_UNCHECKED));
    }
}

void show_movie_controls(MainWindow& w, bool show) {
    if (show) {
        w.controls.movie_controls_shown = true;
        ShowWindow(w.controls.trackbar, SW_SHOW);
        ShowWindow(w.controls.play_button, SW_SHOW);
        place_movie_controls(w);
        const int32_t last = w.doc.file.page_count > 0 ? w.doc.file.page_count - 1 : 0;
        SendMessage(w.controls.trackbar, TBM_SETRANGE, TRUE, MAKELPARAM(0, last > 0xFFFF ? 0xFFFF : last));
        SendMessage(w.controls.trackbar, TBM_SETPOS, TRUE, 0);
    } else if (w.controls.movie_controls_shown) {
        w.controls.movie_controls_shown = false;
        ShowWindow(w.controls.trackbar, SW_HIDE);
        ShowWindow(w.controls.play_button, SW_HIDE);
    }
    InvalidateRect(w.hwnd, nullptr, FALSE);
}

void restart_animation_timer(MainWindow& w) {
    if (!w.hwnd) return;
    KillTimer(w.hwnd, kAnimationTimer);
    SetTimer(w.hwnd, kAnimationTimer, animation_period_ms(w.app.settings.animation_rate), nullptr);
}

void rebuild_toolbar_menu(MainWindow& w) {
    if (!w.controls.toolbar_menu) return;
    while (GetMenuItemCount(w.controls.toolbar_menu) > 0) DeleteMenu(w.controls.toolbar_menu, 0, MF_BYPOSITION);
    for (int t = 0; t < kToolbarCount; ++t) {
        TCHAR name[kToolbarNameSize];
        to_tchar(toolbar_name(w.app.settings.toolbar_names, t), name);
        const UINT checked = t == w.app.settings.toolbar ? MF_CHECKED : MF_UNCHECKED;
        AppendMenu(w.controls.toolbar_menu, MF_STRING | checked, IDM_TOOLBAR_FIRST + t, name);
    }
}

void select_toolbar(MainWindow& w, int toolbar) {
    w.app.settings.toolbar = toolbar;
    if (w.controls.toolbar_menu)
        CheckMenuRadioItem(w.controls.toolbar_menu, IDM_TOOLBAR_FIRST, IDM_TOOLBAR_FIRST + kToolbarCount - 1,
                           IDM_TOOLBAR_FIRST + toolbar, MF_BYCOMMAND);
    InvalidateRect(w.hwnd, nullptr, FALSE);
}

void recreate_thumb_label_font(App& app) {
    if (app.thumb_label_font) DeleteObject(app.thumb_label_font);
    const LOGFONT font = to_logfont(app.settings.thumb_font);
    app.thumb_label_font = CreateFontIndirect(&font);
}
