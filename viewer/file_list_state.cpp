// Storage of the scan and current file lists, commit, the scans with the saved
// filter under the wait cursor, the start-up scan and the shell's small icons
// (SHGetFileInfo with SHGFI_SYSICONINDEX | SHGFI_SMALLICON).
#include "file_list_state.h"

#include <shellapi.h>

#include <memory>

#include "app.h"
#include "file_filters.h"
#include "win_text.h"

namespace {

// Both pairs of lists are large (about 200 KB each), so they live on the heap for
// the whole run.
DirLists& lists_at(int which) {
    static std::unique_ptr<DirLists> lists[2] = {std::make_unique<DirLists>(), std::make_unique<DirLists>()};
    return *lists[which];
}

class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }

private:
    HCURSOR old_;
};

}  // namespace

DirLists& scan_lists() { return lists_at(0); }
DirLists& current_lists() { return lists_at(1); }

void commit_scan() {
    commit_lists(scan_lists(), current_lists());
    g_app.file_count = current_lists().files.count;
}

void scan_files_into(DirLists& lists, const char* directory) {
    WaitCursor wait;
    const Settings& s = g_app.settings;
    scan_files(lists.files, directory, file_filter(s.dir_filter).pattern, s.flags.PreQualify, s.sort_order,
               shell_small_icon);
}

void scan_folders_into(DirLists& lists, const char* directory) { scan_folders(lists.folders, directory, shell_small_icon); }

void scan_current_directory_at_startup() {
    if (g_app.glimra_mode) return;
    scan_folders_into(scan_lists(), g_app.settings.cur_dir);
    scan_files_into(scan_lists(), g_app.settings.cur_dir);
    commit_scan();
}

int32_t& browser_closing_entry_count() {
    static int32_t count = 0;
    return count;
}

HIMAGELIST system_small_icons() {
    TCHAR windows[MAX_PATH] = {};
    GetWindowsDirectory(windows, MAX_PATH);
    SHFILEINFO info = {};
    return (HIMAGELIST)SHGetFileInfo(windows, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
}

int32_t shell_small_icon(const char* full_path) {
    TCHAR path[MAX_PATH];
    to_tchar(full_path, path);
    SHFILEINFO info = {};
    if (!SHGetFileInfo(path, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON)) return 0;
    return info.iIcon;
}

const char* current_list_name(int32_t position) {
    const FileList& files = current_lists().files;
    return entry_name(files, files.order[position]);
}

bool show_current_list_file(int32_t position) {
    const std::string path = join_path(g_app.settings.cur_dir, current_list_name(position));
    if (path.size() >= sizeof g_app.current_path / sizeof g_app.current_path[0]) return false;
    g_app.file_index = position;
    to_tchar(path.c_str(), g_app.current_path);
    PostMessage(g_app.main_window, WM_USER, 0, 0);
    return true;
}
