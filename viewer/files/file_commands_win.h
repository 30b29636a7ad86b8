// Handlers of the file commands (rows of the command table): "Open...", previous /
// next / first / last file, the sort orders, "Delete File", "Rename File" and
// "Copy File...".
#pragma once

struct MainWindow;

void cmd_open(MainWindow& w, int command);
void cmd_previous_next(MainWindow& w, int command);
void cmd_first_last(MainWindow& w, int command);
void cmd_sort(MainWindow& w, int command);
void cmd_delete_file(MainWindow& w, int command);
void cmd_rename_file(MainWindow& w, int command);
void cmd_copy_file(MainWindow& w, int command);
