// Slideshow commands: until the player, the slide file and the slide editor land,
// each refuses what it cannot use (an empty list, no slides) and otherwise beeps.
#include "slideshow/slideshow_commands_win.h"

#include <windows.h>

#include "app/main_window_win.h"
#include "resource_ids.h"

void cmd_slide_show(MainWindow& w, int id) {
    if (w.doc.file_count == 0) message_box(w.hwnd, IDS_NO_MATCHING_FILES, id, MB_OK);
    else MessageBeep(0);  // the slideshow window lands with the player
}

void cmd_needs_slides(MainWindow& w, int id) {
    const UINT style = id == CMD_START_CUSTOM_SLIDESHOW ? MB_OK : MB_OK | MB_ICONERROR;
    if (w.doc.slide_count == 0) message_box(w.hwnd, IDS_NO_SLIDES, id, style);
    else MessageBeep(0);  // slide editing and playing land with the slideshow
}
