// Toolbar layout defaults, look-ups and the button-list edits of the settings page.
// The layout is a flat byte array of command-list positions; 79 ("Undefined")
// marks an empty slot, and bytes above 79 from a damaged value read as 79.
#include "settings/toolbar_layout.h"

#include <cstring>
#include <utility>

#include "settings/command_list.h"

namespace {

constexpr uint8_t kDefaultLayout[kToolbarLayoutSize] = {
    0, 71, 7,  8,  14, 19, 41, 30, 74, 37,  // General
    0, 14, 10, 11, 12, 13, 51, 33, 35, 37,  // View
    0, 1,  17, 18, 54, 23, 24, 26, 50, 37,  // Edit
    0, 1,  42, 43, 75, 68, 69, 44, 45, 37,  // File1
    0, 1,  19, 34, 2,  4,  5,  6,  3,  37,  // File2
    0, 41, 19, 2,  4,  5,  6,  3,  34, 37,  // Video
    0, 71, 72, 70, 76, 19, 73, 30, 74, 37,  // Slideshow
    0, 7,  8,  19, 51, 33, 30, 14, 34, 37,  // Thumbnail
    57, 58, 59, 60, 61, 63, 64, 65, 66, 67, // Batch Process
    0, 9,  27, 28, 29, 40, 53, 36, 37, 52,  // Extras
};

constexpr const char* kDefaultNames[kToolbarCount] = {
    "General", "View", "Edit", "File1", "File2", "Video", "Slideshow", "Thumbnail", "Batch Process", "Extras",
};

bool valid_toolbar(int toolbar) { return toolbar >= 0 && toolbar < kToolbarCount; }

}  // namespace

ToolbarLayout default_toolbar_layout() {
    ToolbarLayout layout{};
    std::memcpy(layout.data(), kDefaultLayout, sizeof kDefaultLayout);
    return layout;
}

ToolbarNames default_toolbar_names() {
    ToolbarNames names{};
    for (int t = 0; t < kToolbarCount; ++t) set_toolbar_name(names, t, kDefaultNames[t]);
    return names;
}

int toolbar_button_index(const ToolbarLayout& layout, int toolbar, int button) {
    if (!valid_toolbar(toolbar) || button < 0 || button >= kToolbarButtons) return kUndefinedIndex;
    return checked_command_index(layout[toolbar * kToolbarButtons + button]);
}

int toolbar_button_command(const ToolbarLayout& layout, int toolbar, int button) {
    return CommandList[toolbar_button_index(layout, toolbar, button)];
}

ToolbarButtons toolbar_buttons(const ToolbarLayout& layout, int toolbar) {
    ToolbarButtons buttons;
    for (int b = 0; b < kToolbarButtons; ++b) {
        buttons.index[b] = static_cast<uint8_t>(toolbar_button_index(layout, toolbar, b));
        if (buttons.index[b] != kUndefinedIndex) buttons.count = b + 1;
    }
    for (int b = buttons.count; b < kToolbarButtons; ++b) buttons.index[b] = 0;
    return buttons;
}

void store_toolbar(ToolbarLayout& layout, int toolbar, const ToolbarButtons& buttons) {
    if (!valid_toolbar(toolbar)) return;
    uint8_t* slot = layout.data() + toolbar * kToolbarButtons;
    std::memset(slot, kUndefinedIndex, kToolbarButtons);
    for (int b = 0; b < buttons.count && b < kToolbarButtons; ++b)
        slot[b] = static_cast<uint8_t>(checked_command_index(buttons.index[b]));
}

int toolbar_add(ToolbarButtons& buttons, int command_index, int* selected) {
    if (buttons.count >= kToolbarButtons) return -1;
    buttons.index[buttons.count] = static_cast<uint8_t>(checked_command_index(command_index));
    *selected = buttons.count++;
    return 0;
}

int toolbar_move_up(ToolbarButtons& buttons, int* selected) {
    const int s = *selected;
    if (s <= 0 || s >= buttons.count) return -1;
    std::swap(buttons.index[s - 1], buttons.index[s]);
    *selected = s - 1;
    return 0;
}

int toolbar_move_down(ToolbarButtons& buttons, int* selected) {
    const int s = *selected;
    if (s < 0 || s + 1 >= buttons.count) return -1;
    std::swap(buttons.index[s + 1], buttons.index[s]);
    *selected = s + 1;
    return 0;
}

int toolbar_remove(ToolbarButtons& buttons, int* selected) {
    const int s = *selected;
    if (s < 0 || s >= buttons.count) return -1;
    for (int b = s; b + 1 < buttons.count; ++b) buttons.index[b] = buttons.index[b + 1];
    buttons.index[--buttons.count] = 0;
    *selected = s < buttons.count ? s : buttons.count - 1;  // -1: the list is now empty
    return 0;
}

const char* toolbar_name(const ToolbarNames& names, int toolbar) {
    return valid_toolbar(toolbar) ? names.data() + toolbar * kToolbarNameSize : "";
}

void terminate_toolbar_names(ToolbarNames& names) {
    for (int t = 0; t < kToolbarCount; ++t) names[t * kToolbarNameSize + kToolbarNameSize - 1] = 0;
}

void set_toolbar_name(ToolbarNames& names, int toolbar, const char* name) {
    if (!valid_toolbar(toolbar)) return;
    char* slot = names.data() + toolbar * kToolbarNameSize;
    std::memset(slot, 0, kToolbarNameSize);
    for (int i = 0; i < kToolbarNameSize - 1 && name[i]; ++i) slot[i] = name[i];
}

int next_toolbar(int toolbar) { return valid_toolbar(toolbar + 1) ? toolbar + 1 : 0; }

int previous_toolbar(int toolbar) { return valid_toolbar(toolbar - 1) ? toolbar - 1 : kToolbarCount - 1; }
