// The command table with its Win32 columns: each row's handler, run on the user-
// interface thread for WM_COMMAND, and its worker job, run on the worker thread for
// the thread message of the same number (rows in app/command_table.h).
#pragma once

#include <windows.h>

#include "app/command_table.h"

struct MainWindow;
struct WorkerContext;

using CommandHandler = void (*)(MainWindow& w, int command);
using WorkerJob = bool (*)(const WorkerContext& context);

struct CommandRow {
    int first, last;
    CommandNeed need;
    MenuRule menu;
    CommandHandler run;
    WorkerJob job;  // null when the worker ignores the number
};

// The row serving `command`, or null.
const CommandRow* command_row(int command);

// WM_COMMAND of the main window. While a movie plays only "Play / Pause" runs; a
// command whose need is missing beeps; the main window takes the focus afterwards.
void dispatch_command(MainWindow& w, int command);
// WM_INITMENU / WM_INITMENUPOPUP: enables the items by their rows' menu rules and
// checks "Scale to Gray".
void update_menu_state(MainWindow& w, HMENU menu);
