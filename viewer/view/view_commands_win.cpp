// Commands of the image view: snap views, zoom steps, zoom to selection, view
// rotation, "Scale to Gray", page navigation with the "PageBox" dialog, animation and
// the movie position bar, and the zoom window.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "app/main_window_win.h"
#include "resource_ids.h"
#include "app/help_win.h"
#include "view/image_view_win.h"
#include "view/view_clipboard_win.h"
#include "view/view_commands_win.h"
#include "view/view_pages.h"
#include "common/win_text_win.h"
#include "view/zoom_window_win.h"


constexpr int kPageBoxHelpTopic = 15;

static void beep() { MessageBeep(0); }

static bool frames_forward_only(MainWindow& w) { return frames_only_forward(w.doc.file.format); }

void cmd_snap_view(MainWindow& w, int id) {
    w.doc.selection = RECT{};
    view_apply(w, id);
    view_render(w, true);
}

void cmd_zoom(MainWindow& w, int id) {
    w.doc.selection = RECT{};
    zoom_step(w.view.params, id == CMD_ZOOM_IN, w.view.layout, view_page_size(w));
    w.view.zoom_mode = ZOOM_NONE;
    view_render(w, true);
}

void cmd_zoom_to_selection(MainWindow& w, int) { view_zoom_to_selection(w); }

void cmd_rotate_view(MainWindow& w, int id) {
    w.doc.selection = RECT{};
    if (w.doc.page.bits_per_pixel == 1) {
        PostMessage(w.hwnd, WM_COMMAND,
                    id == CMD_ROTATE_VIEW_90    ? CMD_ROTATE_IMAGE_90
                    : id == CMD_ROTATE_VIEW_180 ? CMD_ROTATE_IMAGE_180
                                                : CMD_ROTATE_IMAGE_270,
                    0);
        return;
    }
    w.doc.view_rotation = add_view_rotation(w.doc.view_rotation, id);
    w.view.params.angle = w.doc.view_rotation;
    remember_file_rotation(w);
    view_apply(w, w.app.settings.def_view);
    view_render(w, true);
    view_refresh(w, true, true);
}

void cmd_scale_to_gray(MainWindow& w, int) {
    w.app.settings.flags.ScaleToGray = !w.app.settings.flags.ScaleToGray;
    if (!w.doc.image_loaded() || w.doc.page.bits_per_pixel != 1) return;
    view_build_palette(w);
    view_rebuild_bitmap(w);
    view_render(w, false);
    view_refresh(w, true, false);
}

void cmd_zoom_window(MainWindow& w, int) { toggle_zoom_window(w); }

// ---- Pages ------------------------------------------------------------------------

// Shows the error of a failed page read with the file name as caption.
static void page_read_failed(MainWindow& w, int code) {
    show_file_error(w, code);
    view_clear(w);
}

// Reads page w.doc.page_index and shows it; `default_view` for first and last page.
static bool read_and_show(MainWindow& w, bool compositing, bool default_view) {
    if (int rc = read_current_page(w, compositing)) {
        page_read_failed(w, rc);
        return false;
    }
    view_build_palette(w);
    view_rebuild_bitmap(w);
    view_apply(w, default_view ? w.app.settings.def_view : w.view.zoom_mode);
    view_render(w, true);
    view_refresh(w, true, !default_view);
    return true;
}

// Frames that build on the one before keep the current page as their canvas.
static void release_before_read(MainWindow& w, bool compositing) {
    if (compositing) return;
    release_page(&w.doc.page);
    w.doc.page = PageBitmap{};
}

void cmd_page(MainWindow& w, int id) {
    const PageTarget t = page_command_target(id, w.doc.page_index, w.doc.file.page_count, frames_forward_only(w));
    if (t.move == MOVE_BEEP) {
        beep();
        return;
    }
    if (t.move != MOVE_READ) return;
    const bool compositing = id == PAGE_NEXT && composites_frames(w.doc.file.format);
    if (!w.app.flags.animating) release_before_read(w, compositing);
    w.doc.page_index = t.page;
    read_and_show(w, compositing, id == PAGE_FIRST || id == PAGE_LAST);
}

// ---- "PageBox" -------------------------------------------------------------------------

static void page_box_seek(MainWindow& w, HWND dialog) {
    const int32_t position = (int32_t)SendDlgItemMessage(dialog, 1060, TBM_GETPOS, 0, 0);
    SetDlgItemInt(dialog, 1040, (UINT)(position + 1), FALSE);
    view_seek_movie(w, position);
}

static void page_box_init(MainWindow& w, HWND dialog) {
    const int32_t n = w.doc.file.page_count, k = w.doc.page_index;
    SetDlgItemInt(dialog, 410, (UINT)n, FALSE);
    SetDlgItemInt(dialog, 400, (UINT)(k + 1), FALSE);
    SendDlgItemMessage(dialog, 1090, UDM_SETRANGE32, 1, n);
    if (frames_forward_only(w)) {
        SetDlgItemInt(dialog, 1040, 1, FALSE);
        EnableWindow(GetDlgItem(dialog, 400), FALSE);
    } else {
        SetDlgItemInt(dialog, 1040, (UINT)(k + 1), FALSE);
    }
    HWND track = GetDlgItem(dialog, 1060);
    if (is_movie_format(w.doc.file.format)) {
        SendMessage(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, n - 1));
        SendMessage(track, TBM_SETPOS, TRUE, k);
    } else {
        EnableWindow(track, FALSE);
    }
}

static bool page_box_ok(MainWindow& w, HWND dialog) {
    TCHAR text[32];
    char narrow[32];
    GetDlgItemText(dialog, 1040, text, 32);
    from_tchar(text, narrow);
    const int32_t n = w.doc.file.page_count;
    const int32_t index = page_box_index(narrow, n);
    if (index < 0) {
        TCHAR format[64], message[96], caption[64];
        load_text(IDS_PAGE_RANGE, format, 64);
        load_text(IDS_INVALID_PAGE, caption, 64);
        wsprintf(message, format, n);
        MessageBox(dialog, message, caption, MB_OK | MB_ICONERROR);
        return false;
    }
    w.doc.page_index = index;
    return true;
}

// The main window is handed to the dialog on WM_INITDIALOG and kept with it.
static INT_PTR CALLBACK page_box_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtr(dialog, DWLP_USER, lp);
    MainWindow* main = reinterpret_cast<MainWindow*>(GetWindowLongPtr(dialog, DWLP_USER));
    if (!main) return FALSE;
    MainWindow& w = *main;
    switch (msg) {
    case WM_INITDIALOG: page_box_init(w, dialog); return TRUE;
    case WM_HSCROLL: page_box_seek(w, dialog); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
            if (page_box_ok(w, dialog)) EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDHELP: show_help(w.app.help, dialog, kPageBoxHelpTopic); return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

void cmd_go_to_page(MainWindow& w, int id) {
    if (page_command_target(id, w.doc.page_index, w.doc.file.page_count, false).move == MOVE_BEEP) {
        beep();
        return;
    }
    const int32_t before = w.doc.page_index;
    DialogBoxParam(w.app.instance, TEXT("PageBox"), w.hwnd, page_box_proc, (LPARAM)&w);
    if (w.doc.page_index == before) return;
    release_before_read(w, false);
    read_and_show(w, false, false);
}

void cmd_play_pause(MainWindow& w, int) {
    if (!w.doc.image_loaded() || w.doc.file.page_count == 1) {
        beep();
        return;
    }
    if (w.app.flags.animating || w.app.flags.movie_playing) {
        w.app.flags.animating = false;
        w.app.flags.movie_playing = false;
        return;
    }
    if (is_movie_format(w.doc.file.format)) {
        w.app.flags.movie_playing = true;
        post_worker(w.app.worker, CMD_PLAY_PAUSE);
    } else {
        w.app.flags.animating = true;
        restart_animation_timer(w);
    }
}




void view_zoom_to_selection(MainWindow& w) {
    if (!view_has_selection(w)) return;
    const RECT& s = w.doc.selection;
    const ViewRect sel = {s.left, s.top, s.right, s.bottom};
    w.view.zoom_mode = zoom_to_selection(w.view.params, sel, w.view.layout, view_page_size(w));
    w.doc.selection = RECT{};
    view_render(w, true);
}

void view_animation_tick(MainWindow& w) {
    if (!w.app.flags.animating || !w.doc.image_loaded()) return;
    w.doc.page_index = animation_next(w.doc.page_index, w.doc.file.page_count);
    if (read_current_page(w, true) != IMG_OK) {
        w.app.flags.animating = false;
        view_clear(w);
        return;
    }
    view_build_palette(w);
    view_rebuild_bitmap(w);
    view_render(w, true);
    view_refresh(w, true, true);
}

void view_seek_movie(MainWindow& w, int32_t position) {
    if (!is_movie_format(w.doc.file.format)) return;
    const int32_t frame = key_frame_at_or_before(w.doc.file.keyframes, w.doc.file.page_count, position);
    if (frame < 0 || frame == w.doc.page_index) return;
    w.doc.page_index = frame;
    release_before_read(w, false);
    if (int rc = read_current_page(w, false)) {
        page_read_failed(w, rc);
        return;
    }
    view_build_palette(w);
    view_rebuild_bitmap(w);
    view_apply_current(w);
    view_render(w, false);
}

void view_track_bar_scroll(MainWindow& w, HWND track, int code, int position) {
    switch (code) {
    case TB_PAGEUP:
    case TB_PAGEDOWN: position = (int)SendMessage(track, TBM_GETPOS, 0, 0); break;
    case TB_THUMBPOSITION:
    case TB_THUMBTRACK: break;
    default: position = w.doc.page_index;
    }
    view_seek_movie(w, position);
}
