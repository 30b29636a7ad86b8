// Handlers of the thumbnail and combo-view commands (rows of the command table).
#pragma once

struct MainWindow;

void cmd_thumbnail_view(MainWindow& w, int command);
void cmd_combo_view(MainWindow& w, int command);
void cmd_refresh_thumbnails(MainWindow& w, int command);
