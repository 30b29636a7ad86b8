// "decode FILE [--page N] [--options HEX] -o OUT.ppm": reads one page through the
// library's pipeline and writes it as a binary PPM.
#include <cstdlib>

#include "decode_pipeline.h"
#include "page_ops.h"
#include "tool.h"

namespace {

const std::string kDecodeUsage =
    std::string("usage: glimra-tool decode FILE [--page N] [--options HEX] ") + kPageOpsUsage + " -o OUT.ppm";

bool parse_int(const std::string& text, int base, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, base);
    if (text.empty() || *end || v < 0 || v > 0x7FFFFFFF) return false;
    *value = (int)v;
    return true;
}

int run_decode(const ToolArgs& args) {
    std::string input, output, error;
    int page = 0, options = 0;
    PageOpOptions ops;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (const int taken = page_ops_take(args, &i, &ops, &error)) {
            if (taken < 0) return tool_fail_message(error);
        } else if (a == "--page" && has_value) {
            if (!parse_int(args[++i], 10, &page)) return tool_fail_message("bad page number: " + args[i]);
        } else if (a == "--options" && has_value) {
            if (!parse_int(args[++i], 16, &options)) return tool_fail_message("bad options: " + args[i]);
        } else if (a == "-o" && has_value) {
            output = args[++i];
        } else if (input.empty() && !a.empty() && a[0] != '-') {
            input = a;
        } else {
            return tool_fail_message(kDecodeUsage);
        }
    }
    if (input.empty() || output.empty())
        return tool_fail_message(kDecodeUsage);
    PageBitmap decoded{};
    int rc = ops.composite ? tool_decode_composite(input, page, options, &decoded)
                           : tool_decode_page(input, page, options, &decoded);
    if (rc == IMG_OK) rc = page_ops_apply(&decoded, ops);
    if (rc != IMG_OK) {
        release_page(&decoded);
        return tool_fail(rc);
    }
    const bool written = tool_write_ppm(output, decoded);
    release_page(&decoded);
    return written ? 0 : tool_fail_message("cannot write " + output);
}

}  // namespace

GLIMRA_TOOL_COMMAND(decode_cmd, "decode", "FILE [--page N] [--options HEX] [page operations] -o OUT.ppm",
                    "decode one page and write it as a binary PPM (8-bit RGB)", run_decode);
