// The file commands of the main window: "Open..." through the folder-and-file
// browser, previous/next/first/last file, the three sort orders, "Delete File",
// "Rename File" (dialog "RENAME") and "Copy File..." (the folder browser).
#include <windows.h>

#include <string>

#include "files/file_commands_win.h"

#include "dialogs/file_dialog_ids.h"
#include "resource_ids.h"
#include "app/main_window_win.h"
#include "files/file_browser_win.h"
#include "files/file_list_state_win.h"
#include "files/file_navigation.h"
#include "files/file_paths.h"
#include "common/win_text_win.h"

namespace {

constexpr size_t kPathChars = sizeof Document::current_path / sizeof Document::current_path[0];

std::string current_path(const MainWindow& w) {
    char path[kPathChars];
    from_tchar(w.doc.current_path, path);
    return path;
}

void set_current_directory(MainWindow& w, const std::string& directory) {
    lstrcpynA(w.app.settings.cur_dir, directory.c_str(), sizeof w.app.settings.cur_dir);
}

// ---- "Open..." -------------------------------------------------------------------

// The thumbnails of the new list are built on the worker thread.
void rebuild_thumbnails(MainWindow& w) {
    w.app.flags.abort_jobs = true;
    post_worker(w.app.worker, CMD_TOGGLE_THUMBNAIL_VIEW);
}

}  // namespace

void cmd_open(MainWindow& w, int) {
    BrowseResult chosen;
    if (!browse_for_file(w, w.app.settings.cur_dir, &chosen)) return;
    commit_scan(w);
    w.doc.file_index = chosen.file_index;
    const std::string& path = chosen.path;
    if (!path.empty() && (path.back() == '\\' || path.back() == '/')) {
        set_current_directory(w, directory_without_separator(path));  // a directory, no new file
    } else if (path.size() < kPathChars) {
        to_tchar(path.c_str(), w.doc.current_path);
        set_current_directory(w, directory_of(path));
        w.doc.page_index = 0;
        open_current_file(w, true);
    } else {
        w.doc.file_index = -1;  // a path longer than the current file path holds
        MessageBeep(0);
    }
    rebuild_thumbnails(w);
}

// ---- Previous / next / first / last file -------------------------------------------

namespace {

void take_step(MainWindow& w, const NavStep& step) {
    if (step.action == NavAction::Beep) MessageBeep(0);
    if (step.action == NavAction::Move && !show_current_list_file(w, step.index)) MessageBeep(0);
}

}  // namespace

void cmd_previous_next(MainWindow& w, int id) {
    const int32_t count = current_lists(w).files.count;
    take_step(w, id == CMD_PREVIOUS_FILE ? previous_file(w.doc.file_index, count) : next_file(w.doc.file_index, count));
}

// First and last thumbnail act only on built thumbnails; until the thumbnail
// browser builds any, there are none and the commands do nothing.
void cmd_first_last(MainWindow& w, int id) {
    constexpr bool kThumbnailsExist = false;
    constexpr int32_t kBuilt = 0;
    take_step(w, id == CMD_FIRST_THUMBNAIL_IMAGE ? first_thumbnail(w.doc.file_index, kThumbnailsExist, kBuilt)
                                    : last_thumbnail(w.doc.file_index, kThumbnailsExist, kBuilt));
}

// ---- Sort orders -----------------------------------------------------------------------

// The current list is sorted again and the file index follows the current file.
void cmd_sort(MainWindow& w, int id) {
    const int order = id == CMD_SORT_BY_NAME ? 0 : id == CMD_SORT_BY_SIZE ? 1 : 2;
    if (order == w.app.settings.sort_order) return;
    w.app.settings.sort_order = order;
    check_sort_order(w);
    FileList& files = current_lists(w).files;
    const bool has_current = w.doc.file_index >= 0 && w.doc.file_index < files.count;
    const int32_t entry = has_current ? files.order[w.doc.file_index] : -1;
    sort_files(files, order);
    for (int32_t position = 0; has_current && position < files.count; ++position)
        if (files.order[position] == entry) w.doc.file_index = position;
    if (w.app.settings.flags.ComboView) InvalidateRect(w.hwnd, nullptr, FALSE);
}

// ---- Delete, rename, copy ------------------------------------------------------------------

void cmd_delete_file(MainWindow& w, int) {
    const std::string path = current_path(w);
    if (w.app.settings.flags.ConfirmDelete) {
        TCHAR text[256], caption[MAX_PATH];
        load_text(IDS_CONFIRM_DELETE, text, 256);
        to_tchar(file_name_of(path).c_str(), caption);
        if (MessageBox(w.hwnd, text, caption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    }
    DeleteFile(w.doc.current_path);  // a failure is not reported
    PostMessage(w.hwnd, WM_COMMAND, CMD_CLOSE, 0);
}

namespace {

struct RenameText {
    TCHAR name[MAX_PATH];
};

INT_PTR CALLBACK rename_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtr(dialog, DWLP_USER, lp);
        const RenameText* text = reinterpret_cast<const RenameText*>(lp);
        SetDlgItemText(dialog, IDC_RENAME_OLD, text->name);
        SetDlgItemText(dialog, IDC_RENAME_NEW, text->name);
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        RenameText* text = reinterpret_cast<RenameText*>(GetWindowLongPtr(dialog, DWLP_USER));
        GetDlgItemText(dialog, IDC_RENAME_NEW, text->name, MAX_PATH);
        EndDialog(dialog, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

// The renamed file keeps its place in the current and the scan lists.
void rename_in_lists(MainWindow& w, const std::string& directory, const std::string& old_name, const std::string& new_name) {
    for (DirLists* lists : {&current_lists(w), &scan_lists(w)})
        rename_listed_file(lists->files, directory.c_str(), old_name.c_str(), new_name.c_str());
}

}  // namespace

void cmd_rename_file(MainWindow& w, int) {
    const std::string path = current_path(w), directory = directory_of(path), old_name = file_name_of(path);
    RenameText text = {};
    to_tchar(old_name.c_str(), text.name);
    if (DialogBoxParam(w.app.instance, TEXT("RENAME"), w.hwnd, rename_proc, (LPARAM)&text) != IDOK) return;
    char new_name[MAX_PATH];
    from_tchar(text.name, new_name);
    const std::string new_path = directory + "\\" + new_name;
    TCHAR target[MAX_PATH];
    to_tchar(new_path.c_str(), target);
    if (new_path.size() >= kPathChars || !MoveFile(w.doc.current_path, target)) {
        message_box(w.hwnd, IDS_ERROR_IO, CMD_RENAME_FILE, MB_OK | MB_ICONERROR);
        return;
    }
    rename_in_lists(w, directory, old_name, new_name);
    lstrcpyn(w.doc.current_path, target, (int)kPathChars);
}

// Where the last copy went in this run ("" until the first copy).


void cmd_copy_file(MainWindow& w, int) {
    const std::string start = w.files.copy_destination.empty() ? w.app.settings.cur_dir : w.files.copy_destination;
    std::string folder;
    if (!browse_for_folder(w, start.c_str(), &folder)) return;
    w.files.copy_destination = folder;
    TCHAR target[MAX_PATH];
    to_tchar(join_path(folder.c_str(), file_name_of(current_path(w)).c_str()).c_str(), target);
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    CopyFile(w.doc.current_path, target, TRUE);  // an existing target is kept; failures are not reported
    SetCursor(old);
}
