// Commands of the image view: snap views, zoom steps, zoom to selection, view
// rotation, "Scale to Gray", page navigation with the "PageBox" dialog, animation and
// the movie position bar, and the zoom window.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "app/app_win.h"
#include "app/command_registry_win.h"
#include "app/help_win.h"
#include "view/image_view_win.h"
#include "view/view_clipboard_win.h"
#include "view/view_commands_win.h"
#include "view/view_pages.h"
#include "common/win_text_win.h"
#include "view/zoom_window_win.h"

namespace {

void beep() { MessageBeep(0); }

bool frames_forward_only() { return frames_only_forward(g_app.file.format); }

void cmd_snap_view(HWND, int id) {
    g_app.selection = RECT{};
    view_apply(id);
    view_render(true);
}

void cmd_zoom(HWND, int id) {
    g_app.selection = RECT{};
    zoom_step(g_view.params, id == 40027, g_view.layout, view_page_size());
    g_view.zoom_mode = ZOOM_NONE;
    view_render(true);
}

void cmd_zoom_to_selection(HWND, int) { view_zoom_to_selection(); }

void cmd_rotate_view(HWND hwnd, int id) {
    g_app.selection = RECT{};
    if (g_app.page.bits_per_pixel == 1) {
        PostMessage(hwnd, WM_COMMAND, id == 40015 ? 40090 : id == 40051 ? 40091 : 40092, 0);
        return;
    }
    g_app.view_rotation = add_view_rotation(g_app.view_rotation, id);
    g_view.params.angle = g_app.view_rotation;
    remember_file_rotation();
    view_apply(g_app.settings.def_view);
    view_render(true);
    view_refresh(true, true);
}

void cmd_scale_to_gray(HWND, int) {
    g_app.settings.flags.ScaleToGray = !g_app.settings.flags.ScaleToGray;
    if (!image_loaded() || g_app.page.bits_per_pixel != 1) return;
    view_build_palette();
    view_rebuild_bitmap();
    view_render(false);
    view_refresh(true, false);
}

void cmd_zoom_window(HWND, int) { toggle_zoom_window(); }

// ---- Pages ------------------------------------------------------------------------

// Shows the error of a failed page read with the file name as caption.
void page_read_failed(int code) {
    show_file_error(code);
    view_clear();
}

// Reads page g_app.page_index and shows it; `default_view` for first and last page.
bool read_and_show(bool compositing, bool default_view) {
    if (int rc = read_current_page(compositing)) {
        page_read_failed(rc);
        return false;
    }
    view_build_palette();
    view_rebuild_bitmap();
    view_apply(default_view ? g_app.settings.def_view : g_view.zoom_mode);
    view_render(true);
    view_refresh(true, !default_view);
    return true;
}

// Frames that build on the one before keep the current page as their canvas.
void release_before_read(bool compositing) {
    if (compositing) return;
    release_page(&g_app.page);
    g_app.page = PageBitmap{};
}

void cmd_page(HWND, int id) {
    const PageTarget t = page_command_target(id, g_app.page_index, g_app.file.page_count, frames_forward_only());
    if (t.move == MOVE_BEEP) {
        beep();
        return;
    }
    if (t.move != MOVE_READ) return;
    const bool compositing = id == PAGE_NEXT && composites_frames(g_app.file.format);
    if (!g_app.animating) release_before_read(compositing);
    g_app.page_index = t.page;
    read_and_show(compositing, id == PAGE_FIRST || id == PAGE_LAST);
}

// ---- "PageBox" -------------------------------------------------------------------------

void page_box_seek(HWND dialog) {
    const int32_t position = (int32_t)SendDlgItemMessage(dialog, 1060, TBM_GETPOS, 0, 0);
    SetDlgItemInt(dialog, 1040, (UINT)(position + 1), FALSE);
    view_seek_movie(position);
}

void page_box_init(HWND dialog) {
    const int32_t n = g_app.file.page_count, k = g_app.page_index;
    SetDlgItemInt(dialog, 410, (UINT)n, FALSE);
    SetDlgItemInt(dialog, 400, (UINT)(k + 1), FALSE);
    SendDlgItemMessage(dialog, 1090, UDM_SETRANGE32, 1, n);
    if (frames_forward_only()) {
        SetDlgItemInt(dialog, 1040, 1, FALSE);
        EnableWindow(GetDlgItem(dialog, 400), FALSE);
    } else {
        SetDlgItemInt(dialog, 1040, (UINT)(k + 1), FALSE);
    }
    HWND track = GetDlgItem(dialog, 1060);
    if (is_movie_format(g_app.file.format)) {
        SendMessage(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, n - 1));
        SendMessage(track, TBM_SETPOS, TRUE, k);
    } else {
        EnableWindow(track, FALSE);
    }
}

bool page_box_ok(HWND dialog) {
    TCHAR text[32];
    char narrow[32];
    GetDlgItemText(dialog, 1040, text, 32);
    from_tchar(text, narrow);
    const int32_t n = g_app.file.page_count;
    const int32_t index = page_box_index(narrow, n);
    if (index < 0) {
        TCHAR format[64], message[96], caption[64];
        load_text(5045, format, 64);
        load_text(5046, caption, 64);
        wsprintf(message, format, n);
        MessageBox(dialog, message, caption, MB_OK | MB_ICONERROR);
        return false;
    }
    g_app.page_index = index;
    return true;
}

INT_PTR CALLBACK page_box_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: page_box_init(dialog); return TRUE;
    case WM_HSCROLL: page_box_seek(dialog); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
            if (page_box_ok(dialog)) EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDHELP: show_help(dialog, 15); return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

void cmd_go_to_page(HWND hwnd, int id) {
    if (page_command_target(id, g_app.page_index, g_app.file.page_count, false).move == MOVE_BEEP) {
        beep();
        return;
    }
    const int32_t before = g_app.page_index;
    DialogBox(g_app.instance, TEXT("PageBox"), hwnd, page_box_proc);
    if (g_app.page_index == before) return;
    release_before_read(false);
    read_and_show(false, false);
}

void cmd_play_pause(HWND, int) {
    if (!image_loaded() || g_app.file.page_count == 1) {
        beep();
        return;
    }
    if (g_app.animating || g_app.movie_playing) {
        g_app.animating = false;
        g_app.movie_playing = false;
        return;
    }
    if (is_movie_format(g_app.file.format)) {
        g_app.movie_playing = true;
        post_worker(40055);
    } else {
        g_app.animating = true;
        restart_animation_timer();
    }
}

constexpr CommandEntry kViewCommands[] = {
    {40024, 40026, NEED_IMAGE, cmd_snap_view},
    {40033, 40033, NEED_IMAGE, cmd_snap_view},
    {40027, 40028, NEED_IMAGE, cmd_zoom},
    {40069, 40069, NEED_IMAGE, cmd_zoom_to_selection},
    {40015, 40015, NEED_IMAGE, cmd_rotate_view},
    {40051, 40052, NEED_IMAGE, cmd_rotate_view},
    {40029, 40029, NEED_NONE, cmd_scale_to_gray},
    {40034, 40034, NEED_NONE, cmd_zoom_window},
    {40021, 40022, NEED_IMAGE, cmd_page},
    {40049, 40050, NEED_IMAGE, cmd_page},
    {40023, 40023, NEED_IMAGE, cmd_go_to_page},
    {40055, 40055, NEED_NONE, cmd_play_pause},
};
GLIMRA_COMMANDS(kViewCommands);

}  // namespace

void view_zoom_to_selection() {
    if (!view_has_selection()) return;
    const RECT& s = g_app.selection;
    const ViewRect sel = {s.left, s.top, s.right, s.bottom};
    g_view.zoom_mode = zoom_to_selection(g_view.params, sel, g_view.layout, view_page_size());
    g_app.selection = RECT{};
    view_render(true);
}

void view_animation_tick() {
    if (!g_app.animating || !image_loaded()) return;
    g_app.page_index = animation_next(g_app.page_index, g_app.file.page_count);
    if (read_current_page(true) != IMG_OK) {
        g_app.animating = false;
        view_clear();
        return;
    }
    view_build_palette();
    view_rebuild_bitmap();
    view_render(true);
    view_refresh(true, true);
}

void view_seek_movie(int32_t position) {
    if (!is_movie_format(g_app.file.format)) return;
    const int32_t frame = key_frame_at_or_before(g_app.file.keyframes, g_app.file.page_count, position);
    if (frame < 0 || frame == g_app.page_index) return;
    g_app.page_index = frame;
    release_before_read(false);
    if (int rc = read_current_page(false)) {
        page_read_failed(rc);
        return;
    }
    view_build_palette();
    view_rebuild_bitmap();
    view_apply_current();
    view_render(false);
}

void view_track_bar_scroll(HWND track, int code, int position) {
    switch (code) {
    case TB_PAGEUP:
    case TB_PAGEDOWN: position = (int)SendMessage(track, TBM_GETPOS, 0, 0); break;
    case TB_THUMBPOSITION:
    case TB_THUMBTRACK: break;
    default: position = g_app.page_index;
    }
    view_seek_movie(position);
}
