// The combo strip: cells of CW x (CH + LH) from the strip top, one per file starting
// at the first visible cell. Cells whose thumbnail has not been built are white boxes
// with a black outline.
#include "view/combo_strip_win.h"

#include "app/app_win.h"
#include "files/file_list_state_win.h"
#include "view/image_view_win.h"
#include "view/view_mouse_win.h"
#include "common/win_text_win.h"
#include "view/zoom_window_frame.h"

namespace {

// Thumbnails of the list built so far; none until the thumbnail builder runs.
int thumbnails_built() { return 0; }

}  // namespace

void combo_strip_paint(HDC dc) {
    const ViewLayout& l = g_view.layout;
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    for (int i = 0; i <= l.visible_cells; ++i) {
        const ViewRect c = strip_cell(l, i);
        Rectangle(dc, c.left, c.top, c.right, c.bottom);
    }
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
}

void combo_strip_update_current() {
    if (thumbnails_built() == 0 || g_app.file_index < 0 || !image_loaded()) return;
    const ViewLayout& l = g_view.layout;
    RECT row = {0, l.height + 1, l.width, l.height + 1 + l.cell_height};
    InvalidateRect(g_app.main_window, &row, FALSE);
}

void combo_strip_scroll(HWND hwnd, int request, int position) {
    static constexpr struct {
        int code;
        StripScroll request;
    } kCodes[] = {{SB_LINELEFT, STRIP_LINE_LEFT},   {SB_LINERIGHT, STRIP_LINE_RIGHT}, {SB_PAGELEFT, STRIP_PAGE_LEFT},
                  {SB_PAGERIGHT, STRIP_PAGE_RIGHT}, {SB_THUMBPOSITION, STRIP_THUMB},  {SB_THUMBTRACK, STRIP_THUMB}};
    for (const auto& c : kCodes) {
        if (c.code != request) continue;
        g_view.layout.first_cell = scroll_strip(g_view.layout, c.request, position, thumbnails_built());
        if (HWND bar = GetDlgItem(hwnd, kComboScrollId)) SetScrollPos(bar, SB_CTL, g_view.layout.first_cell, TRUE);
        InvalidateRect(hwnd, nullptr, FALSE);
        if (request == SB_THUMBTRACK) UpdateWindow(hwnd);
        return;
    }
}

namespace {

// Navigator drag on the current file's cell: every 50 ms the view is centred on the
// image point under the cursor, the thumbnail standing for the whole image.
void navigator_drag(HWND hwnd, int cell) {
    const ViewLayout& l = g_view.layout;
    const PageSize page = view_page_size();
    const Overview o = navigator_overview(page, l.cell_width, l.cell_height);
    const ViewRect box = strip_cell(l, cell);
    SetCapture(hwnd);
    for (;;) {
        POINT at;
        GetCursorPos(&at);
        ScreenToClient(hwnd, &at);
        drag_overview(o, at.x - box.left, at.y - box.top, g_view.layout, page, g_view.params);
        view_render(false);
        RECT r = {box.left, box.top, box.right, box.bottom};
        InvalidateRect(hwnd, &r, FALSE);
        UpdateWindow(hwnd);
        MSG msg;
        bool released = false;
        while (PeekMessage(&msg, hwnd, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE))
            if (msg.message == WM_LBUTTONUP) released = true;
        if (released || GetCapture() != hwnd || !(GetAsyncKeyState(VK_LBUTTON) & 0x8000)) break;
        Sleep(50);
    }
    ReleaseCapture();
}

}  // namespace

void view_strip_press(HWND hwnd, POINT at, bool right) {
    const int32_t file = strip_file_at(g_view.layout, at.x, g_app.file_count);
    if (file < 0) return;
    if (right) {
        if (const char* name = current_list_name(file)) {
            TCHAR text[MAX_PATH];
            to_tchar(name, text);
            view_label(hwnd, text, at);
        }
        return;
    }
    if (file != g_app.file_index) {
        show_current_list_file(file);
        return;
    }
    const bool fits = g_view.layout.margin_x != 0 && g_view.layout.margin_y != 0;
    if (image_loaded() && !fits) navigator_drag(hwnd, file - g_view.layout.first_cell);
}
