// "error CODE": prints the message of a library error code the way every failing
// command reports it, so scripts can map an exit status back to a text.
#include <cstdlib>

#include "tool.h"

namespace {
int run_error(const ToolArgs& args) {
    if (args.size() != 1) return tool_fail_message("usage: glimra-tool error CODE");
    char* end = nullptr;
    const long code = std::strtol(args[0].c_str(), &end, 10);
    if (*end || code >= 0 || code < -10) return tool_fail_message("not a library error code: " + args[0]);
    return tool_fail((int)code);
}
}  // namespace

GLIMRA_TOOL_COMMAND(error_cmd, "error", "CODE", "print the message of a library error code (-1 .. -10)", run_error);
