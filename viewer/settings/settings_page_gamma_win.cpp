// The "Gamma / Brightness" page: two track bars (0 ... 255) whose every move is
// stored at once and shown on the image, and "Reset" back to 128 for both.
#include <windows.h>
#include <commctrl.h>

#include "app/app_win.h"
#include "resource_ids.h"
#include "settings/settings_pages_win.h"

namespace {

constexpr int kNeutral = 128;

struct Bar {
    int id;
    int32_t Settings::*value;
};

constexpr Bar kBars[] = {
    {IDC_GAMMA_GAMMA, &Settings::gamma},
    {IDC_GAMMA_BRIGHTNESS, &Settings::brightness},
};

// The tone tables are rebuilt from the settings when the image is next painted.
void show_tone_change(HWND page) { InvalidateRect(sheet_of(page).owner, nullptr, FALSE); }

void init_gamma(HWND page) {
    for (const Bar& b : kBars) {
        SendDlgItemMessage(page, b.id, TBM_SETRANGE, TRUE, MAKELPARAM(0, 255));
        SendDlgItemMessage(page, b.id, TBM_SETTICFREQ, 32, 0);
        SendDlgItemMessage(page, b.id, TBM_SETPAGESIZE, 0, 16);
    }
}

void load_gamma(HWND page) {
    for (const Bar& b : kBars) SendDlgItemMessage(page, b.id, TBM_SETPOS, TRUE, sheet_of(page).app.settings.*b.value);
}

void store_gamma(HWND page) {
    for (const Bar& b : kBars)
        sheet_of(page).app.settings.*b.value = static_cast<int32_t>(SendDlgItemMessage(page, b.id, TBM_GETPOS, 0, 0));
}

bool gamma_message(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_HSCROLL && lp) {
        store_gamma(page);
        show_tone_change(page);
        return true;
    }
    if (msg == WM_COMMAND && LOWORD(wp) == IDC_GAMMA_RESET) {
        sheet_of(page).app.settings.gamma = sheet_of(page).app.settings.brightness = kNeutral;
        load_gamma(page);
        show_tone_change(page);
        return true;
    }
    return false;
}

}  // namespace

const SettingsPage kGammaPage = {TEXT("GAMMA"), 9, init_gamma, load_gamma, store_gamma, gamma_message};
