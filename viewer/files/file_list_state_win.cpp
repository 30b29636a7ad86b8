// Storage of the scan and current file lists, commit, the scans with the saved
// filter under the wait cursor, the start-up scan and the shell's small icons
// (SHGetFileInfo with SHGFI_SYSICONINDEX | SHGFI_SMALLICON).
#include "files/file_list_state_win.h"

#include <shellapi.h>

#include <cstring>
#include <memory>

#include "app/app_win.h"
#include "files/file_filters.h"
#include "common/win_text_win.h"

namespace {

// Both pairs of lists are large (about 200 KB each), so they live on the heap for
// the whole run.
DirLists& lists_at(int which) {
    static std::unique_ptr<DirLists> lists[2] = {std::make_unique<DirLists>(), std::make_unique<DirLists>()};
    return *lists[which];
}

// Entry counts of the scanned directory, taken with each file scan of the scan
// lists and carried over to the current lists by commit.
int32_t g_scan_entry_count = 0, g_current_entry_count = 0;

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
    g_current_entry_count = g_scan_entry_count;
}

void scan_files_into(DirLists& lists, const char* directory) {
    WaitCursor wait;
    const Settings& s = g_app.settings;
    scan_files(lists.files, directory, file_filter(s.dir_filter).pattern, s.flags.PreQualify, s.sort_order,
               shell_file_icon);
    if (&lists == &scan_lists()) g_scan_entry_count = count_entries(directory);
}

void scan_folders_into(DirLists& lists, const char* directory) { scan_folders(lists.folders, directory, shell_small_icon); }

namespace {

void scan_and_commit_current_directory() {
    scan_folders_into(scan_lists(), g_app.settings.cur_dir);
    scan_files_into(scan_lists(), g_app.settings.cur_dir);
    commit_scan();
}

}  // namespace

void scan_current_directory_at_startup() {
    if (!g_app.glimra_mode) scan_and_commit_current_directory();
}

bool refresh_current_list() {
    const char* directory = g_app.settings.cur_dir;
    const DirLists& current = current_lists();
    if (current.files.count > 0 && compare_names(current.files.directory, directory) == 0 &&
        count_entries(directory) == g_current_entry_count)
        return false;
    scan_and_commit_current_directory();
    return true;
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

const char* current_list_name(int32_t position) {
    const FileList& files = current_lists().files;
    if (position < 0 || position >= files.count) return nullptr;
    return entry_name(files, files.order[position]);
}

bool show_current_list_file(int32_t position) {
    if (!current_list_name(position)) return false;
    const std::string path = join_path(g_app.settings.cur_dir, current_list_name(position));
    if (path.size() >= sizeof g_app.current_path / sizeof g_app.current_path[0]) return false;
    g_app.file_index = position;
    to_tchar(path.c_str(), g_app.current_path);
    PostMessage(g_app.main_window, WM_USER, 0, 0);
    return true;
}
