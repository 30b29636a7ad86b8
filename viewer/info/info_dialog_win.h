// The "Image Info..." command: the image information dialog (126), or the movie's
// information for AVI and QuickTime files.
#pragma once

struct MainWindow;

void cmd_image_info(MainWindow& w, int command);
