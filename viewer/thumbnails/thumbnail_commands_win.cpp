// "Toggle Thumbnail View", "Toggle Combo View" and "Refresh Thumbnails": the two
// questions that leave Glimra mode or enable thumbnails, the combo view's relayout,
// and the rescan and rebuild of the current list's thumbnails.
#include "thumbnails/thumbnail_commands_win.h"

#include <windows.h>

#include "app/main_window_win.h"
#include "resource_ids.h"

namespace {

// The two questions of the thumbnail and combo commands; false when the user says No.
bool thumbnails_allowed(MainWindow& w) {
    App& app = w.app;
    if (app.glimra_mode) {
        if (message_box(w.hwnd, IDS_ASK_LEAVE_GLIMRA_MODE, IDS_GLIMRA_MODE, MB_YESNO) != IDYES) return false;
        app.glimra_mode = false;
        app.settings.flags.ThumbsEnabled = true;
        PostMessage(w.hwnd, WM_COMMAND, CMD_REFRESH_THUMBNAILS, 0);
    }
    if (!app.settings.flags.ThumbsEnabled) {
        if (message_box(w.hwnd, IDS_ASK_ENABLE_THUMBNAILS, IDS_THUMBNAILS_DISABLED, MB_YESNO) != IDYES) return false;
        app.settings.flags.ThumbsEnabled = true;
        PostMessage(w.hwnd, WM_COMMAND, CMD_REFRESH_THUMBNAILS, 0);
    }
    return true;
}

// Lays the main window out again at its own place: one pixel wider, then its size.
void relayout_main_window(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    MoveWindow(hwnd, r.left, r.top, r.right - r.left + 1, r.bottom - r.top, TRUE);
    MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

}  // namespace

void cmd_thumbnail_view(MainWindow& w, int) {
    if (thumbnails_allowed(w)) MessageBeep(0);  // the thumbnail window lands with the browser
}

void cmd_combo_view(MainWindow& w, int) {
    if (!thumbnails_allowed(w)) return;
    w.app.settings.flags.ComboView = !w.app.settings.flags.ComboView;
    relayout_main_window(w.hwnd);
    InvalidateRect(w.hwnd, nullptr, FALSE);
}

// Relays out the combo view, redraws the page, rescans the current folder when its
// entry count changed, and asks the worker to build the thumbnails again.
void cmd_refresh_thumbnails(MainWindow& w, int) {
    if (w.app.flags.thumbs_building) return;
    if (w.app.settings.flags.ComboView) relayout_main_window(w.hwnd);
    InvalidateRect(w.hwnd, nullptr, FALSE);
    w.app.flags.abort_jobs = true;
    refresh_current_list(w);
    post_worker(w.app.worker, CMD_TOGGLE_THUMBNAIL_VIEW);
}
