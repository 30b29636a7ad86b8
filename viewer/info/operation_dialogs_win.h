// The commands "Resize...", "Crop..." and "Modify Colors...": each asks its dialog for
// its values and changes the page shown.
#pragma once

struct MainWindow;

void cmd_resize(MainWindow& w, int command);
void cmd_crop(MainWindow& w, int command);
void cmd_modify_colors(MainWindow& w, int command);
