// The viewer's persistent settings: one record with every value, the table that names
// each value's registry entry, kind and sizes (it drives loading and saving), the
// defaults (some depend on the display) and the checks applied after loading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "settings/key_table.h"
#include "settings/option_words.h"
#include "settings/toolbar_layout.h"

// A font as the registry stores it: the 60-byte single-byte LOGFONT layout.
struct FontRecord {
    int32_t height, width, escapement, orientation, weight;
    uint8_t italic, underline, strike_out, char_set;
    uint8_t out_precision, clip_precision, quality, pitch_and_family;
    char face_name[32];
};
static_assert(sizeof(FontRecord) == 60);

struct DisplayInfo {
    int bits_per_pixel;  // planes x bits per pixel
    int screen_width;
};

struct Settings {
    char cur_dir[256], save_dir[256];
    int32_t dir_filter, sort_order, def_view, custom_view, bk_color, animation_rate, rotate_dir;
    int32_t gamma, brightness, thumb_size, thumb_shape;
    FontRecord thumb_font, font;
    int32_t font_color;
    KeyBinding main_keys, fullscreen_keys, thumb_keys;
    ToolbarLayout toolbars;
    ToolbarNames toolbar_names;
    int32_t toolbar, last_pref_page;
    uint32_t options, options2;
    int32_t save_type, jpeg_quality, jpeg_size, zoom_cx, zoom_cy;
    int32_t slide_delay, transition_effect, transition_speed, video_size, video_rotate;
    int32_t print_position, print_name;
    char print_comment[256];
    int32_t current_printer, print_port, print_res, print_method;
    int32_t left_margin, top_margin, print_width, print_height, email_size, email_type;
    int32_t batch_format, batch_color, batch_scale, batch_cx, batch_cy;
    int32_t batch_crop_x1, batch_crop_y1, batch_crop_x2, batch_crop_y2;
    char batch_dir[256], batch_log[256];
    int32_t capture_24bpp, capture_count, capture_type, capture_delay;
    char capture_name[512], capture_dir[512];

    // Decoded from "Options"/"Options2" after loading, encoded into them before saving.
    OptionFlags flags;
    // Slideshow options kept for the session only, never stored.
    bool slide_wait_for_sounds, slide_random_order, slide_stretch;
};

enum class SettingKind : uint8_t {
    Number,  // REG_DWORD
    String,  // REG_SZ, written with its terminating NUL
    Names,   // REG_SZ of fixed size holding NUL-padded names
    Bytes,   // REG_BINARY
};

struct SettingEntry {
    const char* name;
    SettingKind kind;
    uint16_t offset;      // of the storage in Settings
    uint16_t read_size;   // read buffer
    uint16_t write_size;  // bytes written (strings: up to the NUL)
};

// Every stored value in registry order.
std::span<const SettingEntry> settings_entries();
// Storage of one entry inside a settings record.
inline void* setting_storage(Settings& s, const SettingEntry& e) { return reinterpret_cast<char*>(&s) + e.offset; }
inline const void* setting_storage(const Settings& s, const SettingEntry& e) {
    return reinterpret_cast<const char*>(&s) + e.offset;
}

// Puts one value read from storage into its setting: at most `read_size` bytes. Text
// replaces the old text whole; numbers, fonts and byte arrays are overwritten only as
// far as the value reaches, like a read into the setting's own buffer.
void store_loaded_value(Settings& s, const SettingEntry& e, const void* data, size_t size);

// Every setting at its default for this display.
void settings_set_defaults(Settings& s, const DisplayInfo& display);
// After loading: decode the option words, end every text within its buffer, and put
// values that select from a fixed list back to their defaults when they are outside
// it ("AnimationRate" outside 0 ... 17 becomes 4); "CustomView" is held to 5 ... 800.
void settings_after_load(Settings& s, const DisplayInfo& display);
// Before saving: encode the flags into the option words.
void settings_before_save(Settings& s);

// Defaults that depend on the display.
int default_thumb_size(int screen_width);
int default_transition_effect(int display_bits);

// Limits of values entered on the settings pages.
inline constexpr int kCustomViewMin = 5, kCustomViewMax = 800;
inline constexpr int kAnimationRateMax = 17, kAnimationRateDefault = 4;
int clamp_custom_view(int percent);
// Period of the animation timer for a rate index: 1000 / (rate + 1) milliseconds.
int animation_period_ms(int rate);

// "JPEGQuality": bits 0-1 the save quality (0 "Highest" ... 3 "Low"), bit 2 subsampling.
inline int jpeg_quality_level(int value) { return value & 3; }
inline bool jpeg_subsampling(int value) { return (value >> 2) & 1; }
inline int make_jpeg_quality(int level, bool subsampling) { return (level & 3) | (subsampling ? 4 : 0); }
