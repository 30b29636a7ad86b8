// The "Settings" property sheet with its nine pages.
#pragma once

#include <windows.h>

struct App;

// Shows the sheet modally over `owner`, starting on the page last used. The pages
// edit the live settings; the caller saves them afterwards.
void show_settings_sheet(App& app, HWND owner);
