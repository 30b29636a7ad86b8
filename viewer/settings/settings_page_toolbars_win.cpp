// The "Toolbars" page: every command with its toolbar picture on the left, the
// buttons of one toolbar (chosen with the spin control, 1 ... 10) on the right, with
// Add, Up, Dn, x and Reset, and the toolbar's name. Edits go into the live layout
// at once, so the toolbar strip and the "Toolbar" menu follow them.
#include <windows.h>
#include <commctrl.h>

#include "app/main_window_win.h"
#include "settings/command_list.h"
#include "common/dialog_util_win.h"
#include "resource_ids.h"
#include "settings/settings_pages_win.h"
#include "settings/toolbar_layout.h"
#include "common/win_text_win.h"

namespace {


Settings& live(HWND page) { return sheet_of(page).app.settings; }

int selected_row(HWND list) {
    return static_cast<int>(SendMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void select_row(HWND list, int row) {
    LVITEM item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessage(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendMessage(list, LVM_ENSUREVISIBLE, row, FALSE);
}

void add_row(HWND list, int row, int command_index) {
    TCHAR name[64];
    load_text(CommandList[checked_command_index(command_index)], name, 64);
    LVITEM item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.iImage = command_index;
    item.pszText = name;
    SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
}

void prepare_list(HWND page, HWND list) {
    SendMessage(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    HIMAGELIST pictures = ImageList_LoadImage(sheet_of(page).app.instance, TEXT("ILIST1_BMP"), 24, 0, CLR_NONE, IMAGE_BITMAP, 0);
    if (pictures) SendMessage(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(pictures));
    RECT r;
    GetClientRect(list, &r);
    LVCOLUMN column = {};
    column.mask = LVCF_WIDTH;
    column.cx = r.right - GetSystemMetrics(SM_CXVSCROLL);
    SendMessage(list, LVM_INSERTCOLUMN, 0, reinterpret_cast<LPARAM>(&column));
}

void show_buttons(HWND page, int selected) {
    HWND list = GetDlgItem(page, IDC_TB_CURRENT);
    SendMessage(list, LVM_DELETEALLITEMS, 0, 0);
    for (int b = 0; b < sheet_of(page).toolbar_buttons.count; ++b) add_row(list, b, sheet_of(page).toolbar_buttons.index[b]);
    if (selected >= 0) select_row(list, selected);
}

// The shown toolbar goes into the layout (its 10 bytes first set to "Undefined"),
// with its name, and the "Toolbar" menu is rebuilt.
void store_shown(HWND page) {
    store_toolbar(live(page).toolbars, sheet_of(page).toolbar_shown, sheet_of(page).toolbar_buttons);
    TCHAR name[kToolbarNameSize];
    GetDlgItemText(page, IDC_TB_NAME, name, kToolbarNameSize);
    char text[kToolbarNameSize];
    from_tchar(name, text);
    set_toolbar_name(live(page).toolbar_names, sheet_of(page).toolbar_shown, text);
    if (MainWindow* main = main_of(sheet_of(page).owner)) rebuild_toolbar_menu(*main);
    InvalidateRect(sheet_of(page).owner, nullptr, FALSE);
}

void show_toolbar(HWND page, int toolbar) {
    sheet_of(page).filling = true;
    sheet_of(page).toolbar_shown = toolbar;
    sheet_of(page).toolbar_buttons = toolbar_buttons(live(page).toolbars, toolbar);
    SendDlgItemMessage(page, IDC_TB_SPIN, UDM_SETPOS32, 0, toolbar + 1);
    TCHAR name[kToolbarNameSize];
    to_tchar(toolbar_name(live(page).toolbar_names, toolbar), name);
    SetDlgItemText(page, IDC_TB_NAME, name);
    show_buttons(page, sheet_of(page).toolbar_buttons.count ? 0 : -1);
    sheet_of(page).filling = false;
}

void init_toolbars(HWND page) {
    sheet_of(page).filling = true;  // setting the spin range rewrites the number field
    sheet_of(page).toolbar_shown = live(page).toolbar;
    prepare_list(page, GetDlgItem(page, IDC_TB_CURRENT));
    HWND icons = GetDlgItem(page, IDC_TB_ICONS);
    prepare_list(page, icons);
    for (int i = 0; i < kCommandCount; ++i) add_row(icons, i, i);
    SendDlgItemMessage(page, IDC_TB_SPIN, UDM_SETRANGE32, 1, kToolbarCount);
    SendDlgItemMessage(page, IDC_TB_NAME, EM_LIMITTEXT, kToolbarNameSize - 1, 0);
    sheet_of(page).filling = false;
}

void load_toolbars(HWND page) { show_toolbar(page, sheet_of(page).toolbar_shown); }

void store_toolbars(HWND page) { store_shown(page); }

// A number typed or spun into the "Toolbar:" field switches toolbars.
void on_toolbar_number(HWND page) {
    if (sheet_of(page).filling) return;
    BOOL ok = FALSE;
    const int number = static_cast<int>(GetDlgItemInt(page, IDC_TB_NUMBER, &ok, FALSE));
    if (!ok || number < 1 || number > kToolbarCount || number - 1 == sheet_of(page).toolbar_shown) return;
    store_shown(page);
    show_toolbar(page, number - 1);
}

using Edit = int (*)(ToolbarButtons&, int*);

void apply_edit(HWND page, Edit edit) {
    int selected = selected_row(GetDlgItem(page, IDC_TB_CURRENT));
    if (edit(sheet_of(page).toolbar_buttons, &selected) != 0) {
        MessageBeep(0);
        return;
    }
    show_buttons(page, selected);
    store_shown(page);
}

void add_selected_command(HWND page) {
    const int command = selected_row(GetDlgItem(page, IDC_TB_ICONS));
    int selected = -1;
    if (command < 0 || toolbar_add(sheet_of(page).toolbar_buttons, command, &selected) != 0) {
        MessageBeep(0);
        return;
    }
    show_buttons(page, selected);
    store_shown(page);
}

void reset_all(HWND page) {
    live(page).toolbars = default_toolbar_layout();
    live(page).toolbar_names = default_toolbar_names();
    show_toolbar(page, 0);
    if (MainWindow* main = main_of(sheet_of(page).owner)) rebuild_toolbar_menu(*main);
    InvalidateRect(sheet_of(page).owner, nullptr, FALSE);
}

bool toolbars_message(HWND page, UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_COMMAND) return false;
    const int id = LOWORD(wp), code = HIWORD(wp);
    switch (id) {
    case IDC_TB_NUMBER:
        if (code == EN_CHANGE) on_toolbar_number(page);
        return true;
    case IDC_TB_ADD: add_selected_command(page); return true;
    case IDC_TB_UP: apply_edit(page, toolbar_move_up); return true;
    case IDC_TB_DOWN: apply_edit(page, toolbar_move_down); return true;
    case IDC_TB_REMOVE: apply_edit(page, toolbar_remove); return true;
    case IDC_TB_RESET: reset_all(page); return true;
    default: return false;
    }
}

}  // namespace

const SettingsPage kToolbarsPage = {TEXT("TOOLBARS1"), 1, init_toolbars, load_toolbars, store_toolbars, toolbars_message};
