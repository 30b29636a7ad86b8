// Storage of the scan and current file lists, commit, the scans with the saved
// filter under the wait cursor, the start-up scan and the shell's small icons
// (SHGetFileInfo with SHGFI_SYSICONINDEX | SHGFI_SMALLICON).
#include "files/file_list_state_win.h"

#include <shellapi.h>

#include <cstring>
#include <memory>

#include "app/main_window_win.h"
#include "files/file_filters.h"
#include "common/win_text_win.h"

namespace {

class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }

private:
    HCURSOR old_;
};

}  // namespace

DirLists& scan_lists(MainWindow& w) { return *w.files.scan; }
DirLists& current_lists(MainWindow& w) { return *w.files.current; }

void commit_scan(MainWindow& w) {
    commit_lists(scan_lists(w), current_lists(w));
    w.doc.file_count = current_lists(w).files.count;
    w.files.current_entry_count = w.files.scan_entry_count;
}

void scan_files_into(MainWindow& w, DirLists& lists, const char* directory) {
    WaitCursor wait;
    const Settings& s = w.app.settings;
    scan_files(lists.files, directory, file_filter(s.dir_filter).pattern, s.flags.PreQualify, s.sort_order,
               shell_file_icon);
    if (&lists == &scan_lists(w)) w.files.scan_entry_count = count_entries(directory);
}

void scan_folders_into(DirLists& lists, const char* directory) { scan_folders(lists.folders, directory, shell_small_icon); }

namespace {

void scan_and_commit_current_directory(MainWindow& w) {
    scan_folders_into(scan_lists(w), w.app.settings.cur_dir);
    scan_files_into(w, scan_lists(w), w.app.settings.cur_dir);
    commit_scan(w);
}

}  // namespace

void scan_current_directory_at_startup(MainWindow& w) {
    if (!w.app.glimra_mode) scan_and_commit_current_directory(w);
}

bool refresh_current_list(MainWindow& w) {
    const char* directory = w.app.settings.cur_dir;
    const DirLists& current = current_lists(w);
    if (current.files.count > 0 && compare_names(current.files.directory, directory) == 0 &&
        count_entries(directory) == w.files.current_entry_count)
        return false;
    scan_and_commit_current_directory(w);
    return true;
}

HIMAGELIST system_small_icons() {
    TCHAR windows[MAX_PATH] = {};
    GetWindowsDirectory(windows, MAX_PATH);
    SHFILEINFO info = {};
    return (HIMAGELIST)SHGetFileInfo(windows, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
}

namespace {

int32_t system_icon_index(const char* full_path, DWORD attributes, UINT extra_flags) {
    TCHAR path[MAX_PATH];
    to_tchar(full_path, path);
    SHFILEINFO info = {};
    if (!SHGetFileInfo(path, attributes, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extra_flags))
        return 0;
    return info.iIcon;
}

// Kinds of file that carry an icon of their own rather than their type's.
bool has_own_icon(const char* name) {
    const char* dot = std::strrchr(name, '.');
    if (!dot) return false;
    for (const char* own : {".exe", ".ico", ".lnk", ".cur", ".ani", ".dll", ".url"})
        if (lstrcmpiA(dot, own) == 0) return true;
    return false;
}

}  // namespace

int32_t shell_small_icon(const char* full_path) { return system_icon_index(full_path, 0, 0); }

// Asking the shell about the file itself costs milliseconds per file (thousands in
// a large folder), so files show their type's icon, found from the name alone.
int32_t shell_file_icon(const char* full_path) {
    if (has_own_icon(full_path)) return shell_small_icon(full_path);
    return system_icon_index(full_path, FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES);
}

const char* current_list_name(MainWindow& w, int32_t position) {
    const FileList& files = current_lists(w).files;
    if (position < 0 || position >= files.count) return nullptr;
    return entry_name(files, files.order[position]);
}

bool show_current_list_file(MainWindow& w, int32_t position) {
    if (!current_list_name(w, position)) return false;
    const std::string path = join_path(w.app.settings.cur_dir, current_list_name(w, position));
    if (path.size() >= sizeof w.doc.current_path / sizeof w.doc.current_path[0]) return false;
    w.doc.file_index = position;
    to_tchar(path.c_str(), w.doc.current_path);
    PostMessage(w.hwnd, WM_USER, 0, 0);
    return true;
}
