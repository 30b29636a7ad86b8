// The combo strip: cells of CW x (CH + LH) from the strip top, one per file starting
// at the first visible cell. Cells whose thumbnail has not been built are white boxes
// with a black outline.
#include "view/combo_strip_win.h"

#include "app/main_window_win.h"
#include "view/image_view_win.h"
#include "view/zoom_window_frame.h"

namespace {

// Thumbnails of the list built so far; none until the thumbnail builder runs.
int thumbnails_built() { return 0; }

}  // namespace

void combo_strip_paint(MainWindow& w, HDC dc) {
    const ViewLayout& l = w.view.layout;
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    for (int i = 0; i <= l.visible_cells; ++i) {
        const ViewRect c = strip_cell(l, i);
        Rectangle(dc, c.left, c.top, c.right, c.bottom);
    }
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
}

void combo_strip_update_current(MainWindow& w) {
    if (thumbnails_built() == 0 || w.doc.file_index < 0 || !w.doc.image_loaded()) return;
    const ViewLayout& l = w.view.layout;
    RECT row = {0, l.height + 1, l.width, l.height + 1 + l.cell_height};
    InvalidateRect(w.hwnd, &row, FALSE);
}

void combo_strip_scroll(MainWindow& w, HWND hwnd, int request, int position) {
    static constexpr struct {
        int code;
        StripScroll request;
    } kCodes[] = {{SB_LINELEFT, STRIP_LINE_LEFT},   {SB_LINERIGHT, STRIP_LINE_RIGHT}, {SB_PAGELEFT, STRIP_PAGE_LEFT},
                  {SB_PAGERIGHT, STRIP_PAGE_RIGHT}, {SB_THUMBPOSITION, STRIP_THUMB},  {SB_THUMBTRACK, STRIP_THUMB}};
    for (const auto& c : kCodes) {
        if (c.code != request) continue;
        w.view.layout.first_cell = scroll_strip(w.view.layout, c.request, position, thumbnails_built());
        if (HWND bar = GetDlgItem(hwnd, kComboScrollId)) SetScrollPos(bar, SB_CTL, w.view.layout.first_cell, TRUE);
        InvalidateRect(hwnd, nullptr, FALSE);
        if (request == SB_THUMBTRACK) UpdateWindow(hwnd);
        return;
    }
}
