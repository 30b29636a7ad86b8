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

TCHAR g_titles[kPageCount][40];

// The page's index is kept with the dialog as index + 1, so 0 means "not yet set up".
int page_index(HWND page) { return static_cast<int>(GetWindowLongPtr(page, DWLP_USER)) - 1; }

INT_PTR on_notify(HWND page, const NMHDR* header) {
    const int index = page_index(page);
    const SettingsPage& p = *kPages[index];
    switch (header->code) {
    case PSN_SETACTIVE:
        g_app.settings.last_pref_page = index;
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
        show_help(page, p.help_topic);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK page_proc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        const int index = static_cast<int>(reinterpret_cast<const PROPSHEETPAGE*>(lp)->lParam);
        SetWindowLongPtr(page, DWLP_USER, index + 1);
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

void show_settings_sheet(HWND owner) {
    PROPSHEETPAGE pages[kPageCount] = {};
    for (int i = 0; i < kPageCount; ++i) {
        load_text(IDS_PAGE_TITLE_FIRST + i, g_titles[i], 40);
        pages[i].dwSize = sizeof pages[i];
        pages[i].dwFlags = PSP_USETITLE | PSP_HASHELP;
        pages[i].hInstance = g_app.instance;
        pages[i].pszTemplate = kPages[i]->dialog;
        pages[i].pszTitle = g_titles[i];
        pages[i].pfnDlgProc = page_proc;
        pages[i].lParam = i;
    }
    TCHAR caption[40];
    load_text(IDS_SETTINGS_CAPTION, caption, 40);
    PROPSHEETHEADER header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | PSH_HASHELP;
    header.hwndParent = owner;
    header.hInstance = g_app.instance;
    header.pszCaption = caption;
    header.nPages = kPageCount;
    header.nStartPage = static_cast<UINT>(g_app.settings.last_pref_page);
    header.ppsp = pages;
    header.pfnCallback = sheet_callback;
    PropertySheet(&header);
    InvalidateRect(owner, nullptr, TRUE);
}
