// Edits of the slide table: new slides are built in the spare record past the last
// slide and counted once complete; moves and deletions keep the slides contiguous.
#include "slideshow/slide_table.h"

#include <algorithm>
#include <cstring>

namespace {

bool fits(std::string_view path) { return path.size() < (size_t)SLIDE_PATH_BYTES; }

void store_path(char (&field)[SLIDE_PATH_BYTES], std::string_view path) {
    std::memset(field, 0, sizeof field);
    if (fits(path)) std::memcpy(field, path.data(), path.size());
}

bool is_slide(const SlideTable& table, int index) { return index >= 0 && index < table.count; }

}  // namespace

int find_slide(const SlideTable& table, const char* image_path) {
    for (int i = 0; i < table.count; ++i)
        if (std::strncmp(table.records[i].image_path, image_path, SLIDE_PATH_BYTES) == 0) return i;
    return -1;
}

SlideRecord* prepare_new_slide(SlideTable& table, const char* image_path) {
    const std::string_view path(image_path);
    if (table.count >= SLIDE_TABLE_CAPACITY || !fits(path)) return nullptr;
    SlideRecord& slide = table.records[table.count];
    slide = SlideRecord{};
    store_path(slide.image_path, path);
    store_path(slide.sound_path, voice_note_path(path));
    return &slide;
}

void add_prepared_slide(SlideTable& table) {
    if (table.count >= SLIDE_TABLE_CAPACITY) return;
    ++table.count;
    table.modified = true;
}

int add_directory_slides(SlideTable& table, std::string_view directory, std::span<const char* const> names,
                         int32_t transition, int32_t delay) {
    const bool ends_in_separator = !directory.empty() && directory.back() == '\\';
    int added = 0;
    for (const char* name : names) {
        if (table.count >= SLIDE_TABLE_CAPACITY) break;
        std::string path(directory);
        if (!ends_in_separator) path += '\\';
        path += name;
        if (!fits(path) || find_slide(table, path.c_str()) >= 0) continue;
        SlideRecord* slide = prepare_new_slide(table, path.c_str());
        slide->transition = transition;
        slide->delay = delay;
        add_prepared_slide(table);
        ++added;
    }
    return added;
}

bool swap_slides(SlideTable& table, int a, int b) {
    if (!is_slide(table, a) || !is_slide(table, b)) return false;
    std::swap(table.records[a], table.records[b]);
    table.modified = true;
    return true;
}

bool delete_slide(SlideTable& table, int index) {
    if (!is_slide(table, index)) return false;
    std::copy(table.records.begin() + index + 1, table.records.begin() + table.count, table.records.begin() + index);
    --table.count;
    table.modified = true;
    return true;
}

void delete_all_slides(SlideTable& table) {
    if (table.count == 0) return;
    table.count = 0;
    table.modified = true;
}

int32_t quarter_turn(int32_t rotation) {
    return rotation == 90 || rotation == 180 || rotation == 270 ? rotation : 0;
}

int32_t next_rotation(int32_t rotation) { return (quarter_turn(rotation) + 90) % 360; }
