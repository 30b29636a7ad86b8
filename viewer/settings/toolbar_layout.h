// The toolbar layout: 10 toolbars of 10 buttons stored as 100 command-list positions
// (toolbar t, button b at byte 10*t + b), the 10 toolbar names (20 bytes each), and
// the editing steps of the toolbar settings page on one toolbar's button list.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int kToolbarCount = 10;
inline constexpr int kToolbarButtons = 10;
inline constexpr int kToolbarLayoutSize = kToolbarCount * kToolbarButtons;  // bytes written
inline constexpr int kToolbarLayoutReadSize = 128;                         // bytes read
inline constexpr int kToolbarNameSize = 20;                                // 19 characters + NUL
inline constexpr int kToolbarNamesSize = kToolbarCount * kToolbarNameSize;

using ToolbarLayout = std::array<uint8_t, kToolbarLayoutReadSize>;
using ToolbarNames = std::array<char, kToolbarNamesSize>;

// One toolbar's buttons as the settings page edits them: `count` positions, left to right.
struct ToolbarButtons {
    uint8_t index[kToolbarButtons] = {};
    int count = 0;
};

ToolbarLayout default_toolbar_layout();
ToolbarNames default_toolbar_names();

// Command-list position of button b of toolbar t; damaged bytes and positions
// outside the layout give "Undefined" (79).
int toolbar_button_index(const ToolbarLayout& layout, int toolbar, int button);
// Command identifier a click on that button sends.
int toolbar_button_command(const ToolbarLayout& layout, int toolbar, int button);

// The buttons of toolbar t without its trailing empty ("Undefined") slots.
ToolbarButtons toolbar_buttons(const ToolbarLayout& layout, int toolbar);
// Stores a button list: the toolbar's 10 bytes become 79, then the list is written
// from button 0 on.
void store_toolbar(ToolbarLayout& layout, int toolbar, const ToolbarButtons& buttons);

// Page edits on the selected button (`*selected`, updated to follow the edit; -1 when
// the list ends up empty). Each returns 0, or -1 when the edit is refused and the page
// beeps: a full toolbar, a move past either end, nothing selected or an empty list.
int toolbar_add(ToolbarButtons& buttons, int command_index, int* selected);
int toolbar_move_up(ToolbarButtons& buttons, int* selected);
int toolbar_move_down(ToolbarButtons& buttons, int* selected);
int toolbar_remove(ToolbarButtons& buttons, int* selected);

// Name of toolbar t (always NUL-terminated within its 20 bytes).
const char* toolbar_name(const ToolbarNames& names, int toolbar);
// Cuts every name of a loaded value to 19 characters so each one ends in its slot.
void terminate_toolbar_names(ToolbarNames& names);
// Sets the name of toolbar t, cut to 19 characters and NUL-padded.
void set_toolbar_name(ToolbarNames& names, int toolbar, const char* name);

// Toolbar after / before t, wrapping around.
int next_toolbar(int toolbar);
int previous_toolbar(int toolbar);
