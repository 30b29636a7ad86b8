// The 13 keys that can be bound to commands, their display names, and the three
// key-binding arrays (main window, full-screen view, thumbnail window) with their
// defaults. A binding array holds one command-list position per key, in key order.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int kKeyCount = 13;
inline constexpr int kKeyBindingSize = 256;  // stored size; only the first 13 bytes are used

using KeyBinding = std::array<uint8_t, kKeyBindingSize>;

// Virtual-key codes of the bindable keys in binding order: Up, Down, Left, Right,
// Enter, ESC, Space, Tab, Page Up, Page Dn, Home, End, Delete.
inline constexpr std::array<uint16_t, kKeyCount> KeyList = {
    0x26, 0x28, 0x25, 0x27, 0x0D, 0x1B, 0x20, 0x09, 0x21, 0x22, 0x24, 0x23, 0x2E,
};

enum class KeySet { Main, Fullscreen, Thumb };

// Display name of the key at a position ("Up" ... "Delete"); "" outside 0 ... 12.
const char* key_name(int position);
// Position of a virtual key in KeyList, or -1 for a key that cannot be bound.
int key_position(unsigned virtual_key);
// The default binding array of one key set (13 positions, then zeros).
KeyBinding default_key_binding(KeySet set);
// Command identifier that `virtual_key` sends under `binding`, or 0 when the key is
// not bindable (such keys are never looked up in the array).
int bound_command(const KeyBinding& binding, unsigned virtual_key);
