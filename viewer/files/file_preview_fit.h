// Arithmetic of the browser's preview box: which reduced decoding to ask the
// decoder for, and how a page of w x h pixels is scaled to fit the box whole
// (the thumbnail rule: one scale for both axes, centred, never above 8x enlarged).
#pragma once

#include <cstdint>

// convert_page flags for a preview of a picture `image_width` pixels wide in a box
// `box_width` wide: one-eighth size with an embedded thumbnail preferred from 6x the
// box on, half size between 2x and 6x, 16-bit colour always, damaged data accepted
// when `ignore_errors`.
int preview_decode_flags(int32_t image_width, int32_t box_width, bool ignore_errors);

struct PreviewFit {
    int32_t scale;          // source pixels per 256 output pixels, both axes
    int32_t width, height;  // drawn size, at most the box
    int32_t left, top;      // offset of the drawn picture inside the box
};

// Fit of a `width` x `height` page into a `box_width` x `box_height` box; all zero
// when either size is not positive.
PreviewFit preview_fit(int32_t width, int32_t height, int32_t box_width, int32_t box_height);
