// The "Buttons" page: the 13 bindable keys with the command each sends, for the main
// window, the full-screen view or the thumbnail window. Choosing a command in the
// list beside binds it to the selected key at once.
#include <windows.h>
#include <commctrl.h>

#include "app/app_win.h"
#include "settings/command_list.h"
#include "common/dialog_util_win.h"
#include "settings/key_table.h"
#include "resource_ids.h"
#include "settings/settings_pages_win.h"
#include "common/win_text_win.h"

namespace {

struct KeySetRadio {
    int id;
    KeySet set;
    KeyBinding Settings::*binding;
};

constexpr KeySetRadio kSets[] = {
    {IDC_KEYS_MAIN, KeySet::Main, &Settings::main_keys},
    {IDC_KEYS_FULLSCREEN, KeySet::Fullscreen, &Settings::fullscreen_keys},
    {IDC_KEYS_THUMB, KeySet::Thumb, &Settings::thumb_keys},
};


KeyBinding& shown_binding(HWND page) { return sheet_of(page).app.settings.*kSets[sheet_of(page).key_set_shown].binding; }

HWND key_list(HWND page) { return GetDlgItem(page, IDC_KEYS_LIST); }

int selected_key(HWND page) {
    return static_cast<int>(SendMessage(key_list(page), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void command_name(int stored, TCHAR* out, int size) { load_text(command_of_index(stored), out, size); }

void show_binding_of(HWND page, int key) {
    TCHAR name[64];
    command_name(shown_binding(page)[key], name, 64);
    LVITEM item = {};
    item.iSubItem = 1;
    item.pszText = name;
    SendMessage(key_list(page), LVM_SETITEMTEXT, key, reinterpret_cast<LPARAM>(&item));
}

void fill_key_list(HWND page) {
    HWND list = key_list(page);
    SendMessage(list, LVM_DELETEALLITEMS, 0, 0);
    for (int key = 0; key < kKeyCount; ++key) {
        TCHAR name[32];
        to_tchar(key_name(key), name);
        LVITEM item = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = key;
        item.iImage = key;
        item.pszText = name;
        SendMessage(list, LVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&item));
        show_binding_of(page, key);
    }
}

void add_column(HWND list, int index, UINT title, int width) {
    TCHAR text[32];
    load_text(title, text, 32);
    LVCOLUMN column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text;
    column.cx = width;
    SendMessage(list, LVM_INSERTCOLUMN, index, reinterpret_cast<LPARAM>(&column));
}

void init_buttons(HWND page) {
    HWND list = key_list(page);
    SendMessage(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    HIMAGELIST icons = ImageList_LoadImage(sheet_of(page).app.instance, TEXT("ILIST_KEYS"), 16, 0, RGB(255, 255, 255), IMAGE_BITMAP, 0);
    if (icons) SendMessage(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(icons));
    RECT r;
    GetClientRect(list, &r);
    add_column(list, 0, IDS_COLUMN_BUTTON, 80);
    add_column(list, 1, IDS_COLUMN_FUNCTION, r.right - 80 - GetSystemMetrics(SM_CXVSCROLL));
    for (int i = 0; i < kCommandCount; ++i) {
        TCHAR name[64];
        load_text(CommandList[i], name, 64);
        SendDlgItemMessage(page, IDC_KEYS_COMMANDS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
    sheet_of(page).key_set_shown = 0;
}

void load_buttons(HWND page) {
    for (int i = 0; i < 3; ++i) set_checked(page, kSets[i].id, i == sheet_of(page).key_set_shown);
    fill_key_list(page);
}

// Bindings are edited in place, so there is nothing left to store.
void store_buttons(HWND) {}

void bind_selected_key(HWND page) {
    const int key = selected_key(page);
    const LRESULT command = SendDlgItemMessage(page, IDC_KEYS_COMMANDS, LB_GETCURSEL, 0, 0);
    if (key < 0 || key >= kKeyCount || command == LB_ERR) {
        MessageBeep(0);
        return;
    }
    shown_binding(page)[key] = static_cast<uint8_t>(command);
    show_binding_of(page, key);
}

// Selecting a key shows its command in the list.
void on_key_selected(HWND page) {
    const int key = selected_key(page);
    if (key < 0) return;
    SendDlgItemMessage(page, IDC_KEYS_COMMANDS, LB_SETCURSEL, checked_command_index(shown_binding(page)[key]), 0);
}

bool on_command(HWND page, int id, int code) {
    for (int i = 0; i < 3; ++i)
        if (id == kSets[i].id && code == BN_CLICKED) {
            sheet_of(page).key_set_shown = i;
            fill_key_list(page);
            return true;
        }
    if (id == IDC_KEYS_COMMANDS && code == LBN_SELCHANGE) {
        bind_selected_key(page);
        return true;
    }
    if (id == IDC_KEYS_RESET) {
        shown_binding(page) = default_key_binding(kSets[sheet_of(page).key_set_shown].set);
        fill_key_list(page);
        return true;
    }
    return false;
}

bool buttons_message(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) return on_command(page, LOWORD(wp), HIWORD(wp));
    if (msg == WM_NOTIFY) {
        const NMLISTVIEW* n = reinterpret_cast<const NMLISTVIEW*>(lp);
        if (n->hdr.idFrom == IDC_KEYS_LIST && n->hdr.code == LVN_ITEMCHANGED && (n->uNewState & LVIS_SELECTED))
            on_key_selected(page);
        return false;
    }
    return false;
}

}  // namespace

const SettingsPage kButtonsPage = {TEXT("BUTTONS1"), 6, init_buttons, load_buttons, store_buttons, buttons_message};
