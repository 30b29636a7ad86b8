// "Manage Slides" (dialog "MANAGESLIDES"): the slides in show order by file name,
// with Up, Down, Edit, Delete and Delete All acting on the table at once (there is
// no undo: Cancel keeps what was done, as OK does).
#include <windows.h>

#include <cstring>

#include "app/main_window_win.h"
#include "common/win_text_win.h"
#include "dialogs/slide_dialog_ids.h"
#include "resource_ids.h"
#include "slideshow/slide_dialogs_win.h"

namespace {

constexpr int kHelpTopic = 22;  // "manageslides.htm"

MainWindow& main_of_dialog(HWND dialog) { return *reinterpret_cast<MainWindow*>(GetWindowLongPtr(dialog, DWLP_USER)); }

// One line per slide, its file name; `selected` becomes the selection.
void fill_list(const SlideTable& slides, HWND dialog, int selected) {
    HWND list = GetDlgItem(dialog, IDC_SLIDE_LIST);
    SendMessage(list, WM_SETREDRAW, FALSE, 0);
    SendMessage(list, LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < slides.count; ++i) {
        const char* slash = std::strrchr(slides.records[i].image_path, '\\');
        TCHAR name[SLIDE_PATH_BYTES];
        to_tchar(slash ? slash + 1 : slides.records[i].image_path, name);
        SendMessage(list, LB_ADDSTRING, 0, (LPARAM)name);
    }
    SendMessage(list, LB_SETCURSEL, slides.count ? selected : -1, 0);
    SendMessage(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// The selected line, or -1 for none.
int selection(HWND dialog) {
    const LRESULT index = SendDlgItemMessage(dialog, IDC_SLIDE_LIST, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : (int)index;
}

// Up (-1) or Down (+1): the selected slide changes places with its neighbour and
// stays selected; at either end only a beep.
void move_selected(MainWindow& w, HWND dialog, int step) {
    const int from = selection(dialog);
    if (from < 0) return;
    if (!swap_slides(w.app.slides, from, from + step)) {
        MessageBeep(0);
        return;
    }
    fill_list(w.app.slides, dialog, from + step);
}

void delete_selected(MainWindow& w, HWND dialog) {
    const int at = selection(dialog);
    if (at < 0 || !delete_slide(w.app.slides, at)) return;
    fill_list(w.app.slides, dialog, at > 0 ? at - 1 : 0);
}

void edit_selected(MainWindow& w, HWND dialog) {
    const int at = selection(dialog);
    if (at >= 0 && edit_slide(w, dialog, at) == IDOK) w.app.slides.modified = true;
}

void delete_all(MainWindow& w, HWND dialog) {
    if (message_box(dialog, IDS_ASK_DELETE_SLIDES, CMD_EDIT_CUSTOM_SLIDESHOW, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    delete_all_slides(w.app.slides);
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK manage_slides_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtr(dialog, DWLP_USER, lp);
    if (!GetWindowLongPtr(dialog, DWLP_USER)) return FALSE;
    MainWindow& w = main_of_dialog(dialog);
    switch (msg) {
    case WM_INITDIALOG: fill_list(w.app.slides, dialog, 0); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_SLIDE_UP: move_selected(w, dialog, -1); return TRUE;
        case IDC_SLIDE_DOWN: move_selected(w, dialog, +1); return TRUE;
        case IDC_SLIDE_DELETE: delete_selected(w, dialog); return TRUE;
        case IDC_SLIDE_EDIT: edit_selected(w, dialog); return TRUE;
        case IDC_SLIDE_LIST:
            if (HIWORD(wp) == LBN_DBLCLK) edit_selected(w, dialog);
            return TRUE;
        case IDC_SLIDE_DELETE_ALL: delete_all(w, dialog); return TRUE;
        case IDOK:
        case IDCANCEL: EndDialog(dialog, LOWORD(wp)); return TRUE;
        case IDC_SLIDE_HELP: show_help(w.app.help, dialog, kHelpTopic); return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

void manage_slides(MainWindow& w) {
    DialogBoxParam(w.app.instance, TEXT("MANAGESLIDES"), w.hwnd, manage_slides_proc, (LPARAM)&w);
}
