// The value rules of the dialogs of "Resize...", "Crop..." and "Modify Colors...":
// what their fields show when they open, how one field follows another, and which
// entries OK accepts. The dialogs only move these values in and out of controls.
#pragma once

#include <cstdint>
#include <string>

#include "imaging.h"

// A whole number typed into a field: optional blanks, an optional sign and digits,
// nothing else. Values beyond the 32-bit range are held at its ends (they are out of
// every field's range anyway). False for anything that is no number.
bool parse_field_number(const char* text, int32_t* value);

// ---- "Resize Image" ----------------------------------------------------------------
// "Dots Per Inch" is offered only when both resolutions are at least 50.
bool resize_dpi_offered(int32_t x_dpi, int32_t y_dpi);
// With "Preserve aspect ratio": one side's up-down control moved to `moved`; the
// other side of a base_moved x base_other original becomes
// base_other * 100 / (base_moved * 100 / moved), at least 1. Where that divisor is 0
// (a side enlarged more than a hundred times) the side follows in proportion.
int32_t aspect_follow(int32_t base_moved, int32_t base_other, int32_t moved);

enum ResizeVerdict { RESIZE_ACCEPTED, RESIZE_OUT_OF_RANGE, RESIZE_NOT_A_NUMBER };
struct ResizeOutcome {
    ResizeVerdict verdict;
    int field;  // refused: 0 for the width edit, 1 for the height edit
    int32_t width, height;
};
struct ResizeEntry {
    const char* width_text;
    const char* height_text;
    bool dpi;  // the edits hold resolutions ("Dots Per Inch")
    int32_t page_width, page_height, x_dpi, y_dpi;
};
// OK: in pixels the size is the two entries; in dots per inch width = x' / x dpi * W
// and height = y' / y dpi * H, in floating point, truncated. A side below 1 or above
// 32767 is out of range.
ResizeOutcome resize_outcome(const ResizeEntry& entry);

// ---- "CROPDLG" -----------------------------------------------------------------------
// The four edge fields: left, right, top, bottom in page pixels after the view
// rotation, right and bottom inclusive.
struct CropEdges {
    int32_t left, right, top, bottom;
};
// Where the selection is drawn: its client rectangle, the view's origin in the turned
// page, its x scale (page pixels per 256 client pixels, used for both axes) and the
// margins around a small picture. No selection is an empty rectangle at 0.
struct CropView {
    int32_t sel_left, sel_top, sel_right, sel_bottom;
    int32_t origin_x, origin_y, scale, margin_x, margin_y;
};
// The edges offered when the dialog opens for a turned page of width x height: the
// selection mapped onto the page and kept inside it, or the whole page.
CropEdges crop_start(int32_t width, int32_t height, const CropView& view);

// What the dialog shows under the edges: "%d" crop width and height
// (right - left + 1, bottom - top + 1) and "1 : %.3f" with height / width; empty
// texts while an edge is no number, and no ratio for a width of 0 or less.
struct CropSizeTexts {
    std::string width, height, ratio;
};
CropSizeTexts crop_size_texts(const char* left, const char* right, const char* top, const char* bottom);

enum CropVerdict { CROP_ACCEPTED, CROP_NOT_A_NUMBER, CROP_OUT_OF_BOUNDS, CROP_REVERSED };
struct CropOutcome {
    CropVerdict verdict;
    int field;                   // refused: 0 left, 1 right, 2 top, 3 bottom
    int32_t x, y, width, height;  // accepted: the rectangle to keep
};
// OK: the edges must lie on the page (left, top >= 0, right < width, bottom < height)
// and not be reversed (right >= left, bottom >= top).
CropOutcome crop_outcome(const char* const texts[4], int32_t width, int32_t height);

// ---- "Modify Colors" -------------------------------------------------------------------
inline constexpr int kColorDepths[5] = {1, 4, 8, 16, 24};
enum { COLOR_DIFFUSION_FLAG = 0x100 };
// The list entry selected when the dialog opens: the page's depth, or for a depth
// not in the list the next deeper entry (24 for anything deeper).
int color_depth_entry(int depth);
// The dialog's result: the chosen depth, plus 0x100 with "Error Diffusion".
int color_result(int entry, bool diffusion);
// The depth change a result asks for (result 0 is Cancel): depth = result & 0xFF,
// method 2 (error diffusion) for results of 257 and above, else 0.
struct DepthChange {
    int depth, method;
};
DepthChange depth_change(int result);
