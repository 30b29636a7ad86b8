// The folder-and-file browser (dialog 125) and the folder browser (dialog 131): a
// report list view of folders first, then files in the saved sort order with size
// and UTC write time; folders are entered by double-click, the up button and the
// path menu; the file browser also has the filter list, the sort menu and a preview.
#include "files/file_browser_win.h"

#include <commctrl.h>

#include "dialogs/file_dialog_ids.h"
#include "app/main_window_win.h"
#include "files/file_filters.h"
#include "files/file_list_state_win.h"
#include "files/file_paths.h"
#include "files/file_preview_win.h"
#include "files/file_size_text.h"
#include "app/help_win.h"
#include "common/win_text_win.h"

namespace {

constexpr int kBrowserHelpTopic = 16;
constexpr int kSizeColumnWidth = 60, kDateColumnWidth = 140;
constexpr size_t kMaxDirectory = 255;  // what the current directory holds

struct BrowserDialog : Browser {
    FilePreview preview;
    HIMAGELIST bad = nullptr;
    HBITMAP up_picture = nullptr;
};

BrowserDialog& state_of(HWND dialog) { return *reinterpret_cast<BrowserDialog*>(GetWindowLongPtr(dialog, DWLP_USER)); }

HWND list_of(HWND dialog) { return GetDlgItem(dialog, IDC_BROWSE_LIST); }

// Item data: a file's sorted position (0 and up) or -(folder entry index + 1).
LPARAM folder_data(int32_t entry) { return -(LPARAM)entry - 1; }

void add_column(HWND list, int index, UINT title_id, int width) {
    TCHAR title[32];
    load_text(title_id, title, 32);
    LVCOLUMN column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = width;
    column.pszText = title;
    column.iSubItem = index;
    ListView_InsertColumn(list, index, &column);
}

void add_columns(HWND list, bool files) {
    RECT r;
    GetClientRect(list, &r);
    if (!files) {
        add_column(list, 0, IDS_COLUMN_NAME, r.right - GetSystemMetrics(SM_CXVSCROLL));
        return;
    }
    add_column(list, 0, IDS_COLUMN_NAME, r.right * 2 / 3);
    add_column(list, 1, IDS_COLUMN_SIZE, kSizeColumnWidth);
    add_column(list, 2, IDS_COLUMN_DATE, kDateColumnWidth);
}

int add_item(HWND list, const char* name, int icon, LPARAM data) {
    TCHAR text[MAX_PATH];
    to_tchar(name, text);
    LVITEM item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = ListView_GetItemCount(list);
    item.pszText = text;
    item.iImage = icon;
    item.lParam = data;
    return ListView_InsertItem(list, &item);
}

void set_column_text(HWND list, int row, int column, const char* value) {
    TCHAR text[64];
    to_tchar(value, text);
    ListView_SetItemText(list, row, column, text);
}

void add_files(HWND list, const FileList& files) {
    for (int32_t position = 0; position < files.count; ++position) {
        const FileEntry& entry = file_at(files, position);
        const int row = add_item(list, entry_name(files, files.order[position]), entry.icon, position);
        if (row < 0) continue;
        char size[16], time[24];
        format_size(entry.size, size);
        format_list_time(entry.write_low, entry.write_high, time);
        set_column_text(list, row, 1, size);
        set_column_text(list, row, 2, time);
    }
}

void clear_preview(HWND dialog, BrowserDialog& b) {
    free_file_preview(&b.preview);
    for (int id : {IDC_BROWSE_DATE, IDC_BROWSE_DIMENSIONS, IDC_BROWSE_SIZE}) SetDlgItemText(dialog, id, TEXT(""));
    if (HWND box = GetDlgItem(dialog, IDC_BROWSE_PREVIEW)) InvalidateRect(box, nullptr, FALSE);
}

void fill_list(HWND dialog, BrowserDialog& b) {
    HWND list = list_of(dialog);
    SendMessage(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    const FolderList& folders = b.lists->folders;
    for (int32_t i = 0; i < folders.count; ++i) {
        const int32_t entry = folders.order[i];
        add_item(list, entry_name(folders, entry), folders.entries[entry].icon, folder_data(entry));
    }
    if (b.files) add_files(list, b.lists->files);
    SendMessage(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    InvalidateRect(GetDlgItem(dialog, IDC_BROWSE_PATH), nullptr, FALSE);
    clear_preview(dialog, b);
}

void rescan(HWND dialog, BrowserDialog& b) {
    scan_folders_into(*b.lists, b.directory.c_str());
    if (b.files) scan_files_into(*b.main, *b.lists, b.directory.c_str());
    fill_list(dialog, b);
}

void go_to(HWND dialog, BrowserDialog& b, const std::string& directory) {
    if (directory.size() > kMaxDirectory) {
        MessageBeep(0);
        return;
    }
    b.directory = directory;
    rescan(dialog, b);
}

// The files are scanned again unless the scan lists already hold this directory,
// it is the directory of the current list (the one thumbnails are built for), and
// its entry count is the one stored when a browser last closed.
bool needs_file_scan(const BrowserDialog& b) {
    const char* dir = b.directory.c_str();
    if (compare_names(b.lists->files.directory, dir) != 0) return true;
    return browser_needs_file_scan(dir, current_lists(*b.main).files.directory, count_entries(dir),
                                   b.main->files.browser_closing_entry_count);
}

void show_local_date(HWND dialog, const FileEntry& entry) {
    const FILETIME stored = {entry.write_low, entry.write_high};
    FILETIME local;
    SYSTEMTIME t;
    if (!FileTimeToLocalFileTime(&stored, &local) || !FileTimeToSystemTime(&local, &t)) return;
    TCHAR text[32];
    wsprintf(text, TEXT("%02d/%02d/%04d"), t.wMonth, t.wDay, t.wYear);
    SetDlgItemText(dialog, IDC_BROWSE_DATE, text);
}

void show_preview(HWND dialog, BrowserDialog& b, int32_t position) {
    clear_preview(dialog, b);
    const FileList& files = b.lists->files;
    if (!b.files || !b.main->files.preview_on || position < 0 || position >= files.count) return;
    const FileEntry& entry = file_at(files, position);
    show_local_date(dialog, entry);
    char size[16];
    format_size(entry.size, size);
    TCHAR text[64];
    to_tchar(size, text);
    SetDlgItemText(dialog, IDC_BROWSE_SIZE, text);
    HWND box = GetDlgItem(dialog, IDC_BROWSE_PREVIEW);
    RECT r;
    GetClientRect(box, &r);
    const std::string path = join_path(b.directory.c_str(), entry_name(files, files.order[position]));
    make_file_preview(path.c_str(), r.right, r.bottom, b.main->app.settings.flags.IgnoreErrors, &b.preview);
    if (b.preview.width > 0) {
        wsprintf(text, TEXT("%d x %d"), b.preview.width, b.preview.height);
        SetDlgItemText(dialog, IDC_BROWSE_DIMENSIONS, text);
    }
    InvalidateRect(box, nullptr, FALSE);
}

LPARAM item_data(HWND list, int row) {
    LVITEM item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    ListView_GetItem(list, &item);
    return item.lParam;
}

int selected_row(HWND dialog) { return ListView_GetNextItem(list_of(dialog), -1, LVNI_SELECTED); }

void close_browser(HWND dialog, BrowserDialog& b, int button) {
    if (b.files) b.main->files.browser_closing_entry_count = count_entries(b.directory.c_str());
    free_file_preview(&b.preview);
    EndDialog(dialog, button);
}

void on_ok(HWND dialog, BrowserDialog& b) {
    const int row = selected_row(dialog);
    const LPARAM data = row >= 0 ? item_data(list_of(dialog), row) : 0;
    if (b.directory.empty() || (b.files && row >= 0 && data < 0)) {
        MessageBeep(0);  // the computer level, or a folder chosen where a file is asked for
        return;
    }
    if (!b.files) {
        b.result.path = b.directory;
    } else if (row < 0) {
        b.result.path = join_path(b.directory.c_str(), "");
        b.result.file_index = -1;
    } else {
        const FileList& files = b.lists->files;
        b.result.path = join_path(b.directory.c_str(), entry_name(files, files.order[data]));
        b.result.file_index = (int32_t)data;
    }
    close_browser(dialog, b, IDOK);
}

// Double-click on `row`: a folder or drive is entered, a file is chosen.
void on_activate(HWND dialog, BrowserDialog& b, int row) {
    if (row < 0) return;
    const LPARAM data = item_data(list_of(dialog), row);
    if (data >= 0) return on_ok(dialog, b);
    const FolderList& folders = b.lists->folders;
    go_to(dialog, b, enter_folder(b.directory, entry_name(folders, (int32_t)(-data - 1))));
}

void on_sort_button(HWND dialog, BrowserDialog& b) {
    const int order = choose_sort_order(dialog, b);
    if (order < 0) return;
    b.main->app.settings.sort_order = order;
    check_sort_order(*b.main);
    sort_files(b.lists->files, order);
    fill_list(dialog, b);
    InvalidateRect(GetDlgItem(dialog, IDC_BROWSE_SORT), nullptr, FALSE);
}

void on_filter_change(HWND dialog, BrowserDialog& b) {
    b.main->app.settings.dir_filter = (int32_t)SendDlgItemMessage(dialog, IDC_BROWSE_FILTER, CB_GETCURSEL, 0, 0);
    scan_files_into(*b.main, *b.lists, b.directory.c_str());
    fill_list(dialog, b);
}

void on_preview_switch(HWND dialog, BrowserDialog& b) {
    b.main->files.preview_on = IsDlgButtonChecked(dialog, IDC_BROWSE_PREVIEW_ON) == BST_CHECKED;
    const int row = selected_row(dialog);
    show_preview(dialog, b, row >= 0 ? (int32_t)item_data(list_of(dialog), row) : -1);
}

void on_command(HWND dialog, int id, int code) {
    BrowserDialog& b = state_of(dialog);
    switch (id) {
    case IDOK: on_ok(dialog, b); break;
    case IDCANCEL: close_browser(dialog, b, IDCANCEL); break;
    case IDHELP: show_help(b.main->app.help, dialog, kBrowserHelpTopic); break;
    case IDC_BROWSE_UP: go_to(dialog, b, parent_directory(b.directory)); break;
    case IDC_BROWSE_PATH: {
        const int levels = choose_path_level(dialog, b);
        if (levels > 0) go_to(dialog, b, up_levels(b.directory, levels));
        break;
    }
    case IDC_BROWSE_SORT: on_sort_button(dialog, b); break;
    case IDC_BROWSE_FILTER:
        if (code == CBN_SELCHANGE) on_filter_change(dialog, b);
        break;
    case IDC_BROWSE_PREVIEW_ON: on_preview_switch(dialog, b); break;
    default: break;
    }
}

void on_notify(HWND dialog, const NMHDR* header) {
    if (header->idFrom != IDC_BROWSE_LIST) return;
    BrowserDialog& b = state_of(dialog);
    if (header->code == NM_DBLCLK) {
        on_activate(dialog, b, reinterpret_cast<const NMITEMACTIVATE*>(header)->iItem);
    } else if (header->code == LVN_ITEMCHANGED) {
        const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
        if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED))
            show_preview(dialog, b, (int32_t)change->lParam);
    }
}

void on_draw_item(HWND dialog, const DRAWITEMSTRUCT* item) {
    BrowserDialog& b = state_of(dialog);
    if (item->CtlID == IDC_BROWSE_PREVIEW) draw_file_preview(b.preview, item->hDC, item->rcItem, b.bad);
    else draw_browser_button(b, item);
}

// The up button shows the "DIR_UP" picture, or a text while the picture is missing.
void set_up_button(HWND dialog, BrowserDialog& b) {
    HWND up = GetDlgItem(dialog, IDC_BROWSE_UP);
    b.up_picture = (HBITMAP)LoadImage(b.main->app.instance, TEXT("DIR_UP"), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS);
    if (b.up_picture) {
        SetWindowLongPtr(up, GWL_STYLE, GetWindowLongPtr(up, GWL_STYLE) | BS_BITMAP);
        SendMessage(up, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)b.up_picture);
    } else {
        TCHAR text[16];
        load_text(IDS_UP_TEXT, text, 16);
        SetWindowText(up, text);
    }
}

void fill_filters(HWND dialog, const BrowserDialog& b) {
    for (int i = 0; i < kFileFilterCount; ++i) {
        TCHAR text[64];
        to_tchar(file_filter(i).description, text);
        SendDlgItemMessage(dialog, IDC_BROWSE_FILTER, CB_ADDSTRING, 0, (LPARAM)text);
    }
    const int current = b.main->app.settings.dir_filter;
    SendDlgItemMessage(dialog, IDC_BROWSE_FILTER, CB_SETCURSEL, current >= 0 && current < kFileFilterCount ? current : 0, 0);
}

void on_init(HWND dialog, BrowserDialog* b) {
    SetWindowLongPtr(dialog, DWLP_USER, (LONG_PTR)b);
    HWND list = list_of(dialog);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    ListView_SetImageList(list, system_small_icons(), LVSIL_SMALL);
    add_columns(list, b->files);
    set_up_button(dialog, *b);
    if (b->files) {
        b->bad = ImageList_LoadImage(b->main->app.instance, TEXT("ILIST_BAD"), 32, 0, RGB(255, 255, 255), IMAGE_BITMAP, 0);
        fill_filters(dialog, *b);
        CheckDlgButton(dialog, IDC_BROWSE_PREVIEW_ON, b->main->files.preview_on ? BST_CHECKED : BST_UNCHECKED);
    }
    scan_folders_into(*b->lists, b->directory.c_str());
    if (b->files && needs_file_scan(*b)) scan_files_into(*b->main, *b->lists, b->directory.c_str());
    else if (b->files) sort_files(b->lists->files, b->main->app.settings.sort_order);
    fill_list(dialog, *b);
}

void on_destroy(BrowserDialog& b) {
    free_file_preview(&b.preview);
    if (b.bad) ImageList_Destroy(b.bad);
    if (b.up_picture) DeleteObject(b.up_picture);
    b.bad = nullptr;
    b.up_picture = nullptr;
}

INT_PTR CALLBACK browser_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_INITDIALOG && !GetWindowLongPtr(dialog, DWLP_USER)) return FALSE;
    switch (msg) {
    case WM_INITDIALOG: on_init(dialog, reinterpret_cast<BrowserDialog*>(lp)); return TRUE;
    case WM_COMMAND: on_command(dialog, LOWORD(wp), HIWORD(wp)); return TRUE;
    case WM_NOTIFY: on_notify(dialog, reinterpret_cast<const NMHDR*>(lp)); return TRUE;
    case WM_DRAWITEM: on_draw_item(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_DESTROY: on_destroy(state_of(dialog)); return FALSE;
    default: return FALSE;
    }
}

bool run_browser(int resource, BrowserDialog& b) {
    return DialogBoxParam(b.main->app.instance, MAKEINTRESOURCE(resource), b.main->hwnd, browser_proc, (LPARAM)&b) == IDOK;
}

}  // namespace

bool browse_for_file(MainWindow& w, const char* directory, BrowseResult* result) {
    BrowserDialog b;
    b.main = &w;
    b.files = true;
    b.lists = &scan_lists(w);
    b.directory = directory;
    if (!run_browser(IDD_FILE_BROWSER, b)) return false;
    *result = b.result;
    return true;
}

bool browse_for_folder(MainWindow& w, const char* directory, std::string* folder) {
    BrowserDialog b;
    b.main = &w;
    b.files = false;
    b.lists = w.files.folder_browser.get();
    b.directory = directory;
    if (!run_browser(IDD_FOLDER_BROWSER, b)) return false;
    *folder = b.result.path;
    return true;
}
