// The image view's transform: snap views (100 %, fit to width, fit to window, a
// custom percentage), zoom steps with their limits, zoom to a selection, view
// rotation, panning and the ViewParams handed to scale_page for the display bitmap.
#pragma once

#include "resource_ids.h"

#include <cstdint>

#include "imaging.h"
#include "view_layout.h"

struct OptionFlags;

// The current zoom mode is the snap view's command identifier, or none.
enum ZoomMode : int32_t {
    ZOOM_NONE = 0,
    ZOOM_ACTUAL_SIZE = CMD_VIEW_100,  // "100% View"
    ZOOM_FIT_WIDTH = CMD_FIT_TO_WIDTH,  // "Fit To Width"
    ZOOM_FIT_WINDOW = CMD_FIT_TO_WINDOW,  // "Fit To Window"
    ZOOM_CUSTOM = CMD_FIT_TO_CUSTOM,  // "Fit To Custom %"
};

inline constexpr int32_t kActualScale = 256;      // 100 %
inline constexpr int32_t kMaxZoomScale = 32;      // 800 %, the largest magnification

bool is_snap_view(int32_t mode);
// Sets origin and both scales of `view` for a snap view of the turned page size
// `page` in the image area of `layout`. custom_percent is "CustomView" (5 ... 800).
// 0, or -1 for a mode that is not a snap view (view unchanged).
int apply_snap_view(ViewParams& view, int32_t mode, const ViewLayout& layout, PageSize page, int32_t custom_percent);

// The current zoom percentage: 25600 / scale (integer division).
int32_t zoom_percent(int32_t scale);
// The next percentage of "Zoom In" (grow) or "Zoom Out" (shrink).
int32_t next_zoom_percent(int32_t percent, bool zoom_in);
// One zoom step keeping the centre of the window fixed, then clamped to the page.
void zoom_step(ViewParams& view, bool zoom_in, const ViewLayout& layout, PageSize page);

// Zoom to the selection `sel` (client coordinates): returns the new zoom mode
// (ZOOM_ACTUAL_SIZE when the result is exactly 100 %, else ZOOM_NONE).
int32_t zoom_to_selection(ViewParams& view, const ViewRect& sel, const ViewLayout& layout, PageSize page);

// The view-rotation commands turn by 90, 180 and 270 degrees.
// Returns the new angle (0 ... 270), or `angle` for any other command.
int32_t add_view_rotation(int32_t angle, int command);

// Pan mode: the origin along one axis after the cursor moved from `start_pos` to
// `pos`, held to 0 ... page - scale * area / 256.
int32_t pan_origin(int32_t start_origin, int32_t start_pos, int32_t pos, int32_t scale, int32_t area, int32_t page);

// Origin along one axis that brings image point `point` (page pixels) to the centre
// of the visible area (`visible` client pixels wide at `scale`), held to the page.
int32_t centre_origin_on(int64_t point, int32_t visible, int32_t scale, int32_t page);

// Flags for scale_page from the options: grey bilevel with ScaleToGray, box
// averaging with SmoothScaling.
uint8_t view_flags(const OptionFlags& options);

// The display bitmap was (re)made at `depth` for the layout: output size W x H with
// its row stride; scales below the 800 % limit (a view never set) become 100 %.
void set_view_output(ViewParams& view, const ViewLayout& layout, int depth, uint8_t* pixels);
