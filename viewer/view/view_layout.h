// The main window's client layout: image area, combo strip of thumbnail cells and the
// toolbar strip below it, with the margins that centre a small image, the strip's
// scrolling, hit tests for the mouse and the small painted items (page-number button,
// tag icons, name label). Plain integer arithmetic in client pixels.
#pragma once

#include <cstdint>

struct ViewRect {
    int32_t left, top, right, bottom;
};

// Page size after the view rotation (width and height swapped at 90 and 270 degrees).
struct PageSize {
    int32_t width, height;
};
PageSize turned_size(int32_t width, int32_t height, int angle);

// Thumbnail cell size from "ThumbSize" (0 ... 3: 48, 60, 80 or 120 pixels) and
// "ThumbShape" (0 square, 1 landscape 4:3, 2 portrait 3:4); other values as "Small"
// and square.
void thumbnail_cell_size(int32_t size, int32_t shape, int32_t* cell_width, int32_t* cell_height);

// Layout quantities, recomputed on WM_SIZE; the margins are set when the view paints.
struct ViewLayout {
    int32_t width;          // W: client width
    int32_t height;         // H: height of the image area (never negative)
    int32_t top;            // T: top of the image area, always 0
    int32_t margin_x;       // MX: empty width on each side of a narrow image
    int32_t margin_y;       // MY: empty height above and below a short image
    int32_t cell_width;     // CW: thumbnail cell width
    int32_t cell_height;    // CH: thumbnail cell height
    int32_t label_height;   // LH: name label height under a cell
    int32_t visible_cells;  // NV: strip cells that fit across
    int32_t first_cell;     // file-list index of the leftmost strip cell
    int32_t strip_top;      // top of the combo strip
    int32_t toolbar_top;    // top of the toolbar strip
    bool combo_view;        // the combo strip is shown
    ViewRect scroll_bar;    // where the strip's scroll bar goes (out of sight without combo view)
    int32_t scroll_max;     // scroll bar range 0 ... scroll_max
};

struct LayoutInput {
    int32_t client_width, client_height;
    int32_t screen_height;      // the scroll bar is moved there when the strip is hidden
    int32_t cell_width, cell_height;
    bool combo_view;            // option ComboView
    bool thumb_names;           // option ThumbNames
    int32_t thumb_font_height;  // height field of the "ThumbFont" font
    int32_t list_count;         // files in the list
};

// Recomputes the layout for a new client size, keeping the strip at `first_cell`.
// Margins start at 0 (the next paint sets them).
ViewLayout compute_layout(const LayoutInput& in, int32_t first_cell);

// Margins and rectangles of one paint of the image area.
struct ViewPaintGeometry {
    int32_t shown_width, shown_height;  // size of the drawn image inside the area
    int32_t margin_x, margin_y;
    ViewRect image;                     // where the display bitmap goes
    ViewRect margins[4];                // background fills (left, right, top, bottom as needed)
    int margin_count;
};
// The image of turned size `page` drawn at `x_scale`: a narrower (shorter) image is
// centred and the rest filled with the background.
ViewPaintGeometry paint_geometry(const ViewLayout& layout, PageSize page, int32_t x_scale, int32_t y_scale);

// Strip cell i (0 ... NV): the cell's box and its thumbnail area.
ViewRect strip_cell(const ViewLayout& layout, int cell);

// Strip scroll requests (the scroll bar codes SB_LINELEFT ... SB_THUMBTRACK).
enum StripScroll { STRIP_LINE_LEFT, STRIP_LINE_RIGHT, STRIP_PAGE_LEFT, STRIP_PAGE_RIGHT, STRIP_THUMB };
// New first cell for a scroll request, held to 0 ... thumbs_built - NV.
int32_t scroll_strip(const ViewLayout& layout, StripScroll request, int32_t thumb_position, int32_t thumbs_built);

// Where a mouse press at client (x, y) falls.
enum ViewPlace { PLACE_IMAGE, PLACE_STRIP, PLACE_TOOLBAR, PLACE_NONE };
ViewPlace place_of_point(const ViewLayout& layout, int32_t x, int32_t y);
// File-list index of the strip cell under x, or -1 when that cell holds no file.
int32_t strip_file_at(const ViewLayout& layout, int32_t x, int32_t list_count);
// Toolbar button under x (0 ... 9), or -1.
int toolbar_button_at(int32_t x);

// Toolbar strip pieces.
inline constexpr int kToolbarButtonSize = 24;
ViewRect toolbar_fill_rect(const ViewLayout& layout);          // white rest of the strip
ViewRect page_button_text_rect(const ViewLayout& layout, int button);
// Text of the "Go to page..." button: the page index + 1. Returns the length.
int page_button_text(int page_index, char* text, int size);

// Movie controls placed on the toolbar strip.
ViewRect movie_track_bar_rect(const ViewLayout& layout);
ViewRect movie_play_button_rect(const ViewLayout& layout);

// Tag icons ("ILIST_TAGS" pictures) for a file's tag byte, left to right, each drawn
// kTagIconStep pixels right of the one before.
inline constexpr int kTagIconStep = 18;
struct TagIcons {
    int icon[3];
    int count;
};
TagIcons tag_icons(uint8_t tags);

// A name label's box for text of size text_w x text_h at screen cursor (x, y), moved
// left so it stays inside a window whose right edge is at `right`.
ViewRect name_label_box(int32_t x, int32_t y, int32_t text_w, int32_t text_h, int32_t right);
