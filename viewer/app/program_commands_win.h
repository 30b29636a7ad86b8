// Handlers of the program's own commands (rows of the command table): exit, settings,
// help, about, close, e-mail, TWAIN, screen capture, toolbars, the image operations
// and the two fallbacks for commands without an effect or not built yet.
#pragma once

struct MainWindow;

void cmd_exit(MainWindow& w, int command);
void cmd_preferences(MainWindow& w, int command);
void cmd_help(MainWindow& w, int command);
void cmd_about(MainWindow& w, int command);
void cmd_close(MainWindow& w, int command);
void cmd_email(MainWindow& w, int command);
void cmd_twain_select(MainWindow& w, int command);
void cmd_twain_acquire(MainWindow& w, int command);
void cmd_screen_capture(MainWindow& w, int command);
void cmd_toolbar(MainWindow& w, int command);
void cmd_image_operation(MainWindow& w, int command);
// No effect in the desktop build.
void cmd_nothing(MainWindow& w, int command);
// A command whose feature lands with later work: it beeps.
void cmd_staged(MainWindow& w, int command);
