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

Settings& live() { return g_app.settings; }

constexpr int kRefreshThumbnails = 40088;

void init_gui(HWND page) {
    fill_list_from_strings(page, IDC_GUI_SIZE, IDS_THUMB_SIZES, 4);
    fill_list_from_strings(page, IDC_GUI_SHAPE, IDS_THUMB_SHAPES, 3);
}

void load_gui(HWND page) {
    set_list_selection(page, IDC_GUI_SIZE, live().thumb_size);
    set_list_selection(page, IDC_GUI_SHAPE, live().thumb_shape);
    set_checked(page, IDC_GUI_NAMES, live().flags.ThumbNames);
    set_checked(page, IDC_GUI_ENABLED, live().flags.ThumbsEnabled);
}

// Turning thumbnails off also leaves the combo view, which shows them; a new cell
// size or shape asks the main window to rebuild the thumbnails.
void store_gui(HWND page) {
    const int old_size = live().thumb_size, old_shape = live().thumb_shape;
    live().thumb_size = list_selection(page, IDC_GUI_SIZE);
    live().thumb_shape = list_selection(page, IDC_GUI_SHAPE);
    live().flags.ThumbNames = is_checked(page, IDC_GUI_NAMES);
    const bool was_enabled = live().flags.ThumbsEnabled;
    live().flags.ThumbsEnabled = is_checked(page, IDC_GUI_ENABLED);
    if (was_enabled && !live().flags.ThumbsEnabled) {
        live().flags.ComboView = false;
        InvalidateRect(g_app.main_window, nullptr, TRUE);
    }
    if (live().thumb_size != old_size || live().thumb_shape != old_shape)
        PostMessage(g_app.main_window, WM_COMMAND, kRefreshThumbnails, 0);
}

void choose_font(HWND page) {
    LOGFONT font = to_logfont(live().thumb_font);
    CHOOSEFONT choose = {};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = page;
    choose.lpLogFont = &font;
    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFont(&choose)) return;
    live().thumb_font = from_logfont(font);
    recreate_thumb_label_font();
    InvalidateRect(GetDlgItem(page, IDC_GUI_SAMPLE), nullptr, TRUE);
    InvalidateRect(g_app.main_window, nullptr, TRUE);
}

// The sample: "Sample" centred in the label font on white.
void draw_sample(const DRAWITEMSTRUCT* item) {
    FillRect(item->hDC, &item->rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TCHAR text[32];
    load_text(IDS_SAMPLE, text, 32);
    HGDIOBJ old = SelectObject(item->hDC, g_app.thumb_label_font ? g_app.thumb_label_font : GetStockObject(DEFAULT_GUI_FONT));
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
        draw_sample(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        SetWindowLongPtr(page, DWLP_MSGRESULT, TRUE);
        return true;
    }
    return false;
}

}  // namespace

const SettingsPage kGuiPage = {TEXT("THUMBS"), 8, init_gui, load_gui, store_gui, gui_message};
