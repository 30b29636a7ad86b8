// The movie information dialog (134) arrives with movie playback; until then the
// request beeps, as every command whose feature is still to come does.
#include "movie/video_info_win.h"

#include <windows.h>

void show_video_information(MainWindow&) { MessageBeep(0); }
