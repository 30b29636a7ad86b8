// "Image Info..." on an AVI or QuickTime file: the "Video Information" dialog (134).
#pragma once

struct MainWindow;

// Shows the information of the movie open in `w`.
void show_video_information(MainWindow& w);
