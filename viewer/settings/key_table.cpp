// Bindable keys and default key bindings. Bindings store command-list positions;
// a key is first mapped to its position in KeyList, then through the array.
#include "settings/key_table.h"

#include "settings/command_list.h"

namespace {

constexpr const char* kKeyNames[kKeyCount] = {
    "Up", "Down", "Left", "Right", "Enter", "ESC", "Space", "Tab", "Page Up", "Page Dn", "Home", "End", "Delete",
};

// Defaults in key order (Up ... Delete). The thumbnail window gives these positions
// meanings of its own, so its row is kept as plain numbers.
constexpr uint8_t kDefaults[3][kKeyCount] = {
    {46, 47, 7, 8, 40, 52, 14, 33, 4, 6, 2, 3, 43},   // main window
    {46, 47, 7, 8, 49, 52, 14, 33, 34, 0, 0, 0, 0},   // full-screen view
    {0, 1, 2, 3, 15, 15, 15, 15, 15, 15, 15, 15, 15}, // thumbnail window
};

}  // namespace

const char* key_name(int position) { return position >= 0 && position < kKeyCount ? kKeyNames[position] : ""; }

int key_position(unsigned virtual_key) {
    for (int i = 0; i < kKeyCount; ++i)
        if (KeyList[i] == virtual_key) return i;
    return -1;
}

KeyBinding default_key_binding(KeySet set) {
    KeyBinding binding{};
    const uint8_t* row = kDefaults[static_cast<int>(set)];
    for (int i = 0; i < kKeyCount; ++i) binding[i] = row[i];
    return binding;
}

int bound_command(const KeyBinding& binding, unsigned virtual_key) {
    const int position = key_position(virtual_key);
    return position < 0 ? 0 : command_of_index(binding[position]);
}
