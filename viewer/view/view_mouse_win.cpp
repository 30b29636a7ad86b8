// The mouse in the main window: toolbar buttons, the selection drag in the image
// area, pan mode on a double-click, the right-click menu, zoom to the selection and
// the yellow name labels. Drags poll the captured mouse's queued messages at a fixed
// period so the view follows the cursor without flooding the renderer.
#include "view/view_mouse_win.h"

#include <algorithm>

#include "app/app_win.h"
#include "settings/command_list.h"
#include "view/image_view_win.h"
#include "settings/toolbar_layout.h"
#include "view/view_commands_win.h"
#include "view/view_selection.h"
#include "common/win_text_win.h"

namespace {

constexpr DWORD kSelectionPollMs = 20;
constexpr DWORD kPanPollMs = 50;
constexpr int kPanWarp = 20;
// A drag whose button is up with no message queued for this long has lost its release.
constexpr DWORD kLostReleaseMs = 1000;

POINT point_of(LPARAM lp) { return POINT{(short)LOWORD(lp), (short)HIWORD(lp)}; }

void toggle_focus_rect(HWND hwnd, const RECT& r) {
    if (r.right == r.left && r.bottom == r.top) return;
    HDC dc = GetDC(hwnd);
    DrawFocusRect(dc, &r);
    ReleaseDC(hwnd, dc);
}

bool image_fits_both_ways() { return g_view.layout.margin_x != 0 && g_view.layout.margin_y != 0; }

// Selection drag: the first polled message fixes the anchor; each later one redraws
// the rectangle; the button release ends the drag.
void drag_selection_rect(HWND hwnd) {
    toggle_focus_rect(hwnd, g_app.selection);
    g_app.selection = RECT{};
    SetCapture(hwnd);
    bool anchored = false, done = false;
    POINT anchor{};
    DWORD quiet_since = GetTickCount();
    while (!done) {
        MSG msg;
        bool any = false;
        while (!done && PeekMessage(&msg, hwnd, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
            any = true;
            const POINT at = point_of(msg.lParam);
            const bool release = msg.message == WM_LBUTTONUP;
            if (!anchored) {
                anchored = true;
                anchor = at;
                done = release;
                continue;
            }
            toggle_focus_rect(hwnd, g_app.selection);
            const ViewRect r = drag_selection(anchor.x, anchor.y, at.x, at.y, g_view.layout);
            g_app.selection = RECT{r.left, r.top, r.right, r.bottom};
            toggle_focus_rect(hwnd, g_app.selection);
            done = release;
        }
        if (done || GetCapture() != hwnd) break;
        if (any || (GetAsyncKeyState(VK_LBUTTON) & 0x8000)) quiet_since = GetTickCount();
        else if (GetTickCount() - quiet_since > kLostReleaseMs) break;
        Sleep(kSelectionPollMs);
    }
    ReleaseCapture();
}

// Keeps the cursor inside the client area, moving the remembered start along.
void warp_inside(HWND hwnd, POINT& cursor, POINT& start) {
    POINT shift{0, 0};
    if (cursor.x < 0) shift.x = kPanWarp;
    else if (cursor.x > g_view.layout.width) shift.x = -kPanWarp;
    if (cursor.y < 0) shift.y = kPanWarp;
    else if (cursor.y > g_view.layout.height) shift.y = -kPanWarp;
    if (!shift.x && !shift.y) return;
    cursor.x += shift.x;
    cursor.y += shift.y;
    start.x += shift.x;
    start.y += shift.y;
    POINT screen = cursor;
    ClientToScreen(hwnd, &screen);
    SetCursorPos(screen.x, screen.y);
}

// Pan mode: the view follows the cursor until the next left-button press.
void pan(HWND hwnd) {
    HCURSOR hand = LoadCursor(g_app.instance, TEXT("HAND"));
    HCURSOR old_cursor = SetCursor(hand ? hand : LoadCursor(nullptr, IDC_SIZEALL));
    SetCapture(hwnd);
    const int32_t start_x = g_view.params.src_x, start_y = g_view.params.src_y;
    POINT start;
    GetCursorPos(&start);
    ScreenToClient(hwnd, &start);
    const PageSize page = view_page_size();
    for (;;) {
        MSG msg;
        bool pressed = false;
        while (PeekMessage(&msg, hwnd, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE))
            if (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK) pressed = true;
        if (pressed || GetCapture() != hwnd) break;
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(hwnd, &cursor);
        warp_inside(hwnd, cursor, start);
        const int32_t s = g_view.params.x_scale;
        if (g_view.layout.margin_x == 0)
            g_view.params.src_x = pan_origin(start_x, start.x, cursor.x, s, g_view.layout.width, page.width);
        if (g_view.layout.margin_y == 0)
            g_view.params.src_y = pan_origin(start_y, start.y, cursor.y, s, g_view.layout.height, page.height);
        view_render(false);
        Sleep(kPanPollMs);
    }
    view_render(true);
    ReleaseCapture();
    SetCursor(old_cursor);
}

// A label with `text` in a yellow box 54 pixels above the screen point `at`, shown
// until a mouse button is released; the screen under it is put back afterwards.
void show_name_label(HWND hwnd, const TCHAR* text, POINT at) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old_font = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32(screen, text, lstrlen(text), &extent);
    RECT window;
    GetWindowRect(hwnd, &window);
    const ViewRect box = name_label_box(at.x, at.y, extent.cx, extent.cy, window.right);
    const int w = box.right - box.left, h = box.bottom - box.top;
    HDC saved_dc = CreateCompatibleDC(screen);
    HBITMAP saved = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old_saved = SelectObject(saved_dc, saved);
    BitBlt(saved_dc, 0, 0, w, h, screen, box.left, box.top, SRCCOPY);
    HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
    HGDIOBJ old_brush = SelectObject(screen, yellow);
    HGDIOBJ old_pen = SelectObject(screen, GetStockObject(BLACK_PEN));
    Rectangle(screen, box.left, box.top, box.right, box.bottom);
    SetBkMode(screen, TRANSPARENT);
    TextOut(screen, box.left + 2, box.top + 2, text, lstrlen(text));
    SelectObject(screen, old_pen);
    SelectObject(screen, old_brush);
    DeleteObject(yellow);
    const DWORD started = GetTickCount();
    for (;;) {
        MSG msg;
        if (PeekMessage(&msg, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE) ||
            PeekMessage(&msg, nullptr, WM_RBUTTONUP, WM_RBUTTONUP, PM_NOREMOVE))
            break;
        const bool held = (GetAsyncKeyState(VK_RBUTTON) & 0x8000) || (GetAsyncKeyState(VK_LBUTTON) & 0x8000);
        if (!held && GetTickCount() - started > kLostReleaseMs) break;
        if (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        } else {
            Sleep(10);
        }
    }
    BitBlt(screen, box.left, box.top, w, h, saved_dc, 0, 0, SRCCOPY);
    SelectObject(saved_dc, old_saved);
    DeleteObject(saved);
    DeleteDC(saved_dc);
    SelectObject(screen, old_font);
    ReleaseDC(nullptr, screen);
}

void toolbar_name_label(HWND hwnd, int button, POINT client) {
    const int index = toolbar_button_index(g_app.settings.toolbars, g_app.settings.toolbar, button);
    TCHAR name[128];
    load_text(CommandList[(size_t)index], name, 128);
    POINT screen = client;
    ClientToScreen(hwnd, &screen);
    show_name_label(hwnd, name, screen);
}

void context_menu(HWND hwnd, POINT client) {
    if (!g_app.context_menu) return;
    POINT at = client;
    ClientToScreen(hwnd, &at);
    TrackPopupMenu(g_app.context_menu, TPM_CENTERALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd, nullptr);
}

}  // namespace

void view_left_press(HWND hwnd, LPARAM lp) {
    if (g_app.movie_playing) {
        g_app.movie_playing = false;
        return;
    }
    const POINT at = point_of(lp);
    switch (place_of_point(g_view.layout, at.x, at.y)) {
    case PLACE_TOOLBAR: {
        const int b = toolbar_button_at(at.x);
        if (b >= 0)
            PostMessage(hwnd, WM_COMMAND,
                        toolbar_button_command(g_app.settings.toolbars, g_app.settings.toolbar, b), 0);
        return;
    }
    case PLACE_IMAGE:
        if (image_loaded()) drag_selection_rect(hwnd);
        return;
    case PLACE_STRIP: view_strip_press(hwnd, at, false); return;
    default: return;
    }
}

void view_left_double_click(HWND hwnd, LPARAM lp) {
    const POINT at = point_of(lp);
    if (image_loaded() && place_of_point(g_view.layout, at.x, at.y) == PLACE_IMAGE && !image_fits_both_ways())
        pan(hwnd);
    else
        MessageBeep(0);
}

void view_right_press(HWND hwnd, LPARAM lp) {
    const POINT at = point_of(lp);
    switch (place_of_point(g_view.layout, at.x, at.y)) {
    case PLACE_IMAGE:
        if (view_has_selection() && image_loaded()) view_zoom_to_selection();
        else context_menu(hwnd, at);
        return;
    case PLACE_TOOLBAR: {
        const int b = toolbar_button_at(at.x);
        if (b >= 0) toolbar_name_label(hwnd, b, at);
        return;
    }
    case PLACE_STRIP: view_strip_press(hwnd, at, true); return;
    default: return;
    }
}

void view_label(HWND hwnd, const TCHAR* text, POINT client) {
    POINT screen = client;
    ClientToScreen(hwnd, &screen);
    show_name_label(hwnd, text, screen);
}
