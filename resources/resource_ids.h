// Resource identifiers shared by the .rc files and the viewer.
#pragma once

#define IDS_MAIN_CLASS 3
#define IDI_GLIMRA 101
#define IDM_MAIN 102

#define IDS_ERROR_BASE 5000

#define IDM_EXIT 40003
