// Slideshow commands: the file commands over the App's slide table (standard open and
// save dialogs, the unsaved-changes question), adding the shown image or every image
// of the current list, the manage dialog, and the start of a show from a ".GLS"
// command line. The two shows only refuse what they cannot use until the player lands.
#include "slideshow/slideshow_commands_win.h"

#include <windows.h>
#include <commdlg.h>
#include <tchar.h>

#include <string>
#include <type_traits>
#include <vector>

#include "app/main_window_win.h"
#include "common/win_text_win.h"
#include "files/file_filters.h"
#include "files/file_list_state_win.h"
#include "resource_ids.h"
#include "slideshow/slide_dialogs_win.h"
#include "slideshow/slideshow_file.h"

static_assert(std::is_same_v<TCHAR, PathChar>, "dialog paths go to the file layer as they are");

namespace {

constexpr int kPathChars = 256;

// "Slideshow Files", "*.GLS": the one filter of both file dialogs.
struct SlideshowFilter {
    TCHAR text[96] = {};
    SlideshowFilter() {
        load_text(IDS_SLIDESHOW_FILES, text, 64);
        TCHAR* pattern = text + lstrlen(text) + 1;
        lstrcpy(pattern, TEXT("*.GLS"));
        pattern[lstrlen(pattern) + 1] = 0;
    }
};

OPENFILENAME file_dialog(HWND owner, const SlideshowFilter& filter, TCHAR* path, const TCHAR* folder, DWORD flags) {
    OPENFILENAME ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.text;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = kPathChars;
    ofn.lpstrInitialDir = folder;
    ofn.Flags = OFN_EXPLORER | flags;
    return ofn;
}

// Unsaved changes are dropped only when the user agrees.
bool may_drop_slides(MainWindow& w) {
    return !w.app.slides.modified ||
           message_box(w.hwnd, IDS_ASK_DROP_SLIDES, IDS_TITLE, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The program directory's images become the current list (all image files, no
// content check), as a directory show plays them.
void list_program_directory(MainWindow& w) {
    Settings& s = w.app.settings;
    from_tchar(w.app.program_dir, s.cur_dir);
    DirLists& scan = scan_lists(w);
    scan_folders_into(scan, s.cur_dir);
    scan_files(scan.files, s.cur_dir, file_filter(kAllImageFilesFilter).pattern, false, s.sort_order, shell_file_icon);
    w.files.scan_entry_count = count_entries(s.cur_dir);
    commit_scan(w);
}

}  // namespace

void cmd_slide_show(MainWindow& w, int id) {
    if (w.doc.file_count == 0) message_box(w.hwnd, IDS_NO_MATCHING_FILES, id, MB_OK);
    else MessageBeep(0);  // the slideshow window lands with the player
}

void cmd_needs_slides(MainWindow& w, int id) {
    if (w.app.slides.count == 0) message_box(w.hwnd, IDS_NO_SLIDES, id, MB_OK);
    else MessageBeep(0);  // the custom show lands with the player
}

void cmd_open_slideshow(MainWindow& w, int) {
    if (!may_drop_slides(w)) return;
    const SlideshowFilter filter;
    TCHAR path[kPathChars] = {}, folder[MAX_PATH + 16];
    wsprintf(folder, TEXT("%sRECORDED_DATA"), w.app.program_dir);
    OPENFILENAME ofn = file_dialog(w.hwnd, filter, path, folder, OFN_FILEMUSTEXIST);
    if (!GetOpenFileName(&ofn)) return;
    // A file that cannot be read, or is not a whole slideshow, leaves the table as it was.
    load_slideshow(w.app.slides, path);
}

void cmd_save_slideshow(MainWindow& w, int id) {
    if (w.app.slides.count == 0) {
        message_box(w.hwnd, IDS_NO_SLIDES, id, MB_OK | MB_ICONERROR);
        return;
    }
    const SlideshowFilter filter;
    TCHAR path[kPathChars] = {}, folder[kPathChars];
    to_tchar(w.app.settings.cur_dir, folder);
    OPENFILENAME ofn = file_dialog(w.hwnd, filter, path, folder, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
    if (!GetSaveFileName(&ofn)) return;
    const std::basic_string<TCHAR> name = slideshow_save_name(std::basic_string_view<TCHAR>(path));
    if (save_slideshow(w.app.slides, name.c_str()) != SLIDESHOW_OK) {
        message_box(w.hwnd, IDS_ERROR_IO, id, MB_OK | MB_ICONERROR);  // the old file is untouched
        return;
    }
    w.app.slides.modified = false;
}

void cmd_add_image_to_slideshow(MainWindow& w, int) {
    SlideTable& slides = w.app.slides;
    char path[kPathChars];
    from_tchar(w.doc.current_path, path);
    int index = find_slide(slides, path);
    const bool is_new = index < 0;
    if (is_new) {
        // A full table, or a path too long for a slide, takes nothing.
        if (!prepare_new_slide(slides, path)) {
            MessageBeep(0);
            return;
        }
        index = slides.count;
    }
    if (edit_slide(w, w.hwnd, index) != IDOK) return;
    if (is_new) add_prepared_slide(slides);
    slides.modified = true;
}

void cmd_add_all_images_to_slideshow(MainWindow& w, int id) {
    const FileList& files = current_lists(w).files;
    if (files.count == 0) {
        MessageBeep(0);
        return;
    }
    std::vector<const char*> names;
    for (int32_t i = 0; i < files.count; ++i) names.push_back(current_list_name(w, i));
    // The names belong to the directory the list was scanned from.
    const int added = add_directory_slides(w.app.slides, files.directory, names, w.app.settings.transition_effect,
                                           w.app.settings.slide_delay);
    TCHAR format[64], text[96], caption[64];
    load_text(IDS_SLIDES_ADDED, format, 64);
    wsprintf(text, format, added);
    load_text(id, caption, 64);
    MessageBox(w.hwnd, text, caption, MB_OK);
}

void cmd_edit_custom_slideshow(MainWindow& w, int id) {
    if (w.app.slides.count == 0) message_box(w.hwnd, IDS_NO_SLIDES, id, MB_OK | MB_ICONERROR);
    else manage_slides(w);
}

void load_command_line_slideshow(App& app, const TCHAR* path) { load_slideshow(app.slides, path); }

void start_command_line_show(MainWindow& w) {
    if (w.app.slides.count > 0) {
        PostMessage(w.hwnd, WM_COMMAND, CMD_START_CUSTOM_SLIDESHOW, 0);
        return;
    }
    list_program_directory(w);
    Settings& s = w.app.settings;  // for this run only: Glimra mode saves no settings
    s.transition_effect = 2;
    s.slide_delay = 5000;
    s.flags.SlideSounds = true;
    s.flags.SlideTimed = true;
    s.flags.SlideShowName = false;
    PostMessage(w.hwnd, WM_COMMAND, CMD_SLIDE_SHOW, 0);
}
