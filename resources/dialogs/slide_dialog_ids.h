// Control and string identifiers of the slide editing dialogs: "SLIDEEDIT" (one
// slide's settings with a preview) and "MANAGESLIDES" (the order of the slides).
#pragma once

// "SLIDEEDIT"
#define IDC_SLIDE_EDIT_STRETCH 1001
#define IDC_SLIDE_EDIT_WAIT 1002
#define IDC_SLIDE_EDIT_TRANSITION 1013
#define IDC_SLIDE_EDIT_IMAGE 1040
#define IDC_SLIDE_EDIT_DELAY 1041
#define IDC_SLIDE_EDIT_AUDIO 1042
#define IDC_SLIDE_EDIT_PREVIEW 1050
#define IDC_SLIDE_EDIT_ROTATE 1051

// "MANAGESLIDES"
#define IDC_SLIDE_LIST 1100
#define IDC_SLIDE_UP 1050
#define IDC_SLIDE_DOWN 1051
#define IDC_SLIDE_DELETE 1052
#define IDC_SLIDE_EDIT 1053
#define IDC_SLIDE_DELETE_ALL 1054

// Both dialogs' "Help" buttons send the command "Online Help...".
#define IDC_SLIDE_HELP 40008

