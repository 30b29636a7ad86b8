// The image view of the main window: layout, the display bitmap with its colour
// tables and logical palette, the tone tables, the view transform and the drawing of
// the image area, the toolbar strip and the combo strip.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "imaging.h"
#include "view/view_layout.h"
#include "view/view_zoom.h"

struct MainWindow;

// Image lists the view draws from (loaded at start-up; null when missing).
struct ViewImageLists {
    HIMAGELIST toolbar, tags, video, bad, print, keys, tap_and_hold;
};

struct ImageView {
    ViewLayout layout = {};
    ViewParams params = {0, 0, 256, 256, 0, 0, 0, 0, nullptr, 0};
    int32_t zoom_mode = ZOOM_NONE;  // current snap view, or none after free zooming
    HBITMAP bitmap = nullptr;        // display bitmap (a DIB section of W x H)
    uint8_t* bits = nullptr;
    int depth = 0;                   // its bits per pixel
    HPALETTE palette = nullptr;      // logical palette for 4- and 8-bit display bitmaps
    int32_t client_width = 0, client_height = 0;
    ViewImageLists lists = {};
    uint8_t tone[TONE_TABLE_BYTES] = {};  // display tone tables from "Gamma" and "Brightness"
};

// Child windows of the main window.
inline constexpr int kComboScrollId = 1001;  // the combo strip's scroll bar
inline constexpr int kTrackBarId = 1002;     // the movie position bar

// Start-up: cell size from the thumbnail settings and the tone tables.
void view_init(MainWindow& w);
void view_release(MainWindow& w);
// Rebuilds the tone tables from "Gamma" and "Brightness".
void view_build_tone_tables(MainWindow& w);
const uint8_t* view_tone_tables(MainWindow& w);

// The operations of the view.
void view_build_palette(MainWindow& w);
void view_rebuild_bitmap(MainWindow& w);
// Sets origin and scales for snap view `mode` (the default view for ZOOM_NONE) and
// makes it the current zoom mode.
void view_apply(MainWindow& w, int32_t mode);
// Applies the current zoom mode, or the default view when none is current.
void view_apply_current(MainWindow& w);
// Fills the display bitmap; `invalidate` repaints the whole window, otherwise the
// bitmap is blitted into the image area at once.
void view_render(MainWindow& w, bool invalidate);
// Thumbnail of the current file and the zoom window follow the page.
void view_refresh(MainWindow& w, bool recompute, bool update_thumbnail);
// After a new page was read: palette, bitmap, the current zoom mode (or the default
// view), render and refresh.
void view_show_new_page(MainWindow& w, bool default_view);
// Clears the selection and the image area (no image loaded).
void view_clear(MainWindow& w);

// WM_SIZE of the main window (client size).
void view_layout(MainWindow& w, HWND hwnd, int client_width, int client_height);
void view_paint(MainWindow& w, HWND hwnd);
void view_paint_toolbar(MainWindow& w, HDC dc);

// The current page's size after the view rotation.
PageSize view_page_size(MainWindow& w);
// Draws `page` through `vp` into `pixels` at `depth` (the depth vp's rows are laid out
// for). A page above 15 bits drawn at a lower depth is drawn at its own depth first
// and reduced with error diffusion. 0 or a library error code.
int view_draw_page(MainWindow& w, const PageBitmap& page, const ViewParams& vp, int depth, uint8_t* pixels);
// Bitmap info for a top-down DIB section of w x h at `depth` with the view's colour
// table (palette indices for 4 and 8 bits); `info` must hold 256 colour entries.
void view_bitmap_info(BITMAPINFO* info, int32_t w, int32_t h, int depth);
// Selects and realises the logical palette into `dc`; returns the old palette.
HPALETTE view_select_palette(MainWindow& w, HDC dc);
// Background brush of "BkColor": black, the stock grey brush or white.
HBRUSH view_background_brush(MainWindow& w);
// Selection as drawn (client coordinates), and whether one exists.
bool view_has_selection(MainWindow& w);
void view_draw_selection(MainWindow& w, HDC dc);
