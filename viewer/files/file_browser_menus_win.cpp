// The browsers' owner-drawn buttons and their drop-down menus: the path button
// shows the folder's name and drops the path's levels (the current one first, up to
// the computer level); the sort button shows the order and drops the three orders.
#include <windows.h>

#include "dialogs/file_dialog_ids.h"
#include "app/main_window_win.h"
#include "files/file_browser_win.h"
#include "files/file_paths.h"
#include "common/win_text_win.h"

namespace {

constexpr UINT kSortNames[3] = {IDS_COLUMN_NAME, IDS_COLUMN_SIZE, IDS_COLUMN_DATE};

void button_text(const Browser& browser, UINT id, TCHAR* text, int size) {
    if (id == IDC_BROWSE_SORT) {
        const int order = browser.main->app.settings.sort_order;
        load_text(kSortNames[order >= 0 && order < 3 ? order : 0], text, size);
    } else if (browser.directory.empty()) {
        load_text(IDS_COMPUTER_LEVEL, text, size);
    } else {
        to_tchar(path_button_name(browser.directory).c_str(), text, size);
    }
}

// A small downward triangle at the right end of `area`.
void draw_drop_mark(HDC dc, const RECT& area, bool enabled) {
    const int cx = area.right - 9, cy = (area.top + area.bottom) / 2;
    const POINT mark[3] = {{cx - 4, cy - 2}, {cx + 4, cy - 2}, {cx, cy + 2}};
    HBRUSH brush = GetSysColorBrush(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    HGDIOBJ old_brush = SelectObject(dc, brush);
    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
    Polygon(dc, mark, 3);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
}

// Shows `menu` under the button `id` and returns the chosen command (0 for none).
int track_under(HWND dialog, int id, HMENU menu) {
    RECT r;
    GetWindowRect(GetDlgItem(dialog, id), &r);
    const int chosen = (int)TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                           r.left, r.bottom, 0, dialog, nullptr);
    DestroyMenu(menu);
    return chosen;
}

}  // namespace

void draw_browser_button(const Browser& browser, const DRAWITEMSTRUCT* item) {
    RECT r = item->rcItem;
    const bool pressed = (item->itemState & ODS_SELECTED) != 0;
    DrawFrameControl(item->hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    TCHAR text[MAX_PATH];
    button_text(browser, item->CtlID, text, MAX_PATH);
    RECT label = {r.left + 6, r.top, r.right - 18, r.bottom};
    if (pressed) OffsetRect(&label, 1, 1);
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, GetSysColor(COLOR_BTNTEXT));
    DrawText(item->hDC, text, -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
    draw_drop_mark(item->hDC, r, (item->itemState & ODS_DISABLED) == 0);
    if (item->itemState & ODS_FOCUS) {
        InflateRect(&r, -3, -3);
        DrawFocusRect(item->hDC, &r);
    }
}

int choose_path_level(HWND dialog, const Browser& browser) {
    HMENU menu = CreatePopupMenu();
    const int levels = count_levels(browser.directory);
    TCHAR mark[8], text[MAX_PATH + 8];
    load_text(IDS_CURRENT_LEVEL, mark, 8);
    for (int k = 0; k <= levels; ++k) {
        TCHAR name[MAX_PATH];
        if (k == levels) load_text(IDS_COMPUTER_LABEL, name, MAX_PATH);
        else to_tchar(path_button_name(up_levels(browser.directory, k)).c_str(), name);
        wsprintf(text, TEXT("%s%s"), k == 0 ? mark : TEXT(""), name);
        AppendMenu(menu, MF_STRING, k + 1, text);
    }
    return track_under(dialog, IDC_BROWSE_PATH, menu) - 1;
}

int choose_sort_order(HWND dialog, const Browser& browser) {
    HMENU menu = CreatePopupMenu();
    for (int order = 0; order < 3; ++order) {
        TCHAR name[32];
        load_text(kSortNames[order], name, 32);
        const UINT checked = order == browser.main->app.settings.sort_order ? MF_CHECKED : MF_UNCHECKED;
        AppendMenu(menu, MF_STRING | checked, order + 1, name);
    }
    return track_under(dialog, IDC_BROWSE_SORT, menu) - 1;
}
