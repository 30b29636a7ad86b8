// The mouse in the main window: toolbar buttons, the selection drag in the image
// area, pan mode on a double-click, presses on the combo strip (a file, the
// navigator drag, the name label), the right-click menu, zoom to the selection and the yellow name labels. A drag takes
// the mouse capture on the press and is carried on by WM_MOUSEMOVE; the release (or
// the next press, for pan mode) or a lost capture ends it, so no loop waits here.
#include "view/view_mouse_win.h"

#include <algorithm>

#include "app/main_window_win.h"
#include "common/win_text_win.h"
#include "settings/command_list.h"
#include "settings/toolbar_layout.h"
#include "files/file_list_state_win.h"
#include "view/image_view_win.h"
#include "view/view_commands_win.h"
#include "view/view_selection.h"

namespace {

constexpr int kPanWarp = 20;

POINT point_of(LPARAM lp) { return POINT{(short)LOWORD(lp), (short)HIWORD(lp)}; }

void toggle_focus_rect(HWND hwnd, const RECT& r) {
    if (r.right == r.left && r.bottom == r.top) return;
    HDC dc = GetDC(hwnd);
    DrawFocusRect(dc, &r);
    ReleaseDC(hwnd, dc);
}

bool image_fits_both_ways(const MainWindow& w) { return w.view.layout.margin_x != 0 && w.view.layout.margin_y != 0; }

void begin_drag(MainWindow& w, DragKind kind) {
    w.drag.kind = kind;
    SetCapture(w.hwnd);
}

// ---- Selection ------------------------------------------------------------------

void start_selection(MainWindow& w) {
    toggle_focus_rect(w.hwnd, w.doc.selection);
    w.doc.selection = RECT{};
    w.drag.anchored = false;
    begin_drag(w, DragKind::Selection);
}

// The first message after the press fixes the anchor; each later one redraws the
// rectangle, clamped to the image area with its corners ordered.
void selection_step(MainWindow& w, POINT at) {
    if (!w.drag.anchored) {
        w.drag.anchored = true;
        w.drag.anchor = at;
        return;
    }
    toggle_focus_rect(w.hwnd, w.doc.selection);
    const ViewRect r = drag_selection(w.drag.anchor.x, w.drag.anchor.y, at.x, at.y, w.view.layout);
    w.doc.selection = RECT{r.left, r.top, r.right, r.bottom};
    toggle_focus_rect(w.hwnd, w.doc.selection);
}

// ---- Pan mode -------------------------------------------------------------------

void start_pan(MainWindow& w) {
    HCURSOR hand = LoadCursor(w.app.instance, TEXT("HAND"));
    w.drag.old_cursor = SetCursor(hand ? hand : LoadCursor(nullptr, IDC_SIZEALL));
    w.drag.start_x = w.view.params.src_x;
    w.drag.start_y = w.view.params.src_y;
    GetCursorPos(&w.drag.start);
    ScreenToClient(w.hwnd, &w.drag.start);
    begin_drag(w, DragKind::Pan);
}

// Keeps the cursor inside the client area, moving the remembered start along.
void warp_inside(MainWindow& w, POINT& cursor) {
    POINT shift{0, 0};
    if (cursor.x < 0) shift.x = kPanWarp;
    else if (cursor.x > w.view.layout.width) shift.x = -kPanWarp;
    if (cursor.y < 0) shift.y = kPanWarp;
    else if (cursor.y > w.view.layout.height) shift.y = -kPanWarp;
    if (!shift.x && !shift.y) return;
    cursor.x += shift.x;
    cursor.y += shift.y;
    w.drag.start.x += shift.x;
    w.drag.start.y += shift.y;
    POINT screen = cursor;
    ClientToScreen(w.hwnd, &screen);
    SetCursorPos(screen.x, screen.y);
}

void pan_step(MainWindow& w, POINT cursor) {
    warp_inside(w, cursor);
    const PageSize page = view_page_size(w);
    const int32_t s = w.view.params.x_scale;
    if (w.view.layout.margin_x == 0)
        w.view.params.src_x = pan_origin(w.drag.start_x, w.drag.start.x, cursor.x, s, w.view.layout.width, page.width);
    if (w.view.layout.margin_y == 0)
        w.view.params.src_y = pan_origin(w.drag.start_y, w.drag.start.y, cursor.y, s, w.view.layout.height, page.height);
    view_render(w, false);
}

// ---- Name labels -----------------------------------------------------------------

// A label with `text` in a yellow box 54 pixels above the screen point `at`, shown
// until a mouse button is released; the screen under it is kept to be put back.
void show_name_label(MainWindow& w, const TCHAR* text, POINT at) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old_font = SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    SIZE extent{};
    GetTextExtentPoint32(screen, text, lstrlen(text), &extent);
    RECT window;
    GetWindowRect(w.hwnd, &window);
    const ViewRect box = name_label_box(at.x, at.y, extent.cx, extent.cy, window.right);
    const int width = box.right - box.left, height = box.bottom - box.top;
    MouseDrag& d = w.drag;
    d.box = RECT{box.left, box.top, box.right, box.bottom};
    d.saved_dc = CreateCompatibleDC(screen);
    d.saved = CreateCompatibleBitmap(screen, width, height);
    d.old_saved = SelectObject(d.saved_dc, d.saved);
    BitBlt(d.saved_dc, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
    HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
    HGDIOBJ old_brush = SelectObject(screen, yellow);
    HGDIOBJ old_pen = SelectObject(screen, GetStockObject(BLACK_PEN));
    Rectangle(screen, box.left, box.top, box.right, box.bottom);
    SetBkMode(screen, TRANSPARENT);
    TextOut(screen, box.left + 2, box.top + 2, text, lstrlen(text));
    SelectObject(screen, old_pen);
    SelectObject(screen, old_brush);
    DeleteObject(yellow);
    SelectObject(screen, old_font);
    ReleaseDC(nullptr, screen);
    begin_drag(w, DragKind::Label);
}

void hide_name_label(MouseDrag& d) {
    if (!d.saved_dc) return;
    HDC screen = GetDC(nullptr);
    BitBlt(screen, d.box.left, d.box.top, d.box.right - d.box.left, d.box.bottom - d.box.top, d.saved_dc, 0, 0,
           SRCCOPY);
    ReleaseDC(nullptr, screen);
    SelectObject(d.saved_dc, d.old_saved);
    DeleteObject(d.saved);
    DeleteDC(d.saved_dc);
    d.saved_dc = nullptr;
    d.saved = nullptr;
}

void toolbar_name_label(MainWindow& w, int button, POINT client) {
    const int index = toolbar_button_index(w.app.settings.toolbars, w.app.settings.toolbar, button);
    TCHAR name[128];
    load_text(CommandList[(size_t)index], name, 128);
    view_label(w, w.hwnd, name, client);
}

void context_menu(MainWindow& w, POINT client) {
    if (!w.app.context_menu) return;
    POINT at = client;
    ClientToScreen(w.hwnd, &at);
    TrackPopupMenu(w.app.context_menu, TPM_CENTERALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, w.hwnd, nullptr);
}

// Ends the drag in progress: what each kind leaves behind, then the capture goes.
void end_drag(MainWindow& w) {
    const DragKind kind = w.drag.kind;
    if (kind == DragKind::None) return;
    w.drag.kind = DragKind::None;  // first, so the WM_CAPTURECHANGED below finds nothing
    if (kind == DragKind::Pan) view_render(w, true);
    if (kind == DragKind::Label) hide_name_label(w.drag);
    if (GetCapture() == w.hwnd) ReleaseCapture();
    if (kind == DragKind::Pan) SetCursor(w.drag.old_cursor);
}

}  // namespace

void view_left_press(MainWindow& w, HWND hwnd, LPARAM lp) {
    if (w.drag.kind == DragKind::Pan) {  // pan mode ends at the next press
        end_drag(w);
        return;
    }
    end_drag(w);
    if (w.app.flags.movie_playing) {
        w.app.flags.movie_playing = false;
        return;
    }
    const POINT at = point_of(lp);
    switch (place_of_point(w.view.layout, at.x, at.y)) {
    case PLACE_TOOLBAR: {
        const int b = toolbar_button_at(at.x);
        if (b >= 0)
            PostMessage(hwnd, WM_COMMAND, toolbar_button_command(w.app.settings.toolbars, w.app.settings.toolbar, b),
                        0);
        return;
    }
    case PLACE_IMAGE:
        if (w.doc.image_loaded()) start_selection(w);
        return;
    case PLACE_STRIP: view_strip_press(w, hwnd, at, false); return;
    default: return;
    }
}

void view_left_double_click(MainWindow& w, HWND hwnd, LPARAM lp) {
    if (w.drag.kind == DragKind::Pan) {
        end_drag(w);
        return;
    }
    end_drag(w);
    const POINT at = point_of(lp);
    if (w.doc.image_loaded() && place_of_point(w.view.layout, at.x, at.y) == PLACE_IMAGE && !image_fits_both_ways(w))
        start_pan(w);
    else
        MessageBeep(0);
    (void)hwnd;
}

void view_right_press(MainWindow& w, HWND hwnd, LPARAM lp) {
    end_drag(w);
    const POINT at = point_of(lp);
    switch (place_of_point(w.view.layout, at.x, at.y)) {
    case PLACE_IMAGE:
        if (view_has_selection(w) && w.doc.image_loaded()) view_zoom_to_selection(w);
        else context_menu(w, at);
        return;
    case PLACE_TOOLBAR: {
        const int b = toolbar_button_at(at.x);
        if (b >= 0) toolbar_name_label(w, b, at);
        return;
    }
    case PLACE_STRIP: view_strip_press(w, hwnd, at, true); return;
    default: return;
    }
}

void view_mouse_move(MainWindow& w, LPARAM lp) {
    const POINT at = point_of(lp);
    switch (w.drag.kind) {
    case DragKind::Selection: selection_step(w, at); return;
    case DragKind::Pan: pan_step(w, at); return;
    case DragKind::Navigator: combo_navigator_step(w, at); return;
    default: return;
    }
}

void view_left_release(MainWindow& w, LPARAM lp) {
    switch (w.drag.kind) {
    case DragKind::Selection:
        selection_step(w, point_of(lp));
        end_drag(w);
        return;
    case DragKind::Navigator:
    case DragKind::Label: end_drag(w); return;
    default: return;  // pan mode ignores releases (the double-click's own among them)
    }
}

void view_right_release(MainWindow& w) {
    if (w.drag.kind == DragKind::Label) end_drag(w);
}

void view_capture_lost(MainWindow& w, HWND capture) {
    if (capture != w.hwnd) end_drag(w);
}

void view_label(MainWindow& w, HWND hwnd, const TCHAR* text, POINT client) {
    POINT screen = client;
    ClientToScreen(hwnd, &screen);
    show_name_label(w, text, screen);
}

void combo_navigator_start(MainWindow& w, int cell) {
    const ViewLayout& l = w.view.layout;
    w.drag.overview = navigator_overview(view_page_size(w), l.cell_width, l.cell_height);
    w.drag.cell = cell;
    begin_drag(w, DragKind::Navigator);
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(w.hwnd, &at);
    combo_navigator_step(w, at);
}

// One step of the navigator drag on the current file's cell: the view is centred on
// the image point under the cursor, the thumbnail standing for the whole image.
void combo_navigator_step(MainWindow& w, POINT at) {
    const ViewRect box = strip_cell(w.view.layout, w.drag.cell);
    drag_overview(w.drag.overview, at.x - box.left, at.y - box.top, w.view.layout, view_page_size(w), w.view.params);
    view_render(w, false);
    RECT r = {box.left, box.top, box.right, box.bottom};
    InvalidateRect(w.hwnd, &r, FALSE);
    UpdateWindow(w.hwnd);
}

void view_strip_press(MainWindow& w, HWND hwnd, POINT at, bool right) {
    const int32_t file = strip_file_at(w.view.layout, at.x, w.doc.file_count);
    if (file < 0) return;
    if (right) {
        if (const char* name = current_list_name(w, file)) {
            TCHAR text[MAX_PATH];
            to_tchar(name, text);
            view_label(w, hwnd, text, at);
        }
        return;
    }
    if (file != w.doc.file_index) {
        show_current_list_file(w, file);
        return;
    }
    const bool fits = w.view.layout.margin_x != 0 && w.view.layout.margin_y != 0;
    if (w.doc.image_loaded() && !fits) combo_navigator_start(w, file - w.view.layout.first_cell);
}
