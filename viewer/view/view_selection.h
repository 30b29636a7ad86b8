// The selection rectangle of the image view and its mapping into the page: the drag
// keeps the corners inside the image area and ordered, and a selection maps through
// the view's origin, scale and quarter turn onto the page's stored pixels.
#pragma once

#include <cstdint>

#include "imaging.h"
#include "view/view_layout.h"

// The selection while dragging from `anchor` to the cursor (x, y): the cursor held
// to 0 ... W and 0 ... H, corners ordered (left <= right, top <= bottom).
ViewRect drag_selection(int32_t anchor_x, int32_t anchor_y, int32_t x, int32_t y, const ViewLayout& layout);
bool selection_empty(const ViewRect& sel);

// A rectangle of page pixels: x, y, width, height.
struct PageRegion {
    int32_t x, y, width, height;
};

// The page region under a selection, in the turned page of size `page` (the view's
// orientation), for copying and red-eye removal. 0, or -1 when nothing of the
// selection lies on the shown image.
int selection_page_region(const ViewRect& sel, const ViewParams& view, const ViewLayout& layout, PageSize page,
                          PageRegion* region);

// The same region in the stored (unturned) page of stored size width x height, for a
// view turned clockwise by `angle`.
PageRegion stored_region(const PageRegion& turned, int32_t width, int32_t height, int32_t angle);

// Bytes of the clipboard block for a region copied at `bpp`: the rows (4-byte
// aligned) plus 1068 bytes for the header and a 256-entry colour table or the masks.
// 0 when the size does not fit in 32 bits.
uint32_t clipboard_dib_bytes(int32_t width, int32_t height, int bpp);
