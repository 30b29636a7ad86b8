// The "Settings" property sheet: nine pages driven by one page procedure. A page
// loads its controls from the live settings whenever it becomes active, remembers
// itself in "LastPrefPage", and stores its controls when it is applied or left.
#include <windows.h>
#include "settings/settings_sheet_win.h"

#include <commctrl.h>
#include <prsht.h>

#include "app/app_win.h"
#include "common/dialog_util_win.h"
#include "app/help_win.h"
#include "resource_ids.h"
#include "settings/settings_pages_win.h"
#include "common/win_text_win.h"

namespace {

constexpr const SettingsPage* kPages[] = {
    &kPreferencesPage, &kSlideShowPage, &kJpegPage, &kToolbarsPage, &kVideoPage,
    &kGuiPage,         &kButtonsPage,   &kGammaPage, &kBatchPage,
};
constexpr int kPageCount = sizeof kPages / sizeof kPages[0];

// Each page keeps its slot (its sheet and its index) with its dialog; none means
// "not yet set up".
struct PageSlot {
    SettingsSheet* sheet;
    int index;
};

const PageSlot* slot_of(HWND page) { return reinterpret_cast<const PageSlot*>(GetWindowLongPtr(page, DWLP_USER)); }
int page_index(HWND page) { return slot_of(page) ? slot_of(page)->index : -1; }

INT_PTR on_notify(HWND page, const NMHDR* header) {
    const int index = page_index(page);
    const SettingsPage& p = *kPages[index];
    switch (header->code) {
    case PSN_SETACTIVE:
        sheet_of(page).app.settings.last_pref_page = index;
        p.load(page);
        SetWindowLongPtr(page, DWLP_MSGRESULT, 0);
        return TRUE;
    case PSN_KILLACTIVE:
        p.store(page);
        SetWindowLongPtr(page, DWLP_MSGRESULT, FALSE);
        return TRUE;
    case PSN_APPLY:
        p.store(page);
        SetWindowLongPtr(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    case PSN_HELP:
        show_help(sheet_of(page).app.help, page, p.help_topic);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK page_proc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        const PageSlot* slot = reinterpret_cast<const PageSlot*>(reinterpret_cast<const PROPSHEETPAGE*>(lp)->lParam);
        const int index = slot->index;
        SetWindowLongPtr(page, DWLP_USER, reinterpret_cast<LONG_PTR>(slot));
        kPages[index]->init(page);
        return TRUE;
    }
    if (page_index(page) < 0) return FALSE;
    if (msg == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->hwndFrom == GetParent(page) && on_notify(page, header)) return TRUE;
    }
    const SettingsPage& p = *kPages[page_index(page)];
    return p.message && p.message(page, msg, wp, lp);
}

// The sheet is centred over the main window once, when it first appears.
int CALLBACK sheet_callback(HWND sheet, UINT msg, LPARAM) {
    if (msg == PSCB_INITIALIZED) centre_window(sheet, GetWindow(sheet, GW_OWNER));
    return 0;
}

}  // namespace

SettingsSheet& sheet_of(HWND page) { return *slot_of(page)->sheet; }

void show_settings_sheet(App& app, HWND owner) {
    SettingsSheet sheet{app, owner};
    PageSlot slots[kPageCount];
    TCHAR titles[kPageCount][40];
    PROPSHEETPAGE pages[kPageCount] = {};
    for (int i = 0; i < kPageCount; ++i) {
        slots[i] = PageSlot{&sheet, i};
        load_text(IDS_PAGE_TITLE_FIRST + i, titles[i], 40);
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_USETITLE | PSP_HASHELP;
        pages[i].hInstance = app.instance;
        pages[i].pszTemplate = kPages[i]->dialog;
        pages[i].pszTitle = titles[i];
        pages[i].pfnDlgProc = page_proc;
        pages[i].lParam = reinterpret_cast<LPARAM>(&slots[i]);
    }
    TCHAR caption[40];
    load_text(IDS_SETTINGS_CAPTION, caption, 40);
    PROPSHEETHEADER header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_HASHELP;
    header.hwndParent = owner;
    header.hInstance = app.instance;
    header.pszCaption = caption;
    header.nPages = kPageCount;
    header.nStartPage = static_cast<UINT>(app.settings.last_pref_page);
    header.ppsp = pages;
    header.pfnCallback = sheet_callback;
    PropertySheet(&header);
    InvalidateRect(owner, nullptr, TRUE);
}
