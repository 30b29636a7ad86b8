// One page of the settings sheet as a table row: its dialog, title and help topic,
// and the handlers the shared page procedure calls.
#pragma once

#include <windows.h>

#include "settings/toolbar_layout.h"

struct App;

// The state of one showing of the sheet, reached from every page through its window.
struct SettingsSheet {
    App& app;
    HWND owner;  // the main window, repainted as settings change
    // "Toolbars" page: the toolbar shown, its buttons as edited, and whether the
    // controls are being filled (not edited by the user).
    int toolbar_shown = 0;
    ToolbarButtons toolbar_buttons = {};
    bool filling = false;
    // "Buttons" page: the key set shown (the main window's keys when the page opens).
    int key_set_shown = 0;
};

// The sheet of a page (set up when the page is created).
SettingsSheet& sheet_of(HWND page);

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
