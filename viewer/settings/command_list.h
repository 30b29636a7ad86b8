// The fixed list of the 80 commands that key bindings and toolbar buttons can name.
// Stored bindings and layouts hold positions in this list (one byte each), so its
// order is part of the stored settings format and never changes.
#pragma once

#include <array>
#include <cstdint>

#include "resource_ids.h"

inline constexpr int kCommandCount = 80;
inline constexpr int kUndefinedIndex = 79;        // empty toolbar slot, unbound key
inline constexpr int kUndefinedCommand = CMD_UNDEFINED;  // dispatches nothing

// Command identifiers in stored order; the name of each is the string-table entry
// with the same identifier.
inline constexpr std::array<uint16_t, kCommandCount> CommandList = {
    CMD_OPEN, CMD_SAVE_AS, CMD_FIRST_PAGE, CMD_LAST_PAGE,  //  0 ..  3
    CMD_PREVIOUS_PAGE, CMD_GO_TO_PAGE, CMD_NEXT_PAGE, CMD_PREVIOUS_FILE,  //  4 ..  7
    CMD_NEXT_FILE, CMD_CLOSE, CMD_VIEW_100, CMD_FIT_TO_WIDTH,  //  8 .. 11
    CMD_FIT_TO_WINDOW, CMD_FIT_TO_CUSTOM, CMD_ROTATE_VIEW_90, CMD_ROTATE_VIEW_180,  // 12 .. 15
    CMD_ROTATE_VIEW_270, CMD_FLIP_HORIZONTAL, CMD_FLIP_VERTICAL, CMD_PREFERENCES,  // 16 .. 19
    CMD_LIGHTEN, CMD_DARKEN, CMD_INVERT, CMD_RESIZE,  // 20 .. 23
    CMD_CROP, CMD_COLOR_TO_GRAY, CMD_MODIFY_COLORS, CMD_SCREEN_CAPTURE,  // 24 .. 27
    CMD_COPY_TO_CLIPBOARD, CMD_FILE_ASSOCIATIONS, CMD_SLIDE_SHOW, CMD_FIRST_THUMBNAIL_IMAGE,  // 28 .. 31
    CMD_LAST_THUMBNAIL_IMAGE, CMD_TOGGLE_THUMBNAIL_VIEW, CMD_IMAGE_INFO, CMD_ZOOM_WINDOW,  // 32 .. 35
    CMD_COPYRIGHT_INFO, CMD_ONLINE_HELP, CMD_PREVIOUS_TOOLBAR, CMD_NEXT_TOOLBAR,  // 36 .. 39
    CMD_PRINT, CMD_PLAY_PAUSE, CMD_COPY_FILE, CMD_DELETE_FILE,  // 40 .. 43
    CMD_SEND_VIA_EMAIL, CMD_SEND_VIA_IRDA, CMD_ZOOM_IN, CMD_ZOOM_OUT,  // 44 .. 47
    CMD_ZOOM_TO_SELECTION, CMD_TOGGLE_FULLSCREEN_VIEW, CMD_TOGGLE_SELECTION, CMD_TOGGLE_COMBO_VIEW,  // 48 .. 51
    CMD_EXIT, CMD_REFRESH_THUMBNAILS, CMD_ROTATE_IMAGE_90, CMD_ROTATE_IMAGE_180,  // 52 .. 55
    CMD_ROTATE_IMAGE_270, CMD_TAG_FOR_COPY, CMD_TAG_FOR_CONVERSION, CMD_TAG_FOR_RESIZE,  // 56 .. 59
    CMD_TAG_FOR_DELETE, CMD_TAG_FOR_ROTATE_90, CMD_TAG_FOR_ROTATE_180, CMD_TAG_FOR_ROTATE_270,  // 60 .. 63
    CMD_REMOVE_TAGS, CMD_TAG_ALL_IMAGES_AS_THIS_ONE, CMD_REMOVE_TAGS_FROM_ALL_IMAGES, CMD_START_BATCH_PROCESS,  // 64 .. 67
    CMD_RECORD_VOICE_NOTE, CMD_PLAY_VOICE_NOTE, CMD_ADD_IMAGE_TO_SLIDESHOW, CMD_OPEN_SLIDESHOW,  // 68 .. 71
    CMD_SAVE_SLIDESHOW, CMD_EDIT_CUSTOM_SLIDESHOW, CMD_START_CUSTOM_SLIDESHOW, CMD_RENAME_FILE,  // 72 .. 75
    CMD_ADD_ALL_IMAGES_TO_SLIDESHOW, CMD_TAG_FOR_CROP, CMD_LOSSLESSLY_ROTATE_JPEG, CMD_UNDEFINED,  // 76 .. 79
};

// A stored byte as a list index: bytes above 79 (a damaged registry value) count as
// "Undefined", so nothing outside the list is ever looked up.
int checked_command_index(int stored);
// Command identifier a stored key-binding or toolbar byte sends.
int command_of_index(int stored);
// List position of a command identifier, or -1 for commands that are not in the list.
int index_of_command(int command_id);
