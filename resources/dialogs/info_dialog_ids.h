// Control and string identifiers of the image information dialog (126), the movie's
// information dialog (134) and the dialogs of "Resize...", "Crop..." and
// "Modify Colors...".
#pragma once

#define IDD_IMAGE_INFO 126

// "Image Information": the file name line and the value fields.
#define IDC_INFO_NAME 1078
#define IDC_INFO_SIZE 1070
#define IDC_INFO_BITS 1072
#define IDC_INFO_FILE_TYPE 1073
#define IDC_INFO_COMPRESSION 1079
#define IDC_INFO_RESOLUTION 1074
#define IDC_INFO_PAGE 1075
#define IDC_INFO_FILE_SIZE 1076
#define IDC_INFO_RAM 1077
#define IDC_INFO_CREATED 1080
#define IDC_INFO_MODIFIED 1081
#define IDC_INFO_MAKE 1040
#define IDC_INFO_MODEL 1041
#define IDC_INFO_COMMENT 1042
#define IDC_INFO_HISTOGRAM 1050
#define IDC_INFO_SHUTTER 1082
#define IDC_INFO_F_NUMBER 1083
#define IDC_INFO_ISO 1084
#define IDC_INFO_BIAS 1085
#define IDC_INFO_TRUE_SIZE 1086

// "Video Information" (134): the file name line and the value fields.
#define IDD_VIDEO_INFO 134
#define IDC_VIDEO_NAME 1078
#define IDC_VIDEO_SIZE 1070
#define IDC_VIDEO_FRAME_RATE 1071
#define IDC_VIDEO_AUDIO_RATE 1072
#define IDC_VIDEO_FRAMES 1073
#define IDC_VIDEO_FILE_SIZE 1074
#define IDC_VIDEO_FILE_TYPE 1075
#define IDC_VIDEO_CODEC 1076
#define IDC_VIDEO_AUDIO_CODEC 1077
#define IDC_VIDEO_CREATED 1080
#define IDC_VIDEO_MODIFIED 1081

// "RESIZE": the two edits with their up-down controls, the units and the aspect box.
#define IDC_RESIZE_WIDTH 430
#define IDC_RESIZE_HEIGHT 431
#define IDC_RESIZE_WIDTH_SPIN 1090
#define IDC_RESIZE_HEIGHT_SPIN 1091
#define IDC_RESIZE_PIXELS 440
#define IDC_RESIZE_DPI 441
#define IDC_RESIZE_KEEP_ASPECT 1001

// "CROPDLG": the page size, the four edges with their up-down controls and the
// resulting size and ratio.
#define IDC_CROP_PAGE_SIZE 410
#define IDC_CROP_WIDTH 411
#define IDC_CROP_HEIGHT 412
#define IDC_CROP_RATIO 413
#define IDC_CROP_LEFT 430
#define IDC_CROP_RIGHT 431
#define IDC_CROP_TOP 432
#define IDC_CROP_BOTTOM 433
#define IDC_CROP_LEFT_SPIN 1090
#define IDC_CROP_RIGHT_SPIN 1091
#define IDC_CROP_TOP_SPIN 1092
#define IDC_CROP_BOTTOM_SPIN 1093

// "ColorMod": the current depth, the list of depths and the two methods.
#define IDC_COLOR_CURRENT 1070
#define IDC_COLOR_DEPTHS 1013
#define IDC_COLOR_BEST 1020
#define IDC_COLOR_DIFFUSION 1021

// Strings.
#define IDS_RESIZE_TOO_LARGE 807
#define IDS_CROP_OUT_OF_BOUNDS 5040
