// Check boxes, drop-down lists, number fields and centring for the viewer's dialogs.
#include "common/dialog_util_win.h"

#include "common/win_text_win.h"

bool is_checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void set_checked(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void fill_list_from_strings(HWND dialog, int id, UINT first, int count) {
    SendDlgItemMessage(dialog, id, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < count; ++i) {
        TCHAR text[64];
        load_text(first + i, text, 64);
        SendDlgItemMessage(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

int list_selection(HWND dialog, int id) {
    const LRESULT index = SendDlgItemMessage(dialog, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0 : static_cast<int>(index);
}

void set_list_selection(HWND dialog, int id, int index) { SendDlgItemMessage(dialog, id, CB_SETCURSEL, index, 0); }

int edit_number(HWND dialog, int id, int fallback) {
    BOOL ok = FALSE;
    const UINT value = GetDlgItemInt(dialog, id, &ok, FALSE);
    return ok ? static_cast<int>(value) : fallback;
}

void set_edit_number(HWND dialog, int id, int value) { SetDlgItemInt(dialog, id, value, TRUE); }

namespace {

// Keeps a span of `length` starting at `start` inside low ... high where it fits.
int clamp_start(int start, int length, LONG low, LONG high) {
    if (start + length > high) start = high - length;
    return start < low ? low : start;
}

}  // namespace

void centre_window(HWND window, HWND over) {
    RECT w, o, screen;
    GetWindowRect(window, &w);
    SystemParametersInfo(SPI_GETWORKAREA, 0, &screen, 0);
    if (!over || !GetWindowRect(over, &o)) o = screen;
    const int width = w.right - w.left, height = w.bottom - w.top;
    if (width > o.right - o.left || height > o.bottom - o.top) o = screen;
    int x = o.left + (o.right - o.left - width) / 2;
    int y = o.top + (o.bottom - o.top - height) / 2;
    x = clamp_start(x, width, screen.left, screen.right);
    y = clamp_start(y, height, screen.top, screen.bottom);
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
