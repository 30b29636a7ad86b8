// The image view: the display bitmap is a top-down DIB section of the image area at
// the page's display depth, filled by scale_page with the view transform and the tone
// tables; painting centres a small image on the background colour and draws the
// selection, the toolbar strip (with the page number) and the tag icons.
#include "view/image_view_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "app/app_win.h"
#include "view/combo_strip_win.h"
#include "settings/command_list.h"
#include "settings/option_words.h"
#include "settings/toolbar_layout.h"
#include "view/view_display.h"
#include "view/zoom_window_win.h"

ImageView g_view;
ViewImageLists g_view_lists;

namespace {

uint8_t g_tone[TONE_TABLE_BYTES];

struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

const OptionFlags& flags() { return g_app.settings.flags; }

bool combo_shown() { return flags().ComboView && flags().ThumbsEnabled && !g_app.glimra_mode; }

LayoutInput layout_input(int client_width, int client_height) {
    LayoutInput in{};
    in.client_width = client_width;
    in.client_height = client_height;
    in.screen_height = g_app.screen_height;
    thumbnail_cell_size(g_app.settings.thumb_size, g_app.settings.thumb_shape, &in.cell_width, &in.cell_height);
    in.combo_view = combo_shown();
    in.thumb_names = flags().ThumbNames;
    in.thumb_font_height = g_app.settings.thumb_font.height;
    in.list_count = g_app.file_count;
    return in;
}

void delete_bitmap() {
    if (g_view.bitmap) DeleteObject(g_view.bitmap);
    g_view.bitmap = nullptr;
    g_view.bits = nullptr;
    g_view.depth = 0;
}

int page_depth_for_display() {
    return display_depth(g_app.page.bits_per_pixel, g_app.display.bits_per_pixel, flags());
}

// Draws the page at its own depth into a scratch buffer and reduces it with error
// diffusion to `depth` rows in `pixels` (laid out for vp.out_width at `depth`).
int draw_reduced(const PageBitmap& page, const ViewParams& vp, int depth, uint8_t* pixels) {
    ViewParams own = vp;
    own.out_pitch = view_row_bytes(vp.out_width, page.bits_per_pixel);
    const size_t size = (size_t)own.out_pitch * (size_t)vp.out_height;
    if (own.out_pitch == 0 || size == 0) return ERR_PARAMETER;
    uint8_t* scratch = static_cast<uint8_t*>(mem_alloc(size));
    if (!scratch) return ERR_MEMORY;
    own.pixels = scratch;
    int rc = scale_page(&page, &own, 1, g_tone);
    PageBitmap drawn{};
    drawn.width = vp.out_width;
    drawn.height = vp.out_height;
    drawn.bits_per_pixel = page.bits_per_pixel;
    drawn.pitch = own.out_pitch;
    drawn.data = scratch;
    drawn.data_length = (int32_t)size;
    drawn.ownership = OWN_BORROWED;
    drawn.layout = LAYOUT_TOP_DOWN;
    if (rc == IMG_OK) rc = convert_depth(&drawn, depth, DEPTH_DIFFUSE);
    if (rc == IMG_OK && drawn.bits_per_pixel == depth && drawn.data) {
        const int32_t out_pitch = view_row_bytes(vp.out_width, depth);
        const int32_t copy = std::min(out_pitch, drawn.pitch);
        for (int32_t y = 0; y < vp.out_height; ++y)
            std::memcpy(pixels + (size_t)y * out_pitch, drawn.data + (size_t)y * drawn.pitch, (size_t)copy);
    }
    if (drawn.data != scratch) mem_free(drawn.data);
    if (drawn.palette) mem_free(drawn.palette);
    mem_free(scratch);
    return rc;
}

void fill_rect(HDC dc, const ViewRect& r, HBRUSH brush) {
    RECT rc = {r.left, r.top, r.right, r.bottom};
    FillRect(dc, &rc, brush);
}

void paint_image(HDC dc) {
    const PageSize page = view_page_size();
    ViewPaintGeometry g = paint_geometry(g_view.layout, page, g_view.params.x_scale, g_view.params.y_scale);
    g_view.layout.margin_x = g.margin_x;
    g_view.layout.margin_y = g.margin_y;
    HBRUSH background = view_background_brush();
    for (int i = 0; i < g.margin_count; ++i) fill_rect(dc, g.margins[i], background);
    if (!g_view.bitmap) return;
    HPALETTE old_palette = view_select_palette(dc);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, g_view.bitmap);
    if (g_view.palette) SelectPalette(memory, g_view.palette, FALSE);
    BitBlt(dc, g.image.left, g.image.top, g.image.right - g.image.left, g.image.bottom - g.image.top, memory, 0, 0,
           SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    if (old_palette) SelectPalette(dc, old_palette, FALSE);
    view_draw_selection(dc);
}

void paint_tags(HDC dc) {
    if (!g_view_lists.tags || g_app.file_index < 0 || g_app.file_index >= (int)sizeof g_app.tags) return;
    const TagIcons icons = tag_icons(g_app.tags[g_app.file_index]);
    for (int i = 0; i < icons.count; ++i)
        ImageList_Draw(g_view_lists.tags, icons.icon[i], dc, 5 + kTagIconStep * i, g_view.layout.top + 5,
                       ILD_TRANSPARENT);
}

}  // namespace

void view_init() {
    view_build_tone_tables();
}

void view_release() {
    delete_bitmap();
    if (g_view.palette) DeleteObject(g_view.palette);
    g_view.palette = nullptr;
}

void view_build_tone_tables() { build_tone_table(g_app.settings.gamma, g_app.settings.brightness, g_tone); }

const uint8_t* view_tone_tables() { return g_tone; }

PageSize view_page_size() { return turned_size(g_app.page.width, g_app.page.height, g_view.params.angle); }

void view_build_palette() {
    if (g_view.palette) DeleteObject(g_view.palette);
    g_view.palette = nullptr;
    if (!image_loaded()) return;
    PaletteEntry entries[256];
    const int count =
        view_palette(g_app.page.bits_per_pixel, g_app.display.bits_per_pixel, flags(), g_app.page.palette, entries);
    if (count <= 0) return;
    struct {
        WORD version, count;
        PALETTEENTRY entries[256];
    } logical = {0x300, (WORD)count, {}};
    for (int i = 0; i < count; ++i) logical.entries[i] = PALETTEENTRY{entries[i].red, entries[i].green, entries[i].blue, 0};
    g_view.palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
}

void view_bitmap_info(BITMAPINFO* info, int32_t w, int32_t h, int depth) {
    auto* dib = reinterpret_cast<DibInfo*>(info);
    std::memset(dib, 0, sizeof *dib);
    dib->header.biSize = sizeof(BITMAPINFOHEADER);
    dib->header.biWidth = w;
    dib->header.biHeight = -h;
    dib->header.biPlanes = 1;
    dib->header.biBitCount = (WORD)depth;
    dib->header.biCompression = depth == 16 ? BI_BITFIELDS : BI_RGB;
    if (depth == 1) {
        dib->colors[1] = RGBQUAD{255, 255, 255, 0};
    } else if (depth == 16) {
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(dib->colors, masks, sizeof masks);
    } else if (depth == 4 || depth == 8) {
        WORD* indices = reinterpret_cast<WORD*>(dib->colors);
        for (int i = 0; i < (1 << depth); ++i) indices[i] = (WORD)i;
    }
}

void view_rebuild_bitmap() {
    delete_bitmap();
    if (!image_loaded()) return;
    const int depth = page_depth_for_display();
    const int32_t w = g_view.layout.width, h = g_view.layout.height;
    if (w <= 0 || h <= 0) return;
    DibInfo info;
    view_bitmap_info(reinterpret_cast<BITMAPINFO*>(&info), w, h, depth);
    const UINT usage = depth == 4 || depth == 8 ? DIB_PAL_COLORS : DIB_RGB_COLORS;
    HDC dc = GetDC(g_app.main_window);
    HPALETTE old = view_select_palette(dc);
    void* bits = nullptr;
    g_view.bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), usage, &bits, nullptr, 0);
    if (old) SelectPalette(dc, old, FALSE);
    ReleaseDC(g_app.main_window, dc);
    if (!g_view.bitmap) return;
    g_view.bits = static_cast<uint8_t*>(bits);
    g_view.depth = depth;
    set_view_output(g_view.params, g_view.layout, depth, g_view.bits);
}

void view_apply(int32_t mode) {
    if (!is_snap_view(mode)) mode = g_app.settings.def_view;
    apply_snap_view(g_view.params, mode, g_view.layout, view_page_size(), g_app.settings.custom_view);
    g_view.zoom_mode = mode;
}

void view_apply_current() { view_apply(g_view.zoom_mode); }

int view_draw_page(const PageBitmap& page, const ViewParams& vp, int depth, uint8_t* pixels) {
    ViewParams v = vp;
    v.pixels = pixels;
    v.out_pitch = view_row_bytes(v.out_width, depth);
    if (page.bits_per_pixel > 15 && depth < page.bits_per_pixel) return draw_reduced(page, v, depth, pixels);
    return scale_page(&page, &v, 1, g_tone);
}

void view_render(bool invalidate) {
    if (!image_loaded() || !g_view.bitmap) return;
    g_view.params.flags = view_flags(flags());
    g_view.params.angle = g_app.view_rotation;
    GdiFlush();
    view_draw_page(g_app.page, g_view.params, g_view.depth, g_view.bits);
    if (invalidate) {
        InvalidateRect(g_app.main_window, nullptr, FALSE);
    } else {
        HDC dc = GetDC(g_app.main_window);
        paint_image(dc);
        ReleaseDC(g_app.main_window, dc);
    }
    view_refresh(false, false);
}

void view_refresh(bool recompute, bool update_thumbnail) {
    if (update_thumbnail) combo_strip_update_current();
    zoom_window_refresh(recompute);
}

void view_show_new_page(bool default_view) {
    view_build_palette();
    view_rebuild_bitmap();
    if (default_view) view_apply(g_app.settings.def_view);
    else view_apply_current();
    view_render(true);
    view_refresh(true, true);
}

void view_clear() {
    g_app.selection = RECT{};
    delete_bitmap();
    if (g_view.palette) DeleteObject(g_view.palette);
    g_view.palette = nullptr;
    InvalidateRect(g_app.main_window, nullptr, FALSE);
    zoom_window_refresh(true);
}

void view_layout(HWND hwnd, int client_width, int client_height) {
    (void)hwnd;
    g_view.client_width = client_width;
    g_view.client_height = client_height;
    g_view.layout = compute_layout(layout_input(client_width, client_height), g_view.layout.first_cell);
    if (image_loaded()) {
        view_rebuild_bitmap();
        view_apply_current();
        view_render(true);
    }
}

HPALETTE view_select_palette(HDC dc) {
    if (!g_view.palette) return nullptr;
    HPALETTE old = SelectPalette(dc, g_view.palette, FALSE);
    RealizePalette(dc);
    return old;
}

HBRUSH view_background_brush() {
    switch (g_app.settings.bk_color) {
    case 0: return (HBRUSH)GetStockObject(BLACK_BRUSH);
    case 1: return (HBRUSH)GetStockObject(GRAY_BRUSH);
    default: return (HBRUSH)GetStockObject(WHITE_BRUSH);
    }
}

bool view_has_selection() {
    const RECT& s = g_app.selection;
    return s.right != s.left || s.bottom != s.top;
}

void view_draw_selection(HDC dc) {
    if (view_has_selection()) DrawFocusRect(dc, &g_app.selection);
}

void view_paint_toolbar(HDC dc) {
    const ViewLayout& l = g_view.layout;
    const int toolbar = g_app.settings.toolbar;
    for (int b = 0; b < kToolbarButtons; ++b) {
        const int index = toolbar_button_index(g_app.settings.toolbars, toolbar, b);
        const int x = kToolbarButtonSize * b;
        if (g_view_lists.toolbar) ImageList_Draw(g_view_lists.toolbar, index, dc, x, l.toolbar_top, ILD_NORMAL);
        if (CommandList[(size_t)index] != 40023) continue;
        char text[16];
        const int length = page_button_text(g_app.page_index, text, sizeof text);
        const ViewRect r = page_button_text_rect(l, b);
        RECT box = {r.left, r.top, r.right, r.bottom};
        SetBkColor(dc, RGB(192, 192, 192));
        SetBkMode(dc, OPAQUE);
        DrawTextA(dc, text, length, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    fill_rect(dc, toolbar_fill_rect(l), (HBRUSH)GetStockObject(WHITE_BRUSH));
}

void view_paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (image_loaded() && g_view.bitmap) {
        paint_image(dc);
    } else {
        RECT area = {0, 0, g_view.layout.width, g_view.layout.top + g_view.layout.height};
        FillRect(dc, &area, (HBRUSH)GetStockObject(WHITE_BRUSH));
    }
    view_paint_toolbar(dc);
    if (image_loaded()) paint_tags(dc);
    if (g_view.layout.combo_view && ps.rcPaint.bottom > g_view.layout.strip_top) combo_strip_paint(dc);
    EndPaint(hwnd, &ps);
}
