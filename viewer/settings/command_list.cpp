// Look-ups between stored command positions and command identifiers. Positions come
// from registry bytes, so every look-up first maps out-of-range bytes to "Undefined".
#include "settings/command_list.h"

int checked_command_index(int stored) {
    return stored >= 0 && stored < kCommandCount ? stored : kUndefinedIndex;
}

int command_of_index(int stored) { return CommandList[checked_command_index(stored)]; }

int index_of_command(int command_id) {
    for (int i = 0; i < kCommandCount; ++i)
        if (CommandList[i] == command_id) return i;
    return -1;
}
