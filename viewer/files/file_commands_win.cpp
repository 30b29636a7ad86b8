// The file commands of the main window: "Open..." through the folder-and-file
// browser, previous/next/first/last file, the three sort orders, "Delete File",
// "Rename File" (dialog "RENAME") and "Copy File..." (the folder browser).
#include <windows.h>

#include <string>

#include "dialogs/file_dialog_ids.h"
#include "app/app_win.h"
#include "app/command_registry_win.h"
#include "files/file_browser_win.h"
#include "files/file_list_state_win.h"
#include "files/file_navigation.h"
#include "files/file_paths.h"
#include "common/win_text_win.h"

namespace {

constexpr int kOpen = 40004, kClose = 40005, kPreviousFile = 40053, kFirstThumbnail = 40066;
constexpr int kRenameFile = 40112, kThumbnailJob = 40035;
constexpr size_t kPathChars = sizeof g_app.current_path / sizeof g_app.current_path[0];

std::string current_path() {
    char path[kPathChars];
    from_tchar(g_app.current_path, path);
    return path;
}

void set_current_directory(const std::string& directory) {
    lstrcpynA(g_app.settings.cur_dir, directory.c_str(), sizeof g_app.settings.cur_dir);
}

// ---- "Open..." -------------------------------------------------------------------

// The thumbnails of the new list are built on the worker thread.
void rebuild_thumbnails() {
    g_app.abort_jobs = true;
    post_worker(kThumbnailJob);
}

void cmd_open(HWND hwnd, int) {
    BrowseResult chosen;
    if (!browse_for_file(hwnd, g_app.settings.cur_dir, &chosen)) return;
    commit_scan();
    g_app.file_index = chosen.file_index;
    const std::string& path = chosen.path;
    if (!path.empty() && (path.back() == '\\' || path.back() == '/')) {
        set_current_directory(directory_without_separator(path));  // a directory, no new file
    } else if (path.size() < kPathChars) {
        to_tchar(path.c_str(), g_app.current_path);
        set_current_directory(directory_of(path));
        g_app.page_index = 0;
        open_current_file(true);
    } else {
        g_app.file_index = -1;  // a path longer than the current file path holds
        MessageBeep(0);
    }
    rebuild_thumbnails();
}

// ---- Previous / next / first / last file -------------------------------------------

void take_step(const NavStep& step) {
    if (step.action == NavAction::Beep) MessageBeep(0);
    if (step.action == NavAction::Move && !show_current_list_file(step.index)) MessageBeep(0);
}

void cmd_previous_next(HWND, int id) {
    const int32_t count = current_lists().files.count;
    take_step(id == kPreviousFile ? previous_file(g_app.file_index, count) : next_file(g_app.file_index, count));
}

// First and last thumbnail act only on built thumbnails; until the thumbnail
// browser builds any, there are none and the commands do nothing.
void cmd_first_last(HWND, int id) {
    constexpr bool kThumbnailsExist = false;
    constexpr int32_t kBuilt = 0;
    take_step(id == kFirstThumbnail ? first_thumbnail(g_app.file_index, kThumbnailsExist, kBuilt)
                                    : last_thumbnail(g_app.file_index, kThumbnailsExist, kBuilt));
}

// ---- Sort orders -----------------------------------------------------------------------

// The current list is sorted again and the file index follows the current file.
void cmd_sort(HWND hwnd, int id) {
    const int order = id == 40078 ? 0 : id == 40080 ? 1 : 2;
    if (order == g_app.settings.sort_order) return;
    g_app.settings.sort_order = order;
    check_sort_order();
    FileList& files = current_lists().files;
    const bool has_current = g_app.file_index >= 0 && g_app.file_index < files.count;
    const int32_t entry = has_current ? files.order[g_app.file_index] : -1;
    sort_files(files, order);
    for (int32_t position = 0; has_current && position < files.count; ++position)
        if (files.order[position] == entry) g_app.file_index = position;
    if (g_app.settings.flags.ComboView) InvalidateRect(hwnd, nullptr, FALSE);
}

// ---- Delete, rename, copy ------------------------------------------------------------------

void cmd_delete(HWND hwnd, int) {
    const std::string path = current_path();
    if (g_app.settings.flags.ConfirmDelete) {
        TCHAR text[256], caption[MAX_PATH];
        load_text(IDS_CONFIRM_DELETE, text, 256);
        to_tchar(file_name_of(path).c_str(), caption);
        if (MessageBox(hwnd, text, caption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    }
    DeleteFile(g_app.current_path);  // a failure is not reported
    PostMessage(hwnd, WM_COMMAND, kClose, 0);
}

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
void rename_in_lists(const std::string& directory, const std::string& old_name, const std::string& new_name) {
    for (DirLists* lists : {&current_lists(), &scan_lists()})
        rename_listed_file(lists->files, directory.c_str(), old_name.c_str(), new_name.c_str());
}

void cmd_rename(HWND hwnd, int) {
    const std::string path = current_path(), directory = directory_of(path), old_name = file_name_of(path);
    RenameText text = {};
    to_tchar(old_name.c_str(), text.name);
    if (DialogBoxParam(g_app.instance, TEXT("RENAME"), hwnd, rename_proc, (LPARAM)&text) != IDOK) return;
    char new_name[MAX_PATH];
    from_tchar(text.name, new_name);
    const std::string new_path = directory + "\\" + new_name;
    TCHAR target[MAX_PATH];
    to_tchar(new_path.c_str(), target);
    if (new_path.size() >= kPathChars || !MoveFile(g_app.current_path, target)) {
        message_box(hwnd, 5003, kRenameFile, MB_OK | MB_ICONERROR);
        return;
    }
    rename_in_lists(directory, old_name, new_name);
    lstrcpyn(g_app.current_path, target, (int)kPathChars);
}

// Where the last copy went in this run ("" until the first copy).
std::string g_copy_destination;

void cmd_copy(HWND hwnd, int) {
    const std::string start = g_copy_destination.empty() ? g_app.settings.cur_dir : g_copy_destination;
    std::string folder;
    if (!browse_for_folder(hwnd, start.c_str(), &folder)) return;
    g_copy_destination = folder;
    TCHAR target[MAX_PATH];
    to_tchar(join_path(folder.c_str(), file_name_of(current_path()).c_str()).c_str(), target);
    HCURSOR old = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    CopyFile(g_app.current_path, target, TRUE);  // an existing target is kept; failures are not reported
    SetCursor(old);
}

constexpr CommandEntry kFileCommands[] = {
    {kOpen, kOpen, NEED_NONE, cmd_open},
    {40053, 40054, NEED_NONE, cmd_previous_next},
    {40066, 40067, NEED_NONE, cmd_first_last},
    {40078, 40080, NEED_NONE, cmd_sort},
    {40061, 40061, NEED_IMAGE, cmd_delete},
    {kRenameFile, kRenameFile, NEED_IMAGE, cmd_rename},
    {40063, 40063, NEED_IMAGE, cmd_copy},
};
GLIMRA_COMMANDS(kFileCommands);

}  // namespace
