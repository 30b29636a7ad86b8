// glimra-tool: command registry and shared helpers. Each subcommand lives in its own
// cmd_*.cpp and registers itself with GLIMRA_TOOL_COMMAND.
#pragma once

#include <string>
#include <vector>

using ToolArgs = std::vector<std::string>;
using ToolCommandFn = int (*)(const ToolArgs& args);

struct ToolCommand {
    const char* name;
    const char* usage;  // one line: arguments after the command name
    const char* summary;
    ToolCommandFn run;
};

// Registers a command at static initialisation; returns true.
bool register_tool_command(const ToolCommand& command);
const std::vector<ToolCommand>& tool_commands();

#define GLIMRA_TOOL_COMMAND(ident, name, usage, summary, fn) \
    static const bool ident##_registered = register_tool_command(ToolCommand{name, usage, summary, fn})

// Prints "error <code>: <message>" on stderr for a library error and returns 1,
// the tool's exit status for a failed command.
int tool_fail(int code);
// Prints a message on stderr and returns 1 (bad arguments, unreadable files).
int tool_fail_message(const std::string& message);
