// Page operations that the decode and render commands apply after decoding, in the
// order given: --op N[:ARG1[:ARG2]], --crop X,Y,W,H[,ANGLE], --resize W,H,
// --redeye X,Y,W,H, and --composite (GIF frames 0..N drawn on the logical screen).
#pragma once

#include <string>
#include <vector>

#include "imaging.h"
#include "tool.h"

struct PageOpStep {
    enum Kind { Operation, Crop, Resize, RedEye } kind;
    int values[5];
};

struct PageOpOptions {
    std::vector<PageOpStep> steps;
    bool composite = false;
};

// Usage text of the options, for the commands' usage lines.
extern const char* const kPageOpsUsage;

// Takes args[*i] (and its value) when it is one of these options: 1 when taken
// (*i moved to the value), 0 when it is not one of them, -1 for a bad value
// (*error says why).
int page_ops_take(const ToolArgs& args, size_t* i, PageOpOptions* opts, std::string* error);

// Applies the steps in order to a decoded page. 0 or the first library error.
int page_ops_apply(PageBitmap* page, const PageOpOptions& opts);

// Decodes frames 0..page_index of a file and draws each onto a canvas of the logical
// screen with compose_frame, as the viewer shows an animated GIF; other files, and
// bilevel frames, decode as a single page.
int tool_decode_composite(const std::string& path, int page_index, int options, PageBitmap* out);
