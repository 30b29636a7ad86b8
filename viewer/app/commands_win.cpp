// WM_COMMAND dispatch of the main window: one table row per command identifier with
// its precondition and handler. Commands whose features have not landed yet beep.
// Rules for every command: while a movie plays only "Play / Pause" runs; a command
// that needs an image beeps without one; the main window takes the focus afterwards.
#include <windows.h>

#include "resource_ids.h"
#include "app/app_win.h"
#include "app/command_registry_win.h"
#include "settings/command_list.h"
#include "files/file_list_state_win.h"
#include "app/help_win.h"
#include "view/image_view_win.h"
#include "imaging.h"
#include "settings/settings_registry_win.h"
#include "settings/settings_sheet_win.h"
#include "app/startup_rules.h"

namespace {

constexpr int kPlayPause = 40055;

void beep() { MessageBeep(0); }

void redraw() { InvalidateRect(g_app.main_window, nullptr, FALSE); }

// After an image operation changed the page: new palette and display bitmap, the
// default view after a rotation, else the current one, drawn again.
void show_changed_page(bool rotated) {
    view_build_palette();
    view_rebuild_bitmap();
    if (rotated) view_apply(g_app.settings.def_view);
    else view_apply_current();
    view_render(true);
    view_refresh(true, true);
}

// ---- File and program commands ----------------------------------------------

void cmd_exit(HWND hwnd, int) {
    g_app.abort_jobs = true;
    PostMessage(hwnd, WM_CLOSE, 0, 0);
}

void cmd_preferences(HWND hwnd, int) {
    show_settings_sheet(hwnd);
    save_app_settings();
    // Gamma, brightness, colours and the background may have changed.
    view_build_tone_tables();
    if (image_loaded()) show_changed_page(false);
    else redraw();
}

void cmd_help(HWND hwnd, int) { show_help(hwnd, 0); }

void cmd_about(HWND hwnd, int) { show_about(hwnd); }

void cmd_close(HWND, int) {
    g_app.selection = RECT{};
    if (!image_loaded()) return;
    release_page(&g_app.page);
    g_app.page = PageBitmap{};
    if (g_app.file.page_count > 1) close_file_info(&g_app.file);
    view_clear();
}

void cmd_email(HWND hwnd, int) {
    if (g_app.mail_available) beep();  // the e-mail dialog lands with sending
    else message_box(hwnd, 5022, 5023, MB_OK | MB_ICONERROR);
}

void cmd_twain_select(HWND hwnd, int) { twain_select_source(hwnd); }
void cmd_twain_acquire(HWND hwnd, int) { twain_acquire(hwnd); }

void cmd_slide_show(HWND hwnd, int id) {
    if (g_app.file_count == 0) message_box(hwnd, 5017, id, MB_OK);
    else beep();  // the slideshow window lands with the player
}

void cmd_needs_slides(HWND hwnd, int id) {
    const UINT style = id == 40098 ? MB_OK : MB_OK | MB_ICONERROR;
    if (g_app.slide_count == 0) message_box(hwnd, 5038, id, style);
    else beep();  // slide editing and playing land with the slideshow
}

void cmd_needs_list(HWND, int) { beep(); }  // with or without a list: adding slides lands later

void cmd_screen_capture(HWND hwnd, int) {
    SetTimer(hwnd, 1, (UINT)g_app.settings.capture_delay * 1000u, nullptr);
}

void cmd_nothing(HWND, int) {}

// ---- View commands ------------------------------------------------------------

void cmd_toolbar(HWND, int id) {
    const int current = g_app.settings.toolbar;
    if (id == IDM_NEXT_TOOLBAR) select_toolbar(next_toolbar(current));
    else if (id == IDM_PREVIOUS_TOOLBAR) select_toolbar(previous_toolbar(current));
    else select_toolbar(id - IDM_TOOLBAR_FIRST);
}

// ---- Image operations --------------------------------------------------------------

struct ImageStep {
    int command;
    int operations[3];
};

constexpr ImageStep kImageSteps[] = {
    {40016, {OP_INVERT}},
    {40018, {OP_FLIP}},
    {40019, {OP_MIRROR}},
    {40040, {OP_TO_GREY}},
    {40041, {OP_DARKEN}},
    {40042, {OP_LIGHTEN}},
    {40090, {OP_TURN_90}},
    {40091, {OP_MIRROR, OP_FLIP}},
    {40092, {OP_TURN_90, OP_MIRROR, OP_FLIP}},
};

void cmd_image_operation(HWND hwnd, int id) {
    if (id == 40040 && g_app.page.bits_per_pixel < 2) return;
    const bool rotation = id >= 40090 && id <= 40092;
    g_app.selection = RECT{};
    for (const ImageStep& step : kImageSteps) {
        if (step.command != id) continue;
        for (int op : step.operations) {
            if (!op) break;
            if (int rc = image_operation(&g_app.page, op, 0, 0)) {
                show_library_error(hwnd, rc, id);
                break;
            }
        }
    }
    show_changed_page(rotation);
}

// ---- Tags and batch -------------------------------------------------------------------

bool file_tag_valid() { return g_app.file_index >= 0 && g_app.file_index < (int)sizeof g_app.tags; }

void cmd_tag(HWND, int id) {
    if (!file_tag_valid()) return;
    uint8_t& tag = g_app.tags[g_app.file_index];
    if (id == 40110) {
        const uint8_t value = tag;
        for (uint8_t& t : g_app.tags) t = value;
    } else {
        const int next = new_tag_byte(id, tag);
        if (next >= 0) tag = (uint8_t)next;
    }
    redraw();
}

void cmd_untag_all(HWND, int) {
    for (uint8_t& t : g_app.tags) t = 0;
    redraw();
}

void cmd_batch(HWND hwnd, int) {
    int all = 0;
    for (int i = 0; i < g_app.file_count && i < (int)sizeof g_app.tags; ++i) all |= g_app.tags[i];
    if (all == 0) {
        message_box(hwnd, 5029, 5030, MB_OK | MB_ICONERROR);
        return;
    }
    if ((all & 0x08) && message_box(hwnd, 5031, 5030, MB_YESNO | MB_ICONSTOP) != IDYES) return;
    beep();  // batch preparation and its progress dialog land with batch processing
}

// ---- Thumbnails and combo view --------------------------------------------------------

// The two questions of the thumbnail and combo commands; false when the user says No.
bool thumbnails_allowed(HWND hwnd) {
    if (g_app.glimra_mode) {
        if (message_box(hwnd, 5013, 5014, MB_YESNO) != IDYES) return false;
        g_app.glimra_mode = false;
        g_app.settings.flags.ThumbsEnabled = true;
        PostMessage(hwnd, WM_COMMAND, 40088, 0);
    }
    if (!g_app.settings.flags.ThumbsEnabled) {
        if (message_box(hwnd, 5015, 5016, MB_YESNO) != IDYES) return false;
        g_app.settings.flags.ThumbsEnabled = true;
        PostMessage(hwnd, WM_COMMAND, 40088, 0);
    }
    return true;
}

void cmd_thumbnail_view(HWND hwnd, int) {
    if (thumbnails_allowed(hwnd)) beep();  // the thumbnail window lands with the browser
}

// Lays the main window out again at its own place: one pixel wider, then its size.
void relayout_main_window(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    MoveWindow(hwnd, r.left, r.top, r.right - r.left + 1, r.bottom - r.top, TRUE);
    MoveWindow(hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void cmd_combo_view(HWND hwnd, int) {
    if (!thumbnails_allowed(hwnd)) return;
    g_app.settings.flags.ComboView = !g_app.settings.flags.ComboView;
    relayout_main_window(hwnd);
    redraw();
}

// Relays out the combo view, redraws the page, rescans the current folder when its
// entry count changed, and asks the worker to build the thumbnails again.
void cmd_refresh_thumbnails(HWND hwnd, int) {
    if (g_app.thumbs_building) return;
    if (g_app.settings.flags.ComboView) relayout_main_window(hwnd);
    redraw();
    g_app.abort_jobs = true;
    refresh_current_list();
    post_worker(40035);
}

void cmd_staged(HWND, int) { beep(); }

// ---- The table -------------------------------------------------------------------------

constexpr CommandNeed kNone = NEED_NONE, kImage = NEED_IMAGE;

struct RegisteredTable {
    const CommandEntry* entries;
    int count;
};
RegisteredTable g_tables[16];
int g_table_count = 0;

constexpr CommandEntry kCommands[] = {
    {40003, 40003, kNone, cmd_exit},
    {40031, 40031, kNone, cmd_preferences},
    {40008, 40008, kNone, cmd_help},
    {40002, 40002, kNone, cmd_about},
    {40005, 40005, kNone, cmd_close},
    {40064, 40064, kImage, cmd_email},
    {40094, 40094, kNone, cmd_twain_select},
    {40093, 40093, kNone, cmd_twain_acquire},
    {40056, 40056, kNone, cmd_slide_show},
    {40098, 40098, kNone, cmd_needs_slides},
    {40118, 40119, kNone, cmd_needs_slides},
    {40115, 40115, kNone, cmd_staged},
    {40116, 40116, kNone, cmd_needs_list},
    {40048, 40048, kNone, cmd_screen_capture},
    {40059, 40060, kNone, cmd_toolbar},
    {40121, 40130, kNone, cmd_toolbar},
    {40016, 40016, kImage, cmd_image_operation},
    {40018, 40019, kImage, cmd_image_operation},
    {40040, 40042, kImage, cmd_image_operation},
    {40090, 40092, kImage, cmd_image_operation},
    {40099, 40105, kImage, cmd_tag},
    {40109, 40110, kImage, cmd_tag},
    {40120, 40120, kImage, cmd_tag},
    {40111, 40111, kNone, cmd_untag_all},
    {40108, 40108, kNone, cmd_batch},
    {40035, 40035, kNone, cmd_thumbnail_view},
    {40087, 40087, kNone, cmd_combo_view},
    {40088, 40088, kNone, cmd_refresh_thumbnails},
    // No effect in the desktop build.
    {40043, 40043, kNone, cmd_nothing},
    {40065, 40065, kNone, cmd_nothing},
    {40076, 40077, kNone, cmd_nothing},
    {kUndefinedCommand, kUndefinedCommand, kNone, cmd_nothing},
    // Commands that need an image and whose features land with later work: saving,
    // image information, printing, file operations, voice notes, the view's zooms
    // and pages, resize, crop, colours, red eye, lossless JPEG rotation.
    {40006, 40006, kImage, cmd_staged},
    {40009, 40010, kImage, cmd_staged},
    {40061, 40061, kImage, cmd_staged},
    {40063, 40063, kImage, cmd_staged},
    {40112, 40112, kImage, cmd_staged},
    {40113, 40114, kImage, cmd_staged},
    {40013, 40014, kImage, cmd_staged},
    {40038, 40038, kImage, cmd_staged},
    {40133, 40133, kImage, cmd_staged},
};

}  // namespace

bool register_commands(const CommandEntry* entries, int count) {
    if (g_table_count >= (int)(sizeof g_tables / sizeof g_tables[0])) return false;
    g_tables[g_table_count++] = RegisteredTable{entries, count};
    return true;
}

const CommandEntry* registered_command(int id) {
    for (int t = 0; t < g_table_count; ++t)
        for (int i = 0; i < g_tables[t].count; ++i)
            if (id >= g_tables[t].entries[i].first && id <= g_tables[t].entries[i].last) return &g_tables[t].entries[i];
    return nullptr;
}

void dispatch_command(HWND hwnd, int id) {
    if (g_app.movie_playing && id != kPlayPause) {
        beep();
        return;
    }
    const CommandEntry* entry = registered_command(id);
    if (!entry)
        for (const CommandEntry& e : kCommands)
            if (id >= e.first && id <= e.last) entry = &e;
    if (!entry) beep();  // open dialog, view, page, file and slide commands land later
    else if (entry->need == kImage && !image_loaded()) beep();
    else entry->run(hwnd, id);
    SetFocus(hwnd);
}
