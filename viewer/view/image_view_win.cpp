// The image view: the display bitmap is a top-down DIB section of the image area at
// the page's display depth, filled by scale_page with the view transform and the tone
// tables; painting centres a small image on the background colour and draws the
// selection, the toolbar strip (with the page number) and the tag icons.
#include "view/image_view_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "app/main_window_win.h"
#include "view/combo_strip_win.h"
#include "settings/command_list.h"
#include "settings/option_words.h"
#include "settings/toolbar_layout.h"
#include "view/view_display.h"
#include "view/zoom_window_win.h"


namespace {


struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

const OptionFlags& flags(MainWindow& w) { return w.app.settings.flags; }

bool combo_shown(MainWindow& w) { return flags(w).ComboView && flags(w).ThumbsEnabled && !w.app.glimra_mode; }

LayoutInput layout_input(MainWindow& w, int client_width, int client_height) {
    LayoutInput in{};
    in.client_width = client_width;
    in.client_height = client_height;
    in.screen_height = w.app.screen_height;
    thumbnail_cell_size(w.app.settings.thumb_size, w.app.settings.thumb_shape, &in.cell_width, &in.cell_height);
    in.combo_view = combo_shown(w);
    in.thumb_names = flags(w).ThumbNames;
    in.thumb_font_height = w.app.settings.thumb_font.height;
    in.list_count = w.doc.file_count;
    return in;
}

void delete_bitmap(MainWindow& w) {
    if (w.view.bitmap) DeleteObject(w.view.bitmap);
    w.view.bitmap = nullptr;
    w.view.bits = nullptr;
    w.view.depth = 0;
}

int page_depth_for_display(MainWindow& w) {
    return display_depth(w.doc.page.bits_per_pixel, w.app.display.bits_per_pixel, flags(w));
}

// Draws the page at its own depth into a scratch buffer and reduces it with error
// diffusion to `depth` rows in `pixels` (laid out for vp.out_width at `depth`).
int draw_reduced(MainWindow& w, const PageBitmap& page, const ViewParams& vp, int depth, uint8_t* pixels) {
    ViewParams own = vp;
    own.out_pitch = view_row_bytes(vp.out_width, page.bits_per_pixel);
    const size_t size = (size_t)own.out_pitch * (size_t)vp.out_height;
    if (own.out_pitch == 0 || size == 0) return ERR_PARAMETER;
    uint8_t* scratch = static_cast<uint8_t*>(mem_alloc(size));
    if (!scratch) return ERR_MEMORY;
    own.pixels = scratch;
    int rc = scale_page(&page, &own, 1, w.view.tone);
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
    if (page_owns_data(drawn)) mem_free(drawn.data);  // a depth change replaced the borrowed rows
    if (drawn.palette) mem_free(drawn.palette);
    mem_free(scratch);
    return rc;
}

void fill_rect(HDC dc, const ViewRect& r, HBRUSH brush) {
    RECT rc = {r.left, r.top, r.right, r.bottom};
    FillRect(dc, &rc, brush);
}

void paint_image(MainWindow& w, HDC dc) {
    const PageSize page = view_page_size(w);
    ViewPaintGeometry g = paint_geometry(w.view.layout, page, w.view.params.x_scale, w.view.params.y_scale);
    w.view.layout.margin_x = g.margin_x;
    w.view.layout.margin_y = g.margin_y;
    HBRUSH background = view_background_brush(w);
    for (int i = 0; i < g.margin_count; ++i) fill_rect(dc, g.margins[i], background);
    if (!w.view.bitmap) return;
    HPALETTE old_palette = view_select_palette(w, dc);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, w.view.bitmap);
    if (w.view.palette) SelectPalette(memory, w.view.palette, FALSE);
    BitBlt(dc, g.image.left, g.image.top, g.image.right - g.image.left, g.image.bottom - g.image.top, memory, 0, 0,
           SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    if (old_palette) SelectPalette(dc, old_palette, FALSE);
    view_draw_selection(w, dc);
}

void paint_tags(MainWindow& w, HDC dc) {
    if (!w.view.lists.tags || w.doc.file_index < 0 || w.doc.file_index >= (int)sizeof w.doc.tags) return;
    const TagIcons icons = tag_icons(w.doc.tags[w.doc.file_index]);
    for (int i = 0; i < icons.count; ++i)
        ImageList_Draw(w.view.lists.tags, icons.icon[i], dc, 5 + kTagIconStep * i, w.view.layout.top + 5,
                       ILD_TRANSPARENT);
}

}  // namespace

void view_init(MainWindow& w) {
    view_build_tone_tables(w);
}

void view_release(MainWindow& w) {
    delete_bitmap(w);
    if (w.view.palette) DeleteObject(w.view.palette);
    w.view.palette = nullptr;
}

void view_build_tone_tables(MainWindow& w) { build_tone_table(w.app.settings.gamma, w.app.settings.brightness, w.view.tone); }

const uint8_t* view_tone_tables(MainWindow& w) { return w.view.tone; }

PageSize view_page_size(MainWindow& w) { return turned_size(w.doc.page.width, w.doc.page.height, w.view.params.angle); }

void view_build_palette(MainWindow& w) {
    if (w.view.palette) DeleteObject(w.view.palette);
    w.view.palette = nullptr;
    if (!w.doc.image_loaded()) return;
    PaletteEntry entries[256];
    const int count =
        view_palette(w.doc.page.bits_per_pixel, w.app.display.bits_per_pixel, flags(w), w.doc.page.palette, entries);
    if (count <= 0) return;
    struct {
        WORD version, count;
        PALETTEENTRY entries[256];
    } logical = {0x300, (WORD)count, {}};
    for (int i = 0; i < count; ++i) logical.entries[i] = PALETTEENTRY{entries[i].red, entries[i].green, entries[i].blue, 0};
    w.view.palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&logical));
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

void view_rebuild_bitmap(MainWindow& w) {
    delete_bitmap(w);
    if (!w.doc.image_loaded()) return;
    const int depth = page_depth_for_display(w);
    const int32_t width = w.view.layout.width, height = w.view.layout.height;
    if (width <= 0 || height <= 0) return;
    DibInfo info;
    view_bitmap_info(reinterpret_cast<BITMAPINFO*>(&info), width, height, depth);
    const UINT usage = depth == 4 || depth == 8 ? DIB_PAL_COLORS : DIB_RGB_COLORS;
    HDC dc = GetDC(w.hwnd);
    HPALETTE old = view_select_palette(w, dc);
    void* bits = nullptr;
    w.view.bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), usage, &bits, nullptr, 0);
    if (old) SelectPalette(dc, old, FALSE);
    ReleaseDC(w.hwnd, dc);
    if (!w.view.bitmap) return;
    w.view.bits = static_cast<uint8_t*>(bits);
    w.view.depth = depth;
    set_view_output(w.view.params, w.view.layout, depth, w.view.bits);
}

void view_apply(MainWindow& w, int32_t mode) {
    if (!is_snap_view(mode)) mode = w.app.settings.def_view;
    apply_snap_view(w.view.params, mode, w.view.layout, view_page_size(w), w.app.settings.custom_view);
    w.view.zoom_mode = mode;
}

void view_apply_current(MainWindow& w) { view_apply(w, w.view.zoom_mode); }

int view_draw_page(MainWindow& w, const PageBitmap& page, const ViewParams& vp, int depth, uint8_t* pixels) {
    ViewParams v = vp;
    v.pixels = pixels;
    v.out_pitch = view_row_bytes(v.out_width, depth);
    if (page.bits_per_pixel > 15 && depth < page.bits_per_pixel) return draw_reduced(w, page, v, depth, pixels);
    return scale_page(&page, &v, 1, w.view.tone);
}

void view_render(MainWindow& w, bool invalidate) {
    if (!w.doc.image_loaded() || !w.view.bitmap) return;
    w.view.params.flags = view_flags(flags(w));
    w.view.params.angle = w.doc.view_rotation;
    GdiFlush();
    view_draw_page(w, w.doc.page, w.view.params, w.view.depth, w.view.bits);
    if (invalidate) {
        InvalidateRect(w.hwnd, nullptr, FALSE);
    } else {
        HDC dc = GetDC(w.hwnd);
        paint_image(w, dc);
        ReleaseDC(w.hwnd, dc);
    }
    view_refresh(w, false, false);
}

void view_refresh(MainWindow& w, bool recompute, bool update_thumbnail) {
    if (update_thumbnail) combo_strip_update_current(w);
    zoom_window_refresh(w, recompute);
}

void view_show_new_page(MainWindow& w, bool default_view) {
    view_build_palette(w);
    view_rebuild_bitmap(w);
    if (default_view) view_apply(w, w.app.settings.def_view);
    else view_apply_current(w);
    view_render(w, true);
    view_refresh(w, true, true);
}

void view_clear(MainWindow& w) {
    w.doc.selection = RECT{};
    delete_bitmap(w);
    if (w.view.palette) DeleteObject(w.view.palette);
    w.view.palette = nullptr;
    InvalidateRect(w.hwnd, nullptr, FALSE);
    zoom_window_refresh(w, true);
}

void view_layout(MainWindow& w, HWND hwnd, int client_width, int client_height) {
    (void)hwnd;
    w.view.client_width = client_width;
    w.view.client_height = client_height;
    w.view.layout = compute_layout(layout_input(w, client_width, client_height), w.view.layout.first_cell);
    if (w.doc.image_loaded()) {
        view_rebuild_bitmap(w);
        view_apply_current(w);
        view_render(w, true);
    }
}

HPALETTE view_select_palette(MainWindow& w, HDC dc) {
    if (!w.view.palette) return nullptr;
    HPALETTE old = SelectPalette(dc, w.view.palette, FALSE);
    RealizePalette(dc);
    return old;
}

HBRUSH view_background_brush(MainWindow& w) {
    switch (w.app.settings.bk_color) {
    case 0: return (HBRUSH)GetStockObject(BLACK_BRUSH);
    case 1: return (HBRUSH)GetStockObject(GRAY_BRUSH);
    default: return (HBRUSH)GetStockObject(WHITE_BRUSH);
    }
}

bool view_has_selection(MainWindow& w) {
    const RECT& s = w.doc.selection;
    return s.right != s.left || s.bottom != s.top;
}

void view_draw_selection(MainWindow& w, HDC dc) {
    if (view_has_selection(w)) DrawFocusRect(dc, &w.doc.selection);
}

void view_paint_toolbar(MainWindow& w, HDC dc) {
    const ViewLayout& l = w.view.layout;
    const int toolbar = w.app.settings.toolbar;
    for (int b = 0; b < kToolbarButtons; ++b) {
        const int index = toolbar_button_index(w.app.settings.toolbars, toolbar, b);
        const int x = kToolbarButtonSize * b;
        if (w.view.lists.toolbar) ImageList_Draw(w.view.lists.toolbar, index, dc, x, l.toolbar_top, ILD_NORMAL);
        if (CommandList[(size_t)index] != CMD_GO_TO_PAGE) continue;
        char text[16];
        const int length = page_button_text(w.doc.page_index, text, sizeof text);
        const ViewRect r = page_button_text_rect(l, b);
        RECT box = {r.left, r.top, r.right, r.bottom};
        SetBkColor(dc, RGB(192, 192, 192));
        SetBkMode(dc, OPAQUE);
        DrawTextA(dc, text, length, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    fill_rect(dc, toolbar_fill_rect(l), (HBRUSH)GetStockObject(WHITE_BRUSH));
}

void view_paint(MainWindow& w, HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (w.doc.image_loaded() && w.view.bitmap) {
        paint_image(w, dc);
    } else {
        RECT area = {0, 0, w.view.layout.width, w.view.layout.top + w.view.layout.height};
        FillRect(dc, &area, (HBRUSH)GetStockObject(WHITE_BRUSH));
    }
    view_paint_toolbar(w, dc);
    if (w.doc.image_loaded()) paint_tags(w, dc);
    if (w.view.layout.combo_view && ps.rcPaint.bottom > w.view.layout.strip_top) combo_strip_paint(w, dc);
    EndPaint(hwnd, &ps);
}
