// The custom slideshow in memory: one SlideRecord per slide (image, sound and the
// slide's own display settings) in a table of 500 slides kept for the whole run, and
// the edits made to it (add, find, move, delete). Paths in records are 8-bit strings
// in the system's multibyte code page; the handheld build converts its wide strings
// at the edges. The player reads the table; editing marks it modified.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int SLIDE_PATH_BYTES = 160;  // 159 characters and the NUL
inline constexpr int SLIDE_TABLE_CAPACITY = 500;

// One slide. Stored in slideshow files as 352 bytes in field order, integers 32-bit
// little-endian (slideshow_file.h writes them field by field).
struct SlideRecord {
    char image_path[SLIDE_PATH_BYTES];  // full path, NUL-terminated
    char sound_path[SLIDE_PATH_BYTES];  // full path of a .wav file; "" for none
    int32_t rotation;                   // 0, 90, 180 or 270, clockwise, before display
    int32_t transition;                 // index of the transition table (0 "None" .. 19)
    int32_t delay;                      // milliseconds on screen in a timed show
    int32_t stretch;                    // 1: cover the screen, cropping; 0: fit inside
    int32_t wait_for_sound;             // 1: the show waits until the sound ends
    uint8_t reserved[12];               // zero here; kept as read from a file
};

// The run's one custom slideshow. records holds SLIDE_TABLE_CAPACITY + 1 records,
// zero-filled when the table is made: slides 0 .. count-1 in show order, then a
// spare that a new slide is built in before it is counted, and that the player may
// use as scratch space (so it exists even when 500 slides are in use).
struct SlideTable {
    std::vector<SlideRecord> records = std::vector<SlideRecord>(SLIDE_TABLE_CAPACITY + 1);
    int32_t count = 0;      // 0 .. SLIDE_TABLE_CAPACITY
    bool modified = false;  // unsaved changes: set by every edit, cleared by load and save
};

// Index of the first slide whose image path equals `image_path` byte for byte, or -1.
int find_slide(const SlideTable& table, const char* image_path);

// Builds a new slide in the record at index count: zero-filled, with the image path
// and, as its sound, the image's voice note (left empty when that name would not fit).
// The slide is not counted yet. Null, changing nothing, when the table is full or the
// path does not fit in a record (a cut path would name another file).
SlideRecord* prepare_new_slide(SlideTable& table, const char* image_path);
// Counts the slide prepare_new_slide built and marks the table modified.
void add_prepared_slide(SlideTable& table);

// Adds every file `names` of `directory` (joined with a '\' unless the directory ends
// in one) that is not yet a slide, with `transition` and `delay`, in order, while the
// table has room. Names whose path would not fit are passed over. Returns how many
// slides were added; the table is marked modified when any was.
int add_directory_slides(SlideTable& table, std::string_view directory, std::span<const char* const> names,
                         int32_t transition, int32_t delay);

// Exchanges slides a and b; false (nothing done) when either is not a slide.
bool swap_slides(SlideTable& table, int a, int b);
// Removes slide `index`, moving the later slides up by one; false when it is no slide.
bool delete_slide(SlideTable& table, int index);
// Removes every slide.
void delete_all_slides(SlideTable& table);

// A stored rotation as a quarter turn: 0, 90, 180 or 270 as they are, anything else
// (a damaged file's value) 0.
int32_t quarter_turn(int32_t rotation);
// The slide editor's working rotation after "Rotate 90": a quarter turn more, 270
// back to 0.
int32_t next_rotation(int32_t rotation);

// The companion sound of an image (its voice note): the path with everything from
// its last '.' replaced by ".wav", or ".wav" appended when no '.' stands at position 1
// or later. The search runs over the whole path, folders included: "D:\a.b\pic" gives
// "D:\a.wav".
template <class Char>
std::basic_string<Char> voice_note_path(std::basic_string_view<Char> image_path) {
    const Char wav[] = {Char('.'), Char('w'), Char('a'), Char('v')};
    const size_t dot = image_path.rfind(Char('.'));
    std::basic_string<Char> path(image_path.substr(0, dot != 0 && dot != image_path.npos ? dot : image_path.size()));
    path.append(wav, 4);
    return path;
}
inline std::string voice_note_path(const char* image_path) {
    return voice_note_path(std::string_view(image_path));
}
