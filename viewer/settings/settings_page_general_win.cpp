// The option pages of the settings sheet made of check boxes and lists:
// "Preferences", "Slide Show", "JPEG" and "Video".
#include <windows.h>
#include <tchar.h>

#include "app/main_window_win.h"
#include "common/dialog_util_win.h"
#include "resource_ids.h"
#include "settings/settings_pages_win.h"
#include "settings/settings_registry_win.h"
#include "common/win_text_win.h"

namespace {

Settings& live(HWND page) { return sheet_of(page).app.settings; }

struct FlagControl {
    int id;
    bool OptionFlags::*flag;
};

template <size_t N>
void load_flags(HWND page, const FlagControl (&controls)[N]) {
    for (const FlagControl& c : controls) set_checked(page, c.id, live(page).flags.*c.flag);
}

template <size_t N>
void store_flags(HWND page, const FlagControl (&controls)[N]) {
    for (const FlagControl& c : controls) live(page).flags.*c.flag = is_checked(page, c.id);
}

// ---- "Preferences" -------------------------------------------------------------

constexpr FlagControl kPreferenceFlags[] = {
    {IDC_PREF_SCALE_TO_GRAY, &OptionFlags::ScaleToGray},     {IDC_PREF_AUTO_ROTATE, &OptionFlags::AutoRotate},
    {IDC_PREF_OPTIMIZE_COLORS, &OptionFlags::OptimizeColors}, {IDC_PREF_IGNORE_ERRORS, &OptionFlags::IgnoreErrors},
    {IDC_PREF_PRE_QUALIFY, &OptionFlags::PreQualify},         {IDC_PREF_FAX_CORRECT, &OptionFlags::FaxCorrect},
    {IDC_PREF_SMOOTH_SCALING, &OptionFlags::SmoothScaling},   {IDC_PREF_CONFIRM_DELETE, &OptionFlags::ConfirmDelete},
    {IDC_PREF_SAVE_TO_CURRENT, &OptionFlags::SaveToCurrentDir},
};

struct ViewRadio {
    int id;
    int view;
};

constexpr ViewRadio kViewRadios[] = {
    {IDC_PREF_VIEW_FIT_WINDOW, CMD_FIT_TO_WINDOW},
    {IDC_PREF_VIEW_FIT_WIDTH, CMD_FIT_TO_WIDTH},
    {IDC_PREF_VIEW_100, CMD_VIEW_100},
    {IDC_PREF_VIEW_CUSTOM, CMD_FIT_TO_CUSTOM},
};

void init_preferences(HWND page) {
    TCHAR format[16];
    load_text(IDS_FPS_FORMAT, format, 16);
    for (int rate = 1; rate <= kAnimationRateMax + 1; ++rate) {
        TCHAR text[32];
        wsprintf(text, format, rate);
        SendDlgItemMessage(page, IDC_PREF_ANIMATION_RATE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    fill_list_from_strings(page, IDC_PREF_BK_COLOR, IDS_BK_COLORS, 3);
    SendDlgItemMessage(page, IDC_PREF_CUSTOM_PERCENT, EM_LIMITTEXT, 4, 0);
}

void load_preferences(HWND page) {
    load_flags(page, kPreferenceFlags);
    for (const ViewRadio& r : kViewRadios) set_checked(page, r.id, live(page).def_view == r.view);
    set_edit_number(page, IDC_PREF_CUSTOM_PERCENT, live(page).custom_view);
    set_list_selection(page, IDC_PREF_ANIMATION_RATE, live(page).animation_rate);
    set_list_selection(page, IDC_PREF_BK_COLOR, live(page).bk_color);
}

// Besides storing, applying or leaving this page restarts the animation timer when
// the rate changed, saves the settings and redraws the main window.
void store_preferences(HWND page) {
    store_flags(page, kPreferenceFlags);
    for (const ViewRadio& r : kViewRadios)
        if (is_checked(page, r.id)) live(page).def_view = r.view;
    live(page).custom_view = clamp_custom_view(edit_number(page, IDC_PREF_CUSTOM_PERCENT, live(page).custom_view));
    set_edit_number(page, IDC_PREF_CUSTOM_PERCENT, live(page).custom_view);
    const int old_rate = live(page).animation_rate;
    live(page).animation_rate = list_selection(page, IDC_PREF_ANIMATION_RATE);
    live(page).bk_color = list_selection(page, IDC_PREF_BK_COLOR);
    if (live(page).animation_rate != old_rate)
        if (MainWindow* main = main_of(sheet_of(page).owner)) restart_animation_timer(*main);
    save_app_settings(sheet_of(page).app);
    InvalidateRect(sheet_of(page).owner, nullptr, TRUE);
}

// ---- "Slide Show" --------------------------------------------------------------

constexpr FlagControl kSlideFlags[] = {
    {IDC_SLIDE_SHOW_NAME, &OptionFlags::SlideShowName},
    {IDC_SLIDE_LOOP, &OptionFlags::SlideLoop},
    {IDC_SLIDE_ROTATE, &OptionFlags::SlideRotate},
    {IDC_SLIDE_SOUNDS, &OptionFlags::SlideSounds},
};

struct SessionControl {
    int id;
    bool Settings::*option;
};

constexpr SessionControl kSessionOptions[] = {
    {IDC_SLIDE_WAIT_SOUNDS, &Settings::slide_wait_for_sounds},
    {IDC_SLIDE_RANDOM, &Settings::slide_random_order},
    {IDC_SLIDE_STRETCH, &Settings::slide_stretch},
};

void init_slide_show(HWND page) {
    fill_list_from_strings(page, IDC_SLIDE_TRANSITION, IDS_TRANSITIONS, 20);
    fill_list_from_strings(page, IDC_SLIDE_SPEED, IDS_SPEEDS, 3);
    EnableWindow(GetDlgItem(page, IDC_SLIDE_TRANSITION), sheet_of(page).app.display.bits_per_pixel >= 8);
    SendDlgItemMessage(page, IDC_SLIDE_DELAY, EM_LIMITTEXT, 7, 0);
}

void load_slide_show(HWND page) {
    load_flags(page, kSlideFlags);
    for (const SessionControl& c : kSessionOptions) set_checked(page, c.id, live(page).*c.option);
    set_list_selection(page, IDC_SLIDE_TRANSITION, live(page).transition_effect);
    set_list_selection(page, IDC_SLIDE_SPEED, live(page).transition_speed);
    set_edit_number(page, IDC_SLIDE_DELAY, live(page).slide_delay);
    set_checked(page, IDC_SLIDE_TIMED, live(page).flags.SlideTimed);
    set_checked(page, IDC_SLIDE_MANUAL, !live(page).flags.SlideTimed);
}

void store_slide_show(HWND page) {
    store_flags(page, kSlideFlags);
    for (const SessionControl& c : kSessionOptions) live(page).*c.option = is_checked(page, c.id);
    live(page).transition_effect = list_selection(page, IDC_SLIDE_TRANSITION);
    live(page).transition_speed = list_selection(page, IDC_SLIDE_SPEED);
    live(page).slide_delay = edit_number(page, IDC_SLIDE_DELAY, live(page).slide_delay);
    live(page).flags.SlideTimed = is_checked(page, IDC_SLIDE_TIMED);
}

// ---- "JPEG" --------------------------------------------------------------------

constexpr FlagControl kJpegFlags[] = {
    {IDC_JPEG_LOAD16, &OptionFlags::Load16Bpp},
    {IDC_JPEG_OPTIMIZE_SIZE, &OptionFlags::OptimizeJpegSize},
};

// The load-size list has no effect while the load size is chosen automatically.
void enable_load_size(HWND page) {
    EnableWindow(GetDlgItem(page, IDC_JPEG_LOAD_SIZE), !is_checked(page, IDC_JPEG_OPTIMIZE_SIZE));
}

void init_jpeg(HWND page) {
    fill_list_from_strings(page, IDC_JPEG_QUALITY, IDS_JPEG_QUALITIES, 4);
    fill_list_from_strings(page, IDC_JPEG_LOAD_SIZE, IDS_JPEG_SIZES, 4);
}

void load_jpeg(HWND page) {
    load_flags(page, kJpegFlags);
    set_list_selection(page, IDC_JPEG_QUALITY, jpeg_quality_level(live(page).jpeg_quality));
    set_checked(page, IDC_JPEG_SUBSAMPLING, jpeg_subsampling(live(page).jpeg_quality));
    set_list_selection(page, IDC_JPEG_LOAD_SIZE, live(page).jpeg_size);
    enable_load_size(page);
}

void store_jpeg(HWND page) {
    store_flags(page, kJpegFlags);
    const int other_bits = live(page).jpeg_quality & ~7;
    live(page).jpeg_quality =
        other_bits | make_jpeg_quality(list_selection(page, IDC_JPEG_QUALITY), is_checked(page, IDC_JPEG_SUBSAMPLING));
    live(page).jpeg_size = list_selection(page, IDC_JPEG_LOAD_SIZE);
}

bool jpeg_message(HWND page, UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_COMMAND || LOWORD(wp) != IDC_JPEG_OPTIMIZE_SIZE) return false;
    enable_load_size(page);
    return true;
}

// ---- "Video" -------------------------------------------------------------------

constexpr FlagControl kVideoFlags[] = {
    {IDC_VIDEO_LOOP, &OptionFlags::PlayLoop},
    {IDC_VIDEO_AUDIO, &OptionFlags::PlayAudio},
};

void init_nothing(HWND) {}
void load_video(HWND page) { load_flags(page, kVideoFlags); }
void store_video(HWND page) { store_flags(page, kVideoFlags); }

}  // namespace

const SettingsPage kPreferencesPage = {TEXT("PREFS1"), 3, init_preferences, load_preferences, store_preferences, nullptr};
const SettingsPage kSlideShowPage = {TEXT("SLIDESHOW"), 5, init_slide_show, load_slide_show, store_slide_show, nullptr};
const SettingsPage kJpegPage = {TEXT("PREFS2"), 4, init_jpeg, load_jpeg, store_jpeg, jpeg_message};
const SettingsPage kVideoPage = {TEXT("VIDPREFS1"), 7, init_nothing, load_video, store_video, nullptr};
