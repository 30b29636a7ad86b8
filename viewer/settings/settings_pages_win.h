// One page of the settings sheet as a table row: its dialog, title and help topic,
// and the handlers the shared page procedure calls.
#pragma once

#include <windows.h>

struct SettingsPage {
    const TCHAR* dialog;
    int help_topic;
    void (*init)(HWND page);   // once, when the page is created: fill the lists
    void (*load)(HWND page);   // page becomes active: controls from the settings
    void (*store)(HWND page);  // page applied or left: settings from the controls
    // Optional: any other message (commands, notifications, scrolling, drawing);
    // returns true when it handled the message.
    bool (*message)(HWND page, UINT msg, WPARAM wp, LPARAM lp);
};

extern const SettingsPage kPreferencesPage;
extern const SettingsPage kSlideShowPage;
extern const SettingsPage kJpegPage;
extern const SettingsPage kToolbarsPage;
extern const SettingsPage kVideoPage;
extern const SettingsPage kGuiPage;
extern const SettingsPage kButtonsPage;
extern const SettingsPage kGammaPage;
extern const SettingsPage kBatchPage;
