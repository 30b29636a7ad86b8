// File index arithmetic of the previous/next/first/last commands. An index outside
// the list (left over after the list shrank) counts as "no current file", so a step
// never lands beyond the list.
#include "files/file_navigation.h"

#include <algorithm>

namespace {

int32_t current_or_none(int32_t index, int32_t count) {
    return (index < 0 || index >= count) ? -1 : index;
}

}  // namespace

NavStep previous_file(int32_t index, int32_t count) {
    if (count <= 0) return {NavAction::None, index};
    index = current_or_none(index, count);
    if (index == -1) index = count;
    if (index < 1) return {NavAction::Beep, index};
    return {NavAction::Move, index - 1};
}

NavStep next_file(int32_t index, int32_t count) {
    if (count <= 0) return {NavAction::None, index};
    index = current_or_none(index, count);
    if (index + 1 == count) return {NavAction::Beep, index};
    return {NavAction::Move, index + 1};
}

NavStep first_thumbnail(int32_t index, bool thumbs_exist, int32_t built) {
    if (!thumbs_exist || built < 1 || index == 0) return {NavAction::None, index};
    return {NavAction::Move, 0};
}

NavStep last_thumbnail(int32_t index, bool thumbs_exist, int32_t built) {
    if (!thumbs_exist || built < 1 || index == built - 1) return {NavAction::None, index};
    return {NavAction::Move, built - 1};
}

int32_t strip_start_for(int32_t index, int32_t built, int32_t visible) {
    return std::max(0, std::min(index, built - visible));
}
