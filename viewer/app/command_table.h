// The command table: one row per command with what it needs before it runs, the rule
// that enables its menu item, its handler and the job it gives the worker thread.
// WM_COMMAND, the menu state, the key bindings and the toolbar all go through it
// (keys and toolbar buttons name commands through the stored command list). The
// rows are written once, below; this header reads the portable columns, and
// app/command_table_win.cpp reads the same rows with their handlers and jobs.
#pragma once

#include <cstdint>
#include <vector>

#include "resource_ids.h"

// What a command needs; without it the command beeps and does nothing.
enum CommandNeed : uint8_t { NEED_NONE, NEED_IMAGE };

// When the command's menu item is enabled (WM_INITMENU); MENU_FIXED items are left
// as the menu resource has them.
enum MenuRule : uint8_t {
    MENU_FIXED,
    MENU_IMAGE,           // an image is loaded
    MENU_PAGES,           // an image of two or more pages
    MENU_SINGLE_JFIF,     // a single-page JFIF image
    MENU_SELECTION,       // an image with a selection
    MENU_DEEP_SELECTION,  // a selection on an image of more than 15 bits per pixel
    MENU_CLIPBOARD,       // the clipboard offers a bitmap
};

// ROW(command, need, menu rule, handler, worker job); RANGE(first, last, ...) for a
// run of commands with one handler. A job of no_job means the worker ignores the
// command's number.
#define GLIMRA_COMMAND_TABLE(ROW, RANGE)                                                        \
    ROW(CMD_COPYRIGHT_INFO, NEED_NONE, MENU_FIXED, cmd_about, no_job)                          \
    ROW(CMD_EXIT, NEED_NONE, MENU_FIXED, cmd_exit, job_end)                                    \
    ROW(CMD_OPEN, NEED_NONE, MENU_FIXED, cmd_open, no_job)                                     \
    ROW(CMD_CLOSE, NEED_NONE, MENU_IMAGE, cmd_close, no_job)                                   \
    ROW(CMD_SAVE_AS, NEED_IMAGE, MENU_IMAGE, cmd_staged, no_job)                               \
    ROW(CMD_ONLINE_HELP, NEED_NONE, MENU_FIXED, cmd_help, no_job)                              \
    ROW(CMD_IMAGE_INFO, NEED_IMAGE, MENU_IMAGE, cmd_image_info, no_job)                        \
    ROW(CMD_PRINT, NEED_IMAGE, MENU_IMAGE, cmd_staged, job_print)                              \
    ROW(CMD_RESIZE, NEED_IMAGE, MENU_IMAGE, cmd_resize, no_job)                                \
    ROW(CMD_CROP, NEED_IMAGE, MENU_IMAGE, cmd_crop, no_job)                                    \
    ROW(CMD_ROTATE_VIEW_90, NEED_IMAGE, MENU_IMAGE, cmd_rotate_view, no_job)                   \
    ROW(CMD_INVERT, NEED_IMAGE, MENU_IMAGE, cmd_image_operation, no_job)                       \
    ROW(CMD_FLIP_VERTICAL, NEED_IMAGE, MENU_IMAGE, cmd_image_operation, no_job)                \
    ROW(CMD_FLIP_HORIZONTAL, NEED_IMAGE, MENU_IMAGE, cmd_image_operation, no_job)              \
    ROW(CMD_NEXT_PAGE, NEED_IMAGE, MENU_PAGES, cmd_page, no_job)                               \
    ROW(CMD_PREVIOUS_PAGE, NEED_IMAGE, MENU_PAGES, cmd_page, no_job)                           \
    ROW(CMD_GO_TO_PAGE, NEED_IMAGE, MENU_PAGES, cmd_go_to_page, no_job)                        \
    ROW(CMD_VIEW_100, NEED_IMAGE, MENU_FIXED, cmd_snap_view, no_job)                           \
    ROW(CMD_FIT_TO_WIDTH, NEED_IMAGE, MENU_FIXED, cmd_snap_view, no_job)                       \
    ROW(CMD_FIT_TO_WINDOW, NEED_IMAGE, MENU_FIXED, cmd_snap_view, no_job)                      \
    ROW(CMD_ZOOM_IN, NEED_IMAGE, MENU_IMAGE, cmd_zoom, no_job)                                 \
    ROW(CMD_ZOOM_OUT, NEED_IMAGE, MENU_IMAGE, cmd_zoom, no_job)                                \
    ROW(CMD_SCALE_TO_GRAY, NEED_NONE, MENU_FIXED, cmd_scale_to_gray, no_job)                   \
    ROW(CMD_PREFERENCES, NEED_NONE, MENU_FIXED, cmd_preferences, no_job)                       \
    ROW(CMD_FILE_ASSOCIATIONS, NEED_NONE, MENU_FIXED, cmd_staged, no_job)                      \
    ROW(CMD_FIT_TO_CUSTOM, NEED_IMAGE, MENU_FIXED, cmd_snap_view, no_job)                      \
    ROW(CMD_ZOOM_WINDOW, NEED_NONE, MENU_FIXED, cmd_zoom_window, no_job)                       \
    ROW(CMD_TOGGLE_THUMBNAIL_VIEW, NEED_NONE, MENU_FIXED, cmd_thumbnail_view, job_thumbnails)  \
    ROW(CMD_MODIFY_COLORS, NEED_IMAGE, MENU_IMAGE, cmd_modify_colors, no_job)                  \
    ROW(CMD_COLOR_TO_GRAY, NEED_IMAGE, MENU_IMAGE, cmd_image_operation, no_job)                \
    ROW(CMD_DARKEN, NEED_IMAGE, MENU_IMAGE, cmd_image_operation, no_job)                       \
    ROW(CMD_LIGHTEN, NEED_IMAGE, MENU_IMAGE, cmd_image_operation, no_job)                      \
    ROW(CMD_TOGGLE_SELECTION, NEED_NONE, MENU_FIXED, cmd_nothing, no_job)                      \
    ROW(CMD_SCREEN_CAPTURE, NEED_NONE, MENU_FIXED, cmd_screen_capture, no_job)                 \
    ROW(CMD_FIRST_PAGE, NEED_IMAGE, MENU_FIXED, cmd_page, no_job)                              \
    ROW(CMD_LAST_PAGE, NEED_IMAGE, MENU_FIXED, cmd_page, no_job)                               \
    ROW(CMD_ROTATE_VIEW_180, NEED_IMAGE, MENU_IMAGE, cmd_rotate_view, no_job)                  \
    ROW(CMD_ROTATE_VIEW_270, NEED_IMAGE, MENU_IMAGE, cmd_rotate_view, no_job)                  \
    ROW(CMD_PREVIOUS_FILE, NEED_NONE, MENU_FIXED, cmd_previous_next, no_job)                   \
    ROW(CMD_NEXT_FILE, NEED_NONE, MENU_FIXED, cmd_previous_next, no_job)                       \
    ROW(CMD_PLAY_PAUSE, NEED_NONE, MENU_FIXED, cmd_play_pause, job_movie)                      \
    ROW(CMD_SLIDE_SHOW, NEED_NONE, MENU_FIXED, cmd_slide_show, job_slide_show)                 \
    ROW(CMD_COPY_TO_CLIPBOARD, NEED_NONE, MENU_SELECTION, cmd_copy_to_clipboard, no_job)       \
    ROW(CMD_NEXT_TOOLBAR, NEED_NONE, MENU_FIXED, cmd_toolbar, no_job)                          \
    ROW(CMD_PREVIOUS_TOOLBAR, NEED_NONE, MENU_FIXED, cmd_toolbar, no_job)                      \
    ROW(CMD_DELETE_FILE, NEED_IMAGE, MENU_FIXED, cmd_delete_file, no_job)                      \
    ROW(CMD_COPY_FILE, NEED_IMAGE, MENU_FIXED, cmd_copy_file, no_job)                          \
    ROW(CMD_SEND_VIA_EMAIL, NEED_IMAGE, MENU_IMAGE, cmd_email, no_job)                         \
    ROW(CMD_SEND_VIA_IRDA, NEED_NONE, MENU_FIXED, cmd_nothing, no_job)                         \
    ROW(CMD_FIRST_THUMBNAIL_IMAGE, NEED_NONE, MENU_FIXED, cmd_first_last, no_job)              \
    ROW(CMD_LAST_THUMBNAIL_IMAGE, NEED_NONE, MENU_FIXED, cmd_first_last, no_job)               \
    ROW(CMD_ZOOM_TO_SELECTION, NEED_IMAGE, MENU_FIXED, cmd_zoom_to_selection, no_job)          \
    ROW(CMD_RECEIVE_VIA_IRDA, NEED_NONE, MENU_FIXED, cmd_nothing, no_job)                      \
    ROW(CMD_TOGGLE_FULLSCREEN_VIEW, NEED_NONE, MENU_FIXED, cmd_nothing, no_job)                \
    ROW(CMD_SORT_BY_NAME, NEED_NONE, MENU_FIXED, cmd_sort, no_job)                             \
    ROW(CMD_SORT_BY_DATE, NEED_NONE, MENU_FIXED, cmd_sort, no_job)                             \
    ROW(CMD_SORT_BY_SIZE, NEED_NONE, MENU_FIXED, cmd_sort, no_job)                             \
    ROW(CMD_TOGGLE_COMBO_VIEW, NEED_NONE, MENU_FIXED, cmd_combo_view, no_job)                  \
    ROW(CMD_REFRESH_THUMBNAILS, NEED_NONE, MENU_FIXED, cmd_refresh_thumbnails, no_job)         \
    ROW(CMD_UNDEFINED, NEED_NONE, MENU_FIXED, cmd_nothing, no_job)                             \
    ROW(CMD_ROTATE_IMAGE_90, NEED_IMAGE, MENU_IMAGE, cmd_image_operation, no_job)              \
    ROW(CMD_ROTATE_IMAGE_180, NEED_IMAGE, MENU_IMAGE, cmd_image_operation, no_job)             \
    ROW(CMD_ROTATE_IMAGE_270, NEED_IMAGE, MENU_IMAGE, cmd_image_operation, no_job)             \
    ROW(CMD_ACQUIRE_FROM_TWAIN, NEED_NONE, MENU_FIXED, cmd_twain_acquire, no_job)              \
    ROW(CMD_SELECT_TWAIN_DEVICE, NEED_NONE, MENU_FIXED, cmd_twain_select, no_job)              \
    ROW(CMD_PASTE, NEED_NONE, MENU_CLIPBOARD, cmd_paste, no_job)                               \
    ROW(CMD_REMOVE_RED_EYE, NEED_IMAGE, MENU_DEEP_SELECTION, cmd_red_eye, no_job)              \
    ROW(CMD_START_CUSTOM_SLIDESHOW, NEED_NONE, MENU_FIXED, cmd_needs_slides, job_custom_slide_show) \
    ROW(CMD_TAG_FOR_COPY, NEED_IMAGE, MENU_FIXED, cmd_tag, no_job)                             \
    ROW(CMD_TAG_FOR_CONVERSION, NEED_IMAGE, MENU_FIXED, cmd_tag, no_job)                       \
    ROW(CMD_TAG_FOR_RESIZE, NEED_IMAGE, MENU_FIXED, cmd_tag, no_job)                           \
    ROW(CMD_TAG_FOR_ROTATE_90, NEED_IMAGE, MENU_FIXED, cmd_tag, no_job)                        \
    ROW(CMD_TAG_FOR_ROTATE_180, NEED_IMAGE, MENU_FIXED, cmd_tag, no_job)                       \
    ROW(CMD_TAG_FOR_ROTATE_270, NEED_IMAGE, MENU_FIXED, cmd_tag, no_job)                       \
    ROW(CMD_TAG_FOR_DELETE, NEED_IMAGE, MENU_FIXED, cmd_tag, no_job)                           \
    ROW(CMD_START_BATCH_PROCESS, NEED_NONE, MENU_FIXED, cmd_batch, job_batch)                  \
    ROW(CMD_REMOVE_TAGS, NEED_IMAGE, MENU_FIXED, cmd_tag, no_job)                              \
    ROW(CMD_TAG_ALL_IMAGES_AS_THIS_ONE, NEED_IMAGE, MENU_FIXED, cmd_tag, no_job)               \
    ROW(CMD_REMOVE_TAGS_FROM_ALL_IMAGES, NEED_NONE, MENU_FIXED, cmd_untag_all, no_job)         \
    ROW(CMD_RENAME_FILE, NEED_IMAGE, MENU_FIXED, cmd_rename_file, no_job)                      \
    ROW(CMD_RECORD_VOICE_NOTE, NEED_IMAGE, MENU_FIXED, cmd_staged, no_job)                     \
    ROW(CMD_PLAY_VOICE_NOTE, NEED_IMAGE, MENU_FIXED, cmd_staged, no_job)                       \
    ROW(CMD_ADD_IMAGE_TO_SLIDESHOW, NEED_IMAGE, MENU_FIXED, cmd_add_image_to_slideshow, no_job) \
    ROW(CMD_ADD_ALL_IMAGES_TO_SLIDESHOW, NEED_NONE, MENU_FIXED, cmd_add_all_images_to_slideshow, no_job) \
    ROW(CMD_OPEN_SLIDESHOW, NEED_NONE, MENU_FIXED, cmd_open_slideshow, no_job)                 \
    ROW(CMD_SAVE_SLIDESHOW, NEED_NONE, MENU_FIXED, cmd_save_slideshow, no_job)                 \
    ROW(CMD_EDIT_CUSTOM_SLIDESHOW, NEED_NONE, MENU_FIXED, cmd_edit_custom_slideshow, no_job)   \
    ROW(CMD_TAG_FOR_CROP, NEED_IMAGE, MENU_FIXED, cmd_tag, no_job)                             \
    RANGE(CMD_TOOLBAR_FIRST, CMD_TOOLBAR_LAST, NEED_NONE, MENU_FIXED, cmd_toolbar, no_job)     \
    ROW(CMD_LOSSLESSLY_ROTATE_JPEG, NEED_IMAGE, MENU_SINGLE_JFIF, cmd_staged, no_job)

// The portable columns of a row.
struct CommandRule {
    int first, last;  // the identifiers the row serves
    CommandNeed need;
    MenuRule menu;
    bool worker_job;  // the worker runs a job when it is sent this number
};

// The row serving `command`, or null for a number that is no command.
const CommandRule* command_rule(int command);
// Every row, in table order.
const CommandRule* command_rules(int* count);

// ---- Menu state ------------------------------------------------------------------
struct MenuInputs {
    bool image_loaded;
    bool has_selection;
    int bits_per_pixel;
    int page_count;
    bool is_jfif;
    bool clipboard_has_bitmap;
};
struct MenuItemState {
    int command;
    bool enabled;
};
bool menu_enabled(MenuRule rule, const MenuInputs& in);
// Enabled state of every menu item whose row has a menu rule.
std::vector<MenuItemState> menu_item_states(const MenuInputs& in);
