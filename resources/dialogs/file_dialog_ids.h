// Control and string identifiers of the file dialogs: the folder-and-file browser
// (125), the folder browser of "Copy File..." (131) and "RENAME".
#pragma once

#define IDD_FILE_BROWSER 125
#define IDD_FOLDER_BROWSER 131

// Browser controls.
#define IDC_BROWSE_LIST 1000
#define IDC_BROWSE_PREVIEW_ON 1001
#define IDC_BROWSE_FILTER 1002
#define IDC_BROWSE_FILTER_LABEL 1003
#define IDC_BROWSE_PATH 1050
#define IDC_BROWSE_PREVIEW 1051
#define IDC_BROWSE_SORT 1052
#define IDC_BROWSE_UP 1053
#define IDC_BROWSE_DATE 1070
#define IDC_BROWSE_DIMENSIONS 1071
#define IDC_BROWSE_SIZE 1072

// "RENAME": the current name and the edit holding the new one.
#define IDC_RENAME_OLD 1040
#define IDC_RENAME_NEW 1041

// Strings.
#define IDS_CONFIRM_DELETE 810
#define IDS_COLUMN_NAME 6300  // "Name", "Size", "Date": columns and sort orders
#define IDS_COLUMN_SIZE 6301
#define IDS_COLUMN_DATE 6302
#define IDS_COMPUTER_LEVEL 6303  // path button at the computer level
#define IDS_COMPUTER_LABEL 6304  // the computer level in the path menu
#define IDS_UP_TEXT 6305         // the up button when its picture is missing
#define IDS_CURRENT_LEVEL 6306   // mark of the current level in the path menu
