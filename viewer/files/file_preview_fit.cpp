// Preview decoding flags and the fit of a page into the preview box. The scale is
// the larger of the two axis ratios in 8-bit fixed point, so the whole page shows;
// the drawn picture is centred in the box.
#include "files/file_preview_fit.h"

#include <algorithm>

#include "imaging.h"

int preview_decode_flags(int32_t image_width, int32_t box_width, bool ignore_errors) {
    const int64_t w = image_width, box = std::max<int32_t>(box_width, 1);
    int flags = JPEG_RGB565;
    if (w >= 6 * box) flags |= JPEG_THUMBNAIL;
    else if (w > 2 * box) flags |= JPEG_HALF;
    if (ignore_errors) flags |= JPEG_ACCEPT_DAMAGED;
    return flags;
}

PreviewFit preview_fit(int32_t width, int32_t height, int32_t box_width, int32_t box_height) {
    if (width <= 0 || height <= 0 || box_width <= 0 || box_height <= 0) return PreviewFit{};
    const int64_t across = (int64_t)width * 256 / box_width;
    const int64_t down = (int64_t)height * 256 / box_height;
    const int64_t scale = std::max<int64_t>({across, down, VIEW_MIN_SCALE});
    PreviewFit fit{};
    fit.scale = (int32_t)std::min<int64_t>(scale, INT32_MAX);
    fit.width = (int32_t)std::clamp<int64_t>((int64_t)width * 256 / scale, 1, box_width);
    fit.height = (int32_t)std::clamp<int64_t>((int64_t)height * 256 / scale, 1, box_height);
    fit.left = (box_width - fit.width) / 2;
    fit.top = (box_height - fit.height) / 2;
    return fit;
}
