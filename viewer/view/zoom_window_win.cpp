// The zoom window ("GLZOOMCLASS", title "Zoom"): the turned page reduced into the
// client area by one scale z (no overview when that would enlarge more than 8 times),
// drawn with the main view's colour tables, with a blue-and-white frame marking the
// visible part. A drag centres the main view on the point under the cursor.
#include "view/zoom_window_win.h"

#include <algorithm>

#include "resource_ids.h"
#include "app/app_win.h"
#include "view/image_view_win.h"
#include "view/zoom_window_frame.h"

namespace {

constexpr TCHAR kClassName[] = TEXT("GLZOOMCLASS");
constexpr UINT kDragPollMs = 50;

HWND g_window = nullptr;
HBITMAP g_overview = nullptr;
Overview g_geometry = {};
bool g_has_overview = false;

void delete_overview() {
    if (g_overview) DeleteObject(g_overview);
    g_overview = nullptr;
    g_has_overview = false;
}

int overview_depth() {
    int depth = g_app.page.bits_per_pixel;
    if (depth == 1 && g_app.settings.flags.ScaleToGray) depth = 4;
    return std::min(depth, std::max(1, g_app.display.bits_per_pixel));
}

void rebuild_overview() {
    delete_overview();
    if (!g_window || !image_loaded()) return;
    RECT client;
    GetClientRect(g_window, &client);
    if (zoom_window_overview(view_page_size(), client.right + 1, client.bottom + 1, &g_geometry) != 0) return;
    const int depth = overview_depth();
    BITMAPINFO* info = static_cast<BITMAPINFO*>(mem_alloc(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD)));
    if (!info) return;
    view_bitmap_info(info, g_geometry.width, g_geometry.height, depth);
    HDC dc = GetDC(g_window);
    HPALETTE old = view_select_palette(dc);
    void* bits = nullptr;
    const UINT usage = depth == 4 || depth == 8 ? DIB_PAL_COLORS : DIB_RGB_COLORS;
    g_overview = CreateDIBSection(dc, info, usage, &bits, nullptr, 0);
    if (old) SelectPalette(dc, old, FALSE);
    ReleaseDC(g_window, dc);
    mem_free(info);
    if (!g_overview) return;
    const ViewParams vp = overview_view(g_geometry, g_app.view_rotation, g_app.settings.flags.ScaleToGray, depth,
                                        static_cast<uint8_t*>(bits));
    GdiFlush();
    g_has_overview = view_draw_page(g_app.page, vp, depth, static_cast<uint8_t*>(bits)) == IMG_OK;
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

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    if (!image_loaded() || !g_has_overview) {
        FillRect(dc, &client, image_loaded() ? view_background_brush() : (HBRUSH)GetStockObject(WHITE_BRUSH));
        EndPaint(hwnd, &ps);
        return;
    }
    const Overview& o = g_geometry;
    HBRUSH background = view_background_brush();
    const RECT margins[4] = {{0, 0, client.right, o.offset_y},
                             {0, o.offset_y + o.height, client.right, client.bottom},
                             {0, o.offset_y, o.offset_x, o.offset_y + o.height},
                             {o.offset_x + o.width, o.offset_y, client.right, o.offset_y + o.height}};
    for (const RECT& m : margins)
        if (m.right > m.left && m.bottom > m.top) FillRect(dc, &m, background);
    HPALETTE old_palette = view_select_palette(dc);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, g_overview);
    BitBlt(dc, o.offset_x, o.offset_y, o.width, o.height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    if (old_palette) SelectPalette(dc, old_palette, FALSE);
    draw_frame(dc, zoom_window_frame(o, g_view.params, g_view.layout, view_page_size()));
    EndPaint(hwnd, &ps);
}

bool image_fits_main_view() { return g_view.layout.margin_x != 0 && g_view.layout.margin_y != 0; }

// Drag: every 50 ms the main view is centred on the overview point under the cursor.
void drag(HWND hwnd) {
    if (!image_loaded() || !g_has_overview || image_fits_main_view()) return;
    SetCapture(hwnd);
    for (;;) {
        POINT at;
        GetCursorPos(&at);
        ScreenToClient(hwnd, &at);
        drag_overview(g_geometry, at.x, at.y, g_view.layout, view_page_size(), g_view.params);
        view_render(false);
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
        MSG msg;
        bool released = false;
        while (PeekMessage(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE))
            if (msg.message == WM_LBUTTONUP) released = true;
        if (released || !(GetAsyncKeyState(VK_LBUTTON) & 0x8000) || GetCapture() != hwnd) break;
        Sleep(kDragPollMs);
    }
    ReleaseCapture();
}

LRESULT CALLBACK zoom_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        rebuild_overview();
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_PAINT: paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: drag(hwnd); return 0;
    case WM_CHAR: PostMessage(g_app.main_window, WM_CHAR, wp, lp); return 0;
    case WM_QUERYNEWPALETTE:
    case WM_PALETTECHANGED: {
        if (msg == WM_PALETTECHANGED && (HWND)wp == hwnd) return 0;
        HDC dc = GetDC(hwnd);
        HPALETTE old = view_select_palette(dc);
        const UINT changed = old ? RealizePalette(dc) : 0;
        if (old) SelectPalette(dc, old, FALSE);
        ReleaseDC(hwnd, dc);
        if (changed) InvalidateRect(hwnd, nullptr, FALSE);
        return changed;
    }
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY:
        g_window = nullptr;
        delete_overview();
        return 0;
    default: return DefWindowProc(hwnd, msg, wp, lp);
    }
}

}  // namespace

bool register_zoom_window_class(HINSTANCE instance) {
    WNDCLASS wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = zoom_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(IDI_GLIMRA));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = kClassName;
    return RegisterClass(&wc) != 0;
}

HWND zoom_window() { return g_window; }

void toggle_zoom_window() {
    if (g_window) {
        DestroyWindow(g_window);
        return;
    }
    RECT main;
    GetWindowRect(g_app.main_window, &main);
    int32_t w = 0, h = 0;
    zoom_window_size(g_app.settings.zoom_cx, g_app.settings.zoom_cy, main.right - main.left, main.bottom - main.top, &w,
                     &h);
    g_window = CreateWindowEx(0, kClassName, TEXT("Zoom"), WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE, 0, 0, w,
                              h, g_app.main_window, nullptr, g_app.instance, nullptr);
    if (!g_window) return;
    ShowWindow(g_window, SW_SHOW);
    zoom_window_refresh(true);
}

void zoom_window_refresh(bool recompute) {
    if (!g_window) return;
    if (recompute) rebuild_overview();
    InvalidateRect(g_window, nullptr, FALSE);
}
