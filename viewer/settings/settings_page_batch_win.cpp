// The "Batch Process" page: destination directory (with a folder browser), log file,
// output format, colour reduction, scale or resize choice, overwrite and crop fields.
#include <windows.h>
#include <shlobj.h>
#include <tchar.h>

#include "app/app_win.h"
#include "common/dialog_util_win.h"
#include "resource_ids.h"
#include "settings/settings_pages_win.h"
#include "common/win_text_win.h"

namespace {

Settings& live(HWND page) { return sheet_of(page).app.settings; }

struct NumberField {
    int id;
    int32_t Settings::*value;
};

constexpr NumberField kNumbers[] = {
    {IDC_BATCH_CX, &Settings::batch_cx},           {IDC_BATCH_CY, &Settings::batch_cy},
    {IDC_BATCH_CROP_X1, &Settings::batch_crop_x1}, {IDC_BATCH_CROP_Y1, &Settings::batch_crop_y1},
    {IDC_BATCH_CROP_X2, &Settings::batch_crop_x2}, {IDC_BATCH_CROP_Y2, &Settings::batch_crop_y2},
};

struct TextField {
    int id;
    char (Settings::*text)[256];
};

constexpr TextField kTexts[] = {
    {IDC_BATCH_DIR, &Settings::batch_dir},
    {IDC_BATCH_LOG, &Settings::batch_log},
};

void init_batch(HWND page) {
    fill_list_from_strings(page, IDC_BATCH_FORMAT, IDS_BATCH_FORMATS, 14);
    fill_list_from_strings(page, IDC_BATCH_COLOR, IDS_BATCH_COLORS, 2);
    fill_list_from_strings(page, IDC_BATCH_SCALE, IDS_BATCH_SCALES, 4);
    for (const TextField& f : kTexts) SendDlgItemMessage(page, f.id, EM_LIMITTEXT, 255, 0);
    for (const NumberField& f : kNumbers) SendDlgItemMessage(page, f.id, EM_LIMITTEXT, 6, 0);
}

void load_batch(HWND page) {
    for (const TextField& f : kTexts) {
        TCHAR text[256];
        to_tchar(live(page).*f.text, text);
        SetDlgItemText(page, f.id, text);
    }
    for (const NumberField& f : kNumbers) set_edit_number(page, f.id, live(page).*f.value);
    set_list_selection(page, IDC_BATCH_FORMAT, live(page).batch_format);
    set_list_selection(page, IDC_BATCH_COLOR, live(page).batch_color);
    set_list_selection(page, IDC_BATCH_SCALE, live(page).batch_scale);
    set_checked(page, IDC_BATCH_SCALE_MODE, live(page).flags.BatchScaleMode);
    set_checked(page, IDC_BATCH_RESIZE_MODE, !live(page).flags.BatchScaleMode);
    set_checked(page, IDC_BATCH_OVERWRITE, live(page).flags.BatchOverwrite);
}

void store_batch(HWND page) {
    for (const TextField& f : kTexts) {
        TCHAR text[256];
        GetDlgItemText(page, f.id, text, 256);
        from_tchar(text, live(page).*f.text);
    }
    for (const NumberField& f : kNumbers) live(page).*f.value = edit_number(page, f.id, live(page).*f.value);
    live(page).batch_format = list_selection(page, IDC_BATCH_FORMAT);
    live(page).batch_color = list_selection(page, IDC_BATCH_COLOR);
    live(page).batch_scale = list_selection(page, IDC_BATCH_SCALE);
    live(page).flags.BatchScaleMode = is_checked(page, IDC_BATCH_SCALE_MODE);
    live(page).flags.BatchOverwrite = is_checked(page, IDC_BATCH_OVERWRITE);
}

// The folder browser writes the chosen directory into the "Destination Dir:" field.
void browse_for_directory(HWND page) {
    TCHAR title[64], chosen[MAX_PATH] = {};
    load_text(IDS_BROWSE_TITLE, title, 64);
    BROWSEINFO info = {};
    info.hwndOwner = page;
    info.pszDisplayName = chosen;
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST item = SHBrowseForFolder(&info);
    if (!item) return;
    if (SHGetPathFromIDList(item, chosen)) SetDlgItemText(page, IDC_BATCH_DIR, chosen);
    CoTaskMemFree(item);
}

bool batch_message(HWND page, UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_COMMAND || LOWORD(wp) != IDC_BATCH_BROWSE) return false;
    browse_for_directory(page);
    return true;
}

}  // namespace

const SettingsPage kBatchPage = {TEXT("BATCH"), 10, init_batch, load_batch, store_batch, batch_message};
