// "decode FILE [--page N] [--options HEX] -o OUT.ppm": reads one page through the
// library's pipeline and writes it as a binary PPM.
#include <cstdlib>

#include "decode_pipeline.h"
#include "tool.h"

namespace {

bool parse_int(const std::string& text, int base, int* value) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, base);
    if (text.empty() || *end || v < 0 || v > 0x7FFFFFFF) return false;
    *value = (int)v;
    return true;
}

int run_decode(const ToolArgs& args) {
    std::string input, output;
    int page = 0, options = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool has_value = i + 1 < args.size();
        if (a == "--page" && has_value) {
            if (!parse_int(args[++i], 10, &page)) return tool_fail_message("bad page number: " + args[i]);
        } else if (a == "--options" && has_value) {
            if (!parse_int(args[++i], 16, &options)) return tool_fail_message("bad options: " + args[i]);
        } else if (a == "-o" && has_value) {
            output = args[++i];
        } else if (input.empty() && !a.empty() && a[0] != '-') {
            input = a;
        } else {
            return tool_fail_message("usage: glimra-tool decode FILE [--page N] [--options HEX] -o OUT.ppm");
        }
    }
    if (input.empty() || output.empty())
        return tool_fail_message("usage: glimra-tool decode FILE [--page N] [--options HEX] -o OUT.ppm");
    PageBitmap decoded{};
    if (int rc = tool_decode_page(input, page, options, &decoded)) return tool_fail(rc);
    const bool written = tool_write_ppm(output, decoded);
    release_page(&decoded);
    return written ? 0 : tool_fail_message("cannot write " + output);
}

}  // namespace

GLIMRA_TOOL_COMMAND(decode_cmd, "decode", "FILE [--page N] [--options HEX] -o OUT.ppm",
                    "decode one page and write it as a binary PPM (8-bit RGB)", run_decode);
