// Parsing and applying the tool's page-operation options.
#include "page_ops.h"

#include <cstdlib>
#include <cstring>

#include "decode_pipeline.h"
#include "imaging.h"

const char* const kPageOpsUsage =
    "[--op N[:ARG1[:ARG2]]]... [--crop X,Y,W,H[,ANGLE]] [--resize W,H] [--redeye X,Y,W,H] [--composite]";

namespace {

// Splits "a<sep>b<sep>c" into integers; false unless it holds min..max numbers.
bool parse_list(const std::string& text, char sep, size_t min, size_t max, int* out, size_t* count) {
    size_t n = 0, pos = 0;
    while (n < max) {
        const size_t end = text.find(sep, pos);
        const std::string part = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        char* stop = nullptr;
        const long v = std::strtol(part.c_str(), &stop, 10);
        if (part.empty() || *stop || v < -0x7FFFFFFFL || v > 0x7FFFFFFFL) return false;
        out[n++] = (int)v;
        if (end == std::string::npos) break;
        pos = end + 1;
    }
    *count = n;
    return n >= min && text.find(sep, pos) == std::string::npos;
}

struct OptionForm {
    const char* name;
    PageOpStep::Kind kind;
    char sep;
    size_t min, max;
};

constexpr OptionForm kForms[] = {
    {"--op", PageOpStep::Operation, ':', 1, 3},
    {"--crop", PageOpStep::Crop, ',', 4, 5},
    {"--resize", PageOpStep::Resize, ',', 2, 2},
    {"--redeye", PageOpStep::RedEye, ',', 4, 4},
};

int apply_step(PageBitmap* page, const PageOpStep& s) {
    const int* v = s.values;
    switch (s.kind) {
    case PageOpStep::Operation: return image_operation(page, v[0], v[1], v[2]);
    case PageOpStep::Crop: {
        ViewParams view{};
        view.src_x = v[0];
        view.src_y = v[1];
        view.out_width = v[2];
        view.out_height = v[3];
        view.angle = v[4];
        return crop_page(page, &view);
    }
    case PageOpStep::Resize: {
        PageBitmap resized{};
        const int rc = resize_page(page, &resized, v[0], v[1]);
        if (rc != IMG_OK) return rc;
        release_page(page);
        *page = resized;
        return IMG_OK;
    }
    case PageOpStep::RedEye: return remove_red_eye(page, v[0], v[1], v[2], v[3]);
    }
    return ERR_PARAMETER;
}

}  // namespace

int page_ops_take(const ToolArgs& args, size_t* i, PageOpOptions* opts, std::string* error) {
    const std::string& a = args[*i];
    if (a == "--composite") {
        opts->composite = true;
        return 1;
    }
    for (const OptionForm& f : kForms) {
        if (a != f.name) continue;
        if (*i + 1 >= args.size()) {
            *error = a + " needs a value";
            return -1;
        }
        PageOpStep step{f.kind, {0, 0, 0, 0, 0}};
        size_t count = 0;
        if (!parse_list(args[++*i], f.sep, f.min, f.max, step.values, &count)) {
            *error = "bad value for " + a + ": " + args[*i];
            return -1;
        }
        opts->steps.push_back(step);
        return 1;
    }
    return 0;
}

int page_ops_apply(PageBitmap* page, const PageOpOptions& opts) {
    for (const PageOpStep& s : opts.steps)
        if (int rc = apply_step(page, s)) return rc;
    return IMG_OK;
}

int tool_decode_composite(const std::string& path, int page_index, int options, PageBitmap* out) {
    *out = PageBitmap{};
    ImageFileInfo info{};
    if (int rc = identify_file(path.c_str(), &info, 0)) return rc;
    if (info.format != FMT_GIF) {
        close_file_info(&info);
        return tool_decode_page(path, page_index, options, out);
    }
    // Every frame is read through one stored record: later GIF frames start from
    // the depth of the frame before.
    PageBitmap stored{}, canvas{};
    int rc = IMG_OK;
    for (int i = 0; i <= page_index && rc == IMG_OK; ++i) {
        PageBitmap frame{};
        rc = read_decoded_page(&info, i, options, &frame, &stored);
        if (rc == IMG_OK) rc = compose_animation_frame(&canvas, &frame);
        if (frame.data) release_page(&frame);
    }
    if (stored.data || stored.palette) release_page(&stored);
    close_file_info(&info);
    // Frames that are not 4 or 8 bits are not composed: the page is shown alone.
    if (rc == ERR_BIT_DEPTH && !canvas.data) return tool_decode_page(path, page_index, options, out);
    if (rc != IMG_OK) {
        if (canvas.data) release_page(&canvas);
        return rc;
    }
    *out = canvas;
    return IMG_OK;
}
