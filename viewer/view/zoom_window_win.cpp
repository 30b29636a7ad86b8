// The zoom window ("GLZOOMCLASS", title "Zoom"): the turned page reduced into the
// client area by one scale z (no overview when that would enlarge more than 8 times),
// drawn with the main view's colour tables, with a blue-and-white frame marking the
// visible part. A drag centres the main view on the point under the cursor.
#include "view/zoom_window_win.h"

#include <algorithm>

#include "resource_ids.h"
#include "app/main_window_win.h"
#include "common/attached_window_win.h"
#include "view/image_view_win.h"
#include "view/zoom_window_frame.h"

namespace {

constexpr TCHAR kClassName[] = TEXT("GLZOOMCLASS");
// The state attached to the zoom window (GWLP_USERDATA) while it exists.
struct ZoomWindow {
    MainWindow& main;
    HWND hwnd = nullptr;
    HBITMAP overview = nullptr;
    Overview geometry = {};
    bool has_overview = false;
    bool dragging = false;
};

ZoomWindow* zoom_of(HWND hwnd) { return attached_state<ZoomWindow>(hwnd); }

void delete_overview(ZoomWindow& z) {
    if (z.overview) DeleteObject(z.overview);
    z.overview = nullptr;
    z.has_overview = false;
}

int overview_depth(MainWindow& w) {
    int depth = w.doc.page.bits_per_pixel;
    if (depth == 1 && w.app.settings.flags.ScaleToGray) depth = 4;
    return std::min(depth, std::max(1, w.app.display.bits_per_pixel));
}

void rebuild_overview(ZoomWindow& z) {
    MainWindow& w = z.main;
    delete_overview(z);
    if (!z.hwnd || !w.doc.image_loaded()) return;
    RECT client;
    GetClientRect(z.hwnd, &client);
    if (zoom_window_overview(view_page_size(w), client.right + 1, client.bottom + 1, &z.geometry) != 0) return;
    const int depth = overview_depth(w);
    BITMAPINFO* info = static_cast<BITMAPINFO*>(mem_alloc(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)));
    if (!info) return;
    view_bitmap_info(info, z.geometry.width, z.geometry.height, depth);
    HDC dc = GetDC(z.hwnd);
    HPALETTE old = view_select_palette(w, dc);
    void* bits = nullptr;
    const UINT usage = depth == 4 || depth == 8 ? DIB_PAL_COLORS : DIB_RGB_COLORS;
    z.overview = CreateDIBSection(dc, info, usage, &bits, nullptr, 0);
    if (old) SelectPalette(dc, old, FALSE);
    ReleaseDC(z.hwnd, dc);
    mem_free(info);
    if (!z.overview) return;
    const ViewParams vp = overview_view(z.geometry, w.doc.view_rotation, w.app.settings.flags.ScaleToGray, depth,
                                        static_cast<uint8_t*>(bits));
    GdiFlush();
    z.has_overview = view_draw_page(w, w.doc.page, vp, depth, static_cast<uint8_t*>(bits)) == IMG_OK;
}

// A pure blue outline with a white one a pixel inside it.
void draw_frame(HDC dc, const ViewRect& r) {
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HPEN blue = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    HGDIOBJ old_pen = SelectObject(dc, blue);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, GetStockObject(WHITE_PEN));
    Rectangle(dc, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(blue);
}

void paint(ZoomWindow& z, HWND hwnd) {
    MainWindow& w = z.main;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    if (!w.doc.image_loaded() || !z.has_overview) {
        FillRect(dc, &client, w.doc.image_loaded() ? view_background_brush(w) : (HBRUSH)GetStockObject(WHITE_BRUSH));
        EndPaint(hwnd, &ps);
        return;
    }
    const Overview& o = z.geometry;
    HBRUSH background = view_background_brush(w);
    const RECT margins[4] = {{0, 0, client.right, o.offset_y},
                             {0, o.offset_y + o.height, client.right, client.bottom},
                             {0, o.offset_y, o.offset_x, o.offset_y + o.height},
                             {o.offset_x + o.width, o.offset_y, client.right, o.offset_y + o.height}};
    for (const RECT& m : margins)
        if (m.right > m.left && m.bottom > m.top) FillRect(dc, &m, background);
    HPALETTE old_palette = view_select_palette(w, dc);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, z.overview);
    BitBlt(dc, o.offset_x, o.offset_y, o.width, o.height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    if (old_palette) SelectPalette(dc, old_palette, FALSE);
    draw_frame(dc, zoom_window_frame(o, w.view.params, w.view.layout, view_page_size(w)));
    EndPaint(hwnd, &ps);
}

bool image_fits_main_view(MainWindow& w) { return w.view.layout.margin_x != 0 && w.view.layout.margin_y != 0; }

// A left press captures the mouse; until the release each move centres the main view
// on the overview point under the cursor.
void drag_to(ZoomWindow& z, POINT at) {
    MainWindow& w = z.main;
    drag_overview(z.geometry, at.x, at.y, w.view.layout, view_page_size(w), w.view.params);
    view_render(w, false);
    InvalidateRect(z.hwnd, nullptr, FALSE);
    UpdateWindow(z.hwnd);
}

void start_drag(ZoomWindow& z, LPARAM lp) {
    MainWindow& w = z.main;
    if (!w.doc.image_loaded() || !z.has_overview || image_fits_main_view(w)) return;
    z.dragging = true;
    SetCapture(z.hwnd);
    drag_to(z, POINT{(short)LOWORD(lp), (short)HIWORD(lp)});
}

void end_drag(ZoomWindow& z) {
    if (!z.dragging) return;
    z.dragging = false;
    if (GetCapture() == z.hwnd) ReleaseCapture();
}

LRESULT handle_message(ZoomWindow& z, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    MainWindow& w = z.main;
    switch (msg) {
    case WM_SIZE:
        rebuild_overview(z);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_PAINT: paint(z, hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: start_drag(z, lp); return 0;
    case WM_MOUSEMOVE:
        if (z.dragging) drag_to(z, POINT{(short)LOWORD(lp), (short)HIWORD(lp)});
        return 0;
    case WM_LBUTTONUP: end_drag(z); return 0;
    case WM_CAPTURECHANGED:
        if ((HWND)lp != hwnd) z.dragging = false;
        return 0;
    case WM_CHAR: PostMessage(w.hwnd, WM_CHAR, wp, lp); return 0;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED: {
        if (msg == WM_PALETTECHANGED && (HWND)wp == hwnd) return 0;
        HDC dc = GetDC(hwnd);
        HPALETTE old = view_select_palette(w, dc);
        const UINT changed = old ? RealizePalette(dc) : 0;
        if (old) SelectPalette(dc, old, FALSE);
        ReleaseDC(hwnd, dc);
        if (changed) InvalidateRect(hwnd, nullptr, FALSE);
        return changed;
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY:
        w.zoom = nullptr;
        delete_overview(z);
        return 0;
    default: return DefWindowProc(hwnd, msg, wp, lp);
    }
}

}  // namespace

bool register_zoom_window_class(HINSTANCE instance) {
    WNDCLASS wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = attached_window_proc<ZoomWindow, handle_message>;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(IDI_GLIMRA));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = kClassName;
    return RegisterClass(&wc) != 0;
}

void toggle_zoom_window(MainWindow& w) {
    if (w.zoom) {
        DestroyWindow(w.zoom);
        return;
    }
    RECT main;
    GetWindowRect(w.hwnd, &main);
    int32_t width = 0, height = 0;
    zoom_window_size(w.app.settings.zoom_cx, w.app.settings.zoom_cy, main.right - main.left, main.bottom - main.top,
                     &width, &height);
    w.zoom = create_attached_window(new ZoomWindow{w}, 0, kClassName, TEXT("Zoom"),
                                    WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE, 0, 0, width, height, w.hwnd,
                                    w.app.instance);
    if (!w.zoom) return;
    ShowWindow(w.zoom, SW_SHOW);
    zoom_window_refresh(w, true);
}

void zoom_window_refresh(MainWindow& w, bool recompute) {
    if (!w.zoom) return;
    if (recompute) rebuild_overview(*zoom_of(w.zoom));
    InvalidateRect(w.zoom, nullptr, FALSE);
}
