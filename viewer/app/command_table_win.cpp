// The command table's rows with their handlers and jobs, the dispatch of WM_COMMAND
// and the menu state. Handlers live beside the feature they serve; this file only
// binds them to their rows.
#include "app/command_table_win.h"

#include "app/main_window_win.h"
#include "app/program_commands_win.h"
#include "app/worker_win.h"
#include "batch/tag_commands_win.h"
#include "files/file_commands_win.h"
#include "info/info_dialog_win.h"
#include "info/operation_dialogs_win.h"
#include "slideshow/slideshow_commands_win.h"
#include "thumbnails/thumbnail_commands_win.h"
#include "view/view_clipboard_win.h"
#include "view/view_commands_win.h"

namespace {

constexpr WorkerJob no_job = nullptr;

#define GLIMRA_WIN_ROW(id, need, menu, handler, job) {id, id, need, menu, handler, job},
#define GLIMRA_WIN_RANGE(first, last, need, menu, handler, job) {first, last, need, menu, handler, job},
constexpr CommandRow kRows[] = {GLIMRA_COMMAND_TABLE(GLIMRA_WIN_ROW, GLIMRA_WIN_RANGE)};
#undef GLIMRA_WIN_ROW
#undef GLIMRA_WIN_RANGE

// Each identifier is served by one row at most.
constexpr bool rows_are_distinct() {
    for (const CommandRow& a : kRows)
        for (const CommandRow& b : kRows)
            if (&a != &b && a.first <= b.last && b.first <= a.last) return false;
    return true;
}
static_assert(rows_are_distinct(), "a command is served by two rows");

bool has_selection(const RECT& s) { return s.right != s.left || s.bottom != s.top; }

}  // namespace

const CommandRow* command_row(int command) {
    for (const CommandRow& row : kRows)
        if (command >= row.first && command <= row.last) return &row;
    return nullptr;
}

void dispatch_command(MainWindow& w, int command) {
    if (w.app.flags.movie_playing && command != CMD_PLAY_PAUSE) {
        MessageBeep(0);
        return;
    }
    const CommandRow* row = command_row(command);
    if (!row) MessageBeep(0);
    else if (row->need == NEED_IMAGE && !w.doc.image_loaded()) MessageBeep(0);
    else row->run(w, command);
    SetFocus(w.hwnd);
}

void update_menu_state(MainWindow& w, HMENU menu) {
    MenuInputs in{};
    in.image_loaded = w.doc.image_loaded();
    in.has_selection = has_selection(w.doc.selection);
    in.bits_per_pixel = w.doc.page.bits_per_pixel;
    in.page_count = w.doc.file.page_count;
    in.is_jfif = w.doc.file.format == FMT_JFIF;
    in.clipboard_has_bitmap = IsClipboardFormatAvailable(CF_BITMAP) || IsClipboardFormatAvailable(CF_DIB);
    for (const CommandRow& row : kRows) {
        if (row.menu == MENU_FIXED) continue;
        const UINT state = menu_enabled(row.menu, in) ? MF_ENABLED : MF_GRAYED;
        for (int id = row.first; id <= row.last; ++id) EnableMenuItem(menu, (UINT)id, MF_BYCOMMAND | state);
    }
    CheckMenuItem(menu, CMD_SCALE_TO_GRAY,
                  MF_BYCOMMAND | (w.app.settings.flags.ScaleToGray ? MF_CHECKED : MF_UNCHECKED));
}
