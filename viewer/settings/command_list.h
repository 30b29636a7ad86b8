// The fixed list of the 80 commands that key bindings and toolbar buttons can name.
// Stored bindings and layouts hold positions in this list (one byte each), so its
// order is part of the stored settings format and never changes.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int kCommandCount = 80;
inline constexpr int kUndefinedIndex = 79;        // empty toolbar slot, unbound key
inline constexpr int kUndefinedCommand = 40089;   // "Undefined": dispatches nothing

// Command identifiers in stored order; the name of each is the string-table entry
// with the same identifier.
inline constexpr std::array<uint16_t, kCommandCount> CommandList = {
    40004, 40006, 40049, 40050, 40022, 40023, 40021, 40053, 40054, 40005,  //  0 ..  9
    40024, 40025, 40026, 40033, 40015, 40051, 40052, 40019, 40018, 40031,  // 10 .. 19
    40042, 40041, 40016, 40013, 40014, 40040, 40038, 40048, 40058, 40032,  // 20 .. 29
    40056, 40066, 40067, 40035, 40009, 40034, 40002, 40008, 40060, 40059,  // 30 .. 39
    40010, 40055, 40063, 40061, 40064, 40065, 40027, 40028, 40069, 40077,  // 40 .. 49
    40043, 40087, 40003, 40088, 40090, 40091, 40092, 40099, 40100, 40101,  // 50 .. 59
    40105, 40102, 40103, 40104, 40109, 40110, 40111, 40108, 40113, 40114,  // 60 .. 69
    40115, 40117, 40118, 40119, 40098, 40112, 40116, 40120, 40133, 40089,  // 70 .. 79
};

// A stored byte as a list index: bytes above 79 (a damaged registry value) count as
// "Undefined", so nothing outside the list is ever looked up.
int checked_command_index(int stored);
// Command identifier a stored key-binding or toolbar byte sends.
int command_of_index(int stored);
// List position of a command identifier, or -1 for commands that are not in the list.
int index_of_command(int command_id);
