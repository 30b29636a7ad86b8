// The "GUI" page: thumbnail size and shape, file names under thumbnails, whether
// thumbnails are built at all, and the label font with a live sample.
#include <windows.h>
#include <commdlg.h>

#include "app/app_win.h"
#include "common/dialog_util_win.h"
#include "common/font_record_win.h"
#include "resource_ids.h"
#include "settings/settings_pages_win.h"
#include "common/win_text_win.h"

namespace {

Settings& live(HWND page) { return sheet_of(page).app.settings; }


void init_gui(HWND page) {
    fill_list_from_strings(page, IDC_GUI_SIZE, IDS_THUMB_SIZES, 4);
    fill_list_from_strings(page, IDC_GUI_SHAPE, IDS_THUMB_SHAPES, 3);
}

void load_gui(HWND page) {
    set_list_selection(page, IDC_GUI_SIZE, live(page).thumb_size);
    set_list_selection(page, IDC_GUI_SHAPE, live(page).thumb_shape);
    set_checked(page, IDC_GUI_NAMES, live(page).flags.ThumbNames);
    set_checked(page, IDC_GUI_ENABLED, live(page).flags.ThumbsEnabled);
}

// Turning thumbnails off also leaves the combo view, which shows them; a new cell
// size or shape asks the main window to rebuild the thumbnails.
void store_gui(HWND page) {
    const int old_size = live(page).thumb_size, old_shape = live(page).thumb_shape;
    live(page).thumb_size = list_selection(page, IDC_GUI_SIZE);
    live(page).thumb_shape = list_selection(page, IDC_GUI_SHAPE);
    live(page).flags.ThumbNames = is_checked(page, IDC_GUI_NAMES);
    const bool was_enabled = live(page).flags.ThumbsEnabled;
    live(page).flags.ThumbsEnabled = is_checked(page, IDC_GUI_ENABLED);
    if (was_enabled && !live(page).flags.ThumbsEnabled) {
        live(page).flags.ComboView = false;
        InvalidateRect(sheet_of(page).owner, nullptr, TRUE);
    }
    if (live(page).thumb_size != old_size || live(page).thumb_shape != old_shape)
        PostMessage(sheet_of(page).owner, WM_COMMAND, CMD_REFRESH_THUMBNAILS, 0);
}

void choose_font(HWND page) {
    LOGFONT font = to_logfont(live(page).thumb_font);
    CHOOSEFONT choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = page;
    choose.lpLogFont = &font;
    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFont(&choose)) return;
    live(page).thumb_font = from_logfont(font);
    recreate_thumb_label_font(sheet_of(page).app);
    InvalidateRect(GetDlgItem(page, IDC_GUI_SAMPLE), nullptr, TRUE);
    InvalidateRect(sheet_of(page).owner, nullptr, TRUE);
}

// The sample: "Sample" centred in the label font on white.
void draw_sample(HWND page, const DRAWITEMSTRUCT* item) {
    FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TCHAR text[32];
    load_text(IDS_SAMPLE, text, 32);
    HFONT font = sheet_of(page).app.thumb_label_font;
    HGDIOBJ old = SelectObject(item->hDC, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, RGB(0, 0, 0));
    RECT r = item->rcItem;
    DrawText(item->hDC, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item->hDC, old);
}

bool gui_message(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && LOWORD(wp) == IDC_GUI_FONT) {
        choose_font(page);
        return true;
    }
    if (msg == WM_DRAWITEM && wp == IDC_GUI_SAMPLE) {
        draw_sample(page, reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        SetWindowLongPtr(page, DWLP_MSGRESULT, TRUE);
        return true;
    }
    return false;
}

}  // namespace

const SettingsPage kGuiPage = {TEXT("THUMBS"), 8, init_gui, load_gui, store_gui, gui_message};
