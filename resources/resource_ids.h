// Resource identifiers shared by the .rc files and the viewer.
#pragma once

#define IDS_TITLE 1
#define IDS_TITLE_GLIMRA_MODE 2
#define IDS_MAIN_CLASS 3
#define IDI_GLIMRA 101
#define IDM_MAIN 102
#define IDM_CONTEXT 119

#define IDS_ERROR_BASE 5000

#define IDM_EXIT 40003
#define IDM_PREFERENCES 40031
#define IDM_NEXT_TOOLBAR 40059
#define IDM_PREVIOUS_TOOLBAR 40060
#define IDM_TOOLBAR_FIRST 40121  // 40121 ... 40130 select toolbar 0 ... 9

#include "dialogs/settings_ids.h"
