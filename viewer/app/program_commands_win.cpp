// The program's own commands: exit, preferences, help, about, close, e-mail, TWAIN,
// screen capture, toolbar selection and the image operations on the current page.
#include "app/program_commands_win.h"

#include <windows.h>

#include "app/help_topics.h"
#include "app/main_window_win.h"
#include "resource_ids.h"
#include "settings/settings_sheet_win.h"
#include "settings/toolbar_layout.h"

namespace {

void redraw(MainWindow& w) { InvalidateRect(w.hwnd, nullptr, FALSE); }

struct ImageStep {
    int command;
    int operations[3];
};

constexpr ImageStep kImageSteps[] = {
    {CMD_INVERT, {OP_INVERT}},
    {CMD_FLIP_VERTICAL, {OP_FLIP}},
    {CMD_FLIP_HORIZONTAL, {OP_MIRROR}},
    {CMD_COLOR_TO_GRAY, {OP_TO_GREY}},
    {CMD_DARKEN, {OP_DARKEN}},
    {CMD_LIGHTEN, {OP_LIGHTEN}},
    {CMD_ROTATE_IMAGE_90, {OP_TURN_90}},
    {CMD_ROTATE_IMAGE_180, {OP_MIRROR, OP_FLIP}},
    {CMD_ROTATE_IMAGE_270, {OP_TURN_90, OP_MIRROR, OP_FLIP}},
};

}  // namespace

void cmd_exit(MainWindow& w, int) {
    w.app.flags.abort_jobs = true;
    PostMessage(w.hwnd, WM_CLOSE, 0, 0);
}

void cmd_preferences(MainWindow& w, int) {
    show_settings_sheet(w.app, w.hwnd);
    save_app_settings(w.app);
    // Gamma, brightness, colours and the background may have changed.
    view_build_tone_tables(w);
    if (w.doc.image_loaded()) view_show_new_page(w, false);
    else redraw(w);
}

void cmd_help(MainWindow& w, int) { show_help(w.app.help, w.hwnd, kHelpIndexTopic); }

void cmd_about(MainWindow& w, int) { show_about(w.app.instance, w.hwnd); }

void cmd_close(MainWindow& w, int) {
    w.doc.selection = RECT{};
    if (!w.doc.image_loaded()) return;
    release_page(&w.doc.page);
    w.doc.page = PageBitmap{};
    if (w.doc.file.page_count > 1) close_current_file(w);
    view_clear(w);
}

void cmd_email(MainWindow& w, int) {
    if (w.app.mail_available) MessageBeep(0);  // the e-mail dialog lands with sending
    else message_box(w.hwnd, IDS_NO_MAIL, IDS_EMAIL, MB_OK | MB_ICONERROR);
}

void cmd_twain_select(MainWindow& w, int) { twain_select_source(w.app.services, w.hwnd); }
void cmd_twain_acquire(MainWindow& w, int) { twain_acquire(w.app.services, w.hwnd); }

void cmd_screen_capture(MainWindow& w, int) {
    SetTimer(w.hwnd, 1, (UINT)w.app.settings.capture_delay * 1000u, nullptr);
}

void cmd_toolbar(MainWindow& w, int id) {
    const int current = w.app.settings.toolbar;
    if (id == CMD_NEXT_TOOLBAR) select_toolbar(w, next_toolbar(current));
    else if (id == CMD_PREVIOUS_TOOLBAR) select_toolbar(w, previous_toolbar(current));
    else select_toolbar(w, id - CMD_TOOLBAR_FIRST);
}

void cmd_image_operation(MainWindow& w, int id) {
    if (id == CMD_COLOR_TO_GRAY && w.doc.page.bits_per_pixel < 2) return;
    const bool rotation = id >= CMD_ROTATE_IMAGE_90 && id <= CMD_ROTATE_IMAGE_270;
    w.doc.selection = RECT{};
    for (const ImageStep& step : kImageSteps) {
        if (step.command != id) continue;
        for (int op : step.operations) {
            if (!op) break;
            if (int rc = image_operation(&w.doc.page, op, 0, 0)) {
                show_library_error(w.hwnd, rc, id);
                break;
            }
        }
    }
    view_show_new_page(w, rotation);
}

void cmd_nothing(MainWindow&, int) {}

void cmd_staged(MainWindow&, int) { MessageBeep(0); }
