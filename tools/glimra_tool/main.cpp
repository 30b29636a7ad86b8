// glimra-tool: command-line front end to the imaging library.
#include <cstdio>
#include <cstring>

#include "imaging.h"
#include "tool.h"

namespace {
std::vector<ToolCommand>& registry() {
    static std::vector<ToolCommand> commands;
    return commands;
}

int usage(FILE* out) {
    std::fprintf(out, "usage: glimra-tool COMMAND [ARGS]\n\ncommands:\n");
    for (const ToolCommand& c : tool_commands())
        std::fprintf(out, "  %s %s\n      %s\n", c.name, c.usage, c.summary);
    std::fprintf(out, "  help\n      this text\n");
    return out == stdout ? 0 : 2;
}
}  // namespace

bool register_tool_command(const ToolCommand& command) {
    registry().push_back(command);
    return true;
}

const std::vector<ToolCommand>& tool_commands() { return registry(); }

int tool_fail(int code) {
    const char* text = error_message(code);
    std::fprintf(stderr, "error %d: %s\n", code, text ? text : "Unknown error");
    return 1;
}

int tool_fail_message(const std::string& message) {
    std::fprintf(stderr, "glimra-tool: %s\n", message.c_str());
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 2) return usage(stderr);
    const char* name = argv[1];
    if (!std::strcmp(name, "help") || !std::strcmp(name, "--help") || !std::strcmp(name, "-h"))
        return usage(stdout);
    for (const ToolCommand& c : tool_commands()) {
        if (std::strcmp(c.name, name) == 0) return c.run(ToolArgs(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "glimra-tool: unknown command '%s'\n", name);
    return usage(stderr);
}
