// Command tables of the main window's WM_COMMAND dispatch. Each feature keeps its own
// table of identifier ranges with a precondition and a handler and registers it at
// start-up; the dispatcher searches the registered tables before its built-in one.
#pragma once

#include <windows.h>

using CommandHandler = void (*)(HWND, int);
enum CommandNeed { NEED_NONE, NEED_IMAGE };

struct CommandEntry {
    int first, last;  // identifier range
    CommandNeed need;
    CommandHandler run;
};

// Adds a table (kept by pointer: tables are static) and returns true, so a file can
// register with `static const bool registered = register_commands(table, count);`.
bool register_commands(const CommandEntry* entries, int count);
// The registered entry for `id`, or null.
const CommandEntry* registered_command(int id);

#define GLIMRA_COMMANDS(table) \
    static const bool table##_registered = register_commands(table, (int)(sizeof(table) / sizeof(table[0])))
