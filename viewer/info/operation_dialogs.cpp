// Value rules of the resize, crop and colour dialogs (see operation_dialogs.h). Integer
// arithmetic is done in 64 bits so that no entry a user can type overflows it.
#include "info/operation_dialogs.h"

#include <algorithm>
#include <cstdio>

namespace {

int32_t clamp32(int64_t v) { return (int32_t)std::clamp<int64_t>(v, INT32_MIN, INT32_MAX); }

std::string number_text(int64_t v) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld", (long long)v);
    return text;
}

}  // namespace

bool parse_field_number(const char* text, int32_t* value) {
    if (!text) return false;
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    if (*text < '0' || *text > '9') return false;
    int64_t v = 0;
    for (; *text >= '0' && *text <= '9'; ++text) v = std::min<int64_t>(v * 10 + (*text - '0'), (int64_t)INT32_MAX + 1);
    while (*text == ' ' || *text == '\t') ++text;
    if (*text) return false;
    *value = clamp32(negative ? -v : v);
    return true;
}

// ---- Resize ---------------------------------------------------------------------------

bool resize_dpi_offered(int32_t x_dpi, int32_t y_dpi) { return x_dpi >= 50 && y_dpi >= 50; }

int32_t aspect_follow(int32_t base_moved, int32_t base_other, int32_t moved) {
    if (base_moved <= 0 || base_other <= 0 || moved <= 0) return 1;
    const int64_t divisor = (int64_t)base_moved * 100 / moved;
    const int64_t other = divisor > 0 ? (int64_t)base_other * 100 / divisor : (int64_t)base_other * moved / base_moved;
    return clamp32(std::max<int64_t>(other, 1));
}

ResizeOutcome resize_outcome(const ResizeEntry& e) {
    ResizeOutcome out{RESIZE_ACCEPTED, 0, 0, 0};
    int32_t entered[2];
    const char* texts[2] = {e.width_text, e.height_text};
    for (int i = 0; i < 2; ++i) {
        if (!parse_field_number(texts[i], &entered[i])) return {RESIZE_NOT_A_NUMBER, i, 0, 0};
    }
    double sides[2] = {(double)entered[0], (double)entered[1]};
    if (e.dpi && e.x_dpi > 0 && e.y_dpi > 0) {
        sides[0] = (double)entered[0] / e.x_dpi * e.page_width;
        sides[1] = (double)entered[1] / e.y_dpi * e.page_height;
    }
    for (int i = 0; i < 2; ++i) {
        // Compared before the conversion: a double beyond int range has no int value.
        if (!(sides[i] >= 1.0 && sides[i] < (double)RESIZE_MAX_SIDE + 1.0)) return {RESIZE_OUT_OF_RANGE, i, 0, 0};
    }
    out.width = (int32_t)sides[0];
    out.height = (int32_t)sides[1];
    return out;
}

// ---- Crop ------------------------------------------------------------------------------

CropEdges crop_start(int32_t width, int32_t height, const CropView& v) {
    const int64_t s = v.scale;
    const int64_t sel_left = std::max<int64_t>(0, (int64_t)v.sel_left - v.margin_x);
    const int64_t sel_right = std::max<int64_t>(0, (int64_t)v.sel_right - v.margin_x);
    const int64_t sel_top = std::max<int64_t>(0, (int64_t)v.sel_top - v.margin_y);
    const int64_t sel_bottom = std::max<int64_t>(0, (int64_t)v.sel_bottom - v.margin_y);
    int64_t left = std::max<int64_t>(0, v.origin_x + sel_left * s / 256);
    int64_t top = std::max<int64_t>(0, v.origin_y + sel_top * s / 256);
    int64_t crop_w = std::max<int64_t>(0, s * (sel_right - sel_left) / 256);
    int64_t crop_h = std::max<int64_t>(0, s * (sel_bottom - sel_top) / 256);
    left = std::min<int64_t>(left, width - 1);
    top = std::min<int64_t>(top, height - 1);
    if (left + crop_w > width - 1) crop_w = width - 1 - left;
    if (top + crop_h > height - 1) crop_h = height - 1 - top;
    // Without a selection the whole page is offered.
    if (crop_w == 0 && left == 0) crop_w = width - 1;
    if (crop_h == 0) {
        crop_h = height - 1;
        top = 0;
    }
    return {clamp32(left), clamp32(left + crop_w), clamp32(top), clamp32(top + crop_h)};
}

CropSizeTexts crop_size_texts(const char* left, const char* right, const char* top, const char* bottom) {
    int32_t l, r, t, b;
    if (!parse_field_number(left, &l) || !parse_field_number(right, &r) || !parse_field_number(top, &t) ||
        !parse_field_number(bottom, &b))
        return {};
    const int64_t w = (int64_t)r - l + 1, h = (int64_t)b - t + 1;
    CropSizeTexts texts{number_text(w), number_text(h), ""};
    if (w > 0) {
        char ratio[48];
        std::snprintf(ratio, sizeof ratio, "1 : %.3f", (double)h / (double)w);
        texts.ratio = ratio;
    }
    return texts;
}

CropOutcome crop_outcome(const char* const texts[4], int32_t width, int32_t height) {
    int32_t edge[4];
    for (int i = 0; i < 4; ++i)
        if (!parse_field_number(texts[i], &edge[i])) return {CROP_NOT_A_NUMBER, i, 0, 0, 0, 0};
    const int32_t left = edge[0], right = edge[1], top = edge[2], bottom = edge[3];
    const bool inside = left >= 0 && top >= 0 && left <= width - 1 && top <= height - 1 &&
                        (int64_t)right + 1 <= width && (int64_t)bottom + 1 <= height;
    if (!inside) return {CROP_OUT_OF_BOUNDS, 0, 0, 0, 0, 0};
    if (right < left) return {CROP_REVERSED, 1, 0, 0, 0, 0};
    if (bottom < top) return {CROP_REVERSED, 3, 0, 0, 0, 0};
    return {CROP_ACCEPTED, 0, left, top, right - left + 1, bottom - top + 1};
}

// ---- Modify Colors -------------------------------------------------------------------------

int color_depth_entry(int depth) {
    for (int i = 0; i < 5; ++i)
        if (kColorDepths[i] >= depth) return i;
    return 4;
}

int color_result(int entry, bool diffusion) {
    const int depth = kColorDepths[std::clamp(entry, 0, 4)];
    return depth | (diffusion ? COLOR_DIFFUSION_FLAG : 0);
}

DepthChange depth_change(int result) { return {result & 0xFF, result >= 257 ? 2 : 0}; }
