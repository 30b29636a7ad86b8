// The settings table (registry name, kind, storage and sizes of every value), the
// defaults, and the repair of loaded values. Registry access itself lives in the
// viewer; this file decides what is stored and what a loaded value may be.
#include "settings/settings_table.h"

#include "resource_ids.h"

#include <cstring>

namespace {

#define NUMBER(name, field) {name, SettingKind::Number, offsetof(Settings, field), 4, 4}
#define STRING(name, field) \
    {name, SettingKind::String, offsetof(Settings, field), sizeof(Settings::field), sizeof(Settings::field)}
#define BYTES(name, field, read, write) {name, SettingKind::Bytes, offsetof(Settings, field), read, write}

const SettingEntry kEntries[] = {
    STRING("CurDir", cur_dir),
    STRING("SaveDir", save_dir),
    NUMBER("DirFilter", dir_filter),
    NUMBER("SortOrder", sort_order),
    NUMBER("DefView", def_view),
    NUMBER("CustomView", custom_view),
    NUMBER("BkColor", bk_color),
    NUMBER("AnimationRate", animation_rate),
    NUMBER("RotateDir", rotate_dir),
    NUMBER("Gamma", gamma),
    NUMBER("Brightness", brightness),
    NUMBER("ThumbSize", thumb_size),
    NUMBER("ThumbShape", thumb_shape),
    BYTES("ThumbFont", thumb_font, 60, 60),
    BYTES("Font", font, 60, 60),
    NUMBER("FontColor", font_color),
    BYTES("MainKeys", main_keys, kKeyBindingSize, kKeyBindingSize),
    BYTES("FullscreenKeys", fullscreen_keys, kKeyBindingSize, kKeyBindingSize),
    BYTES("ThumbKeys", thumb_keys, kKeyBindingSize, kKeyBindingSize),
    BYTES("ToolBars", toolbars, kToolbarLayoutReadSize, kToolbarLayoutSize),
    {"ToolbarNames", SettingKind::Names, offsetof(Settings, toolbar_names), kToolbarNamesSize, kToolbarNamesSize},
    NUMBER("Toolbar", toolbar),
    NUMBER("LastPrefPage", last_pref_page),
    NUMBER("Options", options),
    NUMBER("Options2", options2),
    NUMBER("SaveType", save_type),
    NUMBER("JPEGQuality", jpeg_quality),
    NUMBER("JPEGSize", jpeg_size),
    NUMBER("ZoomCX", zoom_cx),
    NUMBER("ZoomCY", zoom_cy),
    NUMBER("SlideDelay", slide_delay),
    NUMBER("TransitionEffect", transition_effect),
    NUMBER("TransitionSpeed", transition_speed),
    NUMBER("VideoSize", video_size),
    NUMBER("VideoRotate", video_rotate),
    NUMBER("PrintPosition", print_position),
    NUMBER("PrintName", print_name),
    STRING("PrintComment", print_comment),
    NUMBER("CurrentPrinter", current_printer),
    NUMBER("PrintPort", print_port),
    NUMBER("PrintRes", print_res),
    NUMBER("PrintMethod", print_method),
    NUMBER("LeftMargin", left_margin),
    NUMBER("TopMargin", top_margin),
    NUMBER("PrintWidth", print_width),
    NUMBER("PrintHeight", print_height),
    NUMBER("EmailSize", email_size),
    NUMBER("EmailType", email_type),
    NUMBER("BatchFormat", batch_format),
    NUMBER("BatchColor", batch_color),
    NUMBER("BatchScale", batch_scale),
    NUMBER("BatchCX", batch_cx),
    NUMBER("BatchCY", batch_cy),
    NUMBER("BatchCropX1", batch_crop_x1),
    NUMBER("BatchCropY1", batch_crop_y1),
    NUMBER("BatchCropX2", batch_crop_x2),
    NUMBER("BatchCropY2", batch_crop_y2),
    STRING("BatchDir", batch_dir),
    STRING("BatchLog", batch_log),
    NUMBER("Capture24bpp", capture_24bpp),
    NUMBER("CaptureCount", capture_count),
    NUMBER("CaptureType", capture_type),
    NUMBER("CaptureDelay", capture_delay),
    STRING("CaptureName", capture_name),
    STRING("CaptureDir", capture_dir),
};

#undef NUMBER
#undef STRING
#undef BYTES

// Values that pick from a fixed list; a loaded value outside it takes the default.
struct Range {
    int32_t Settings::*field;
    int32_t low, high;
};

constexpr Range kRanges[] = {
    {&Settings::sort_order, 0, 2},        {&Settings::bk_color, 0, 2},
    {&Settings::animation_rate, 0, kAnimationRateMax},
    {&Settings::gamma, 0, 255},           {&Settings::brightness, 0, 255},
    {&Settings::thumb_size, 0, 3},        {&Settings::thumb_shape, 0, 2},
    {&Settings::toolbar, 0, kToolbarCount - 1},
    {&Settings::last_pref_page, 0, 8},    {&Settings::jpeg_size, 0, 3},
    {&Settings::transition_effect, 0, 19}, {&Settings::transition_speed, 0, 2},
    {&Settings::batch_format, 0, 13},     {&Settings::batch_color, 0, 1},
    {&Settings::batch_scale, 0, 3},
};

constexpr int32_t kDefaultViews[] = {CMD_VIEW_100, CMD_FIT_TO_WIDTH, CMD_FIT_TO_WINDOW, CMD_FIT_TO_CUSTOM};

FontRecord make_font(const char* face, int32_t height, int32_t weight) {
    FontRecord f{};
    f.height = height;
    f.weight = weight;
    std::strncpy(f.face_name, face, sizeof f.face_name - 1);
    return f;
}

template <size_t N>
void end_text(char (&text)[N]) {
    text[N - 1] = 0;
}

bool is_default_view(int32_t view) {
    for (int32_t v : kDefaultViews)
        if (v == view) return true;
    return false;
}

}  // namespace

std::span<const SettingEntry> settings_entries() { return kEntries; }

int default_thumb_size(int screen_width) { return screen_width > 800 ? 3 : 2; }

int default_transition_effect(int display_bits) { return display_bits < 8 ? 0 : 1; }

int clamp_custom_view(int percent) {
    return percent < kCustomViewMin ? kCustomViewMin : percent > kCustomViewMax ? kCustomViewMax : percent;
}

int animation_period_ms(int rate) { return 1000 / ((rate >= 0 && rate <= kAnimationRateMax ? rate : 4) + 1); }

void store_loaded_value(Settings& s, const SettingEntry& e, const void* data, size_t size) {
    const size_t n = size < e.read_size ? size : e.read_size;
    void* storage = setting_storage(s, e);
    if (e.kind == SettingKind::String || e.kind == SettingKind::Names) std::memset(storage, 0, e.read_size);
    std::memcpy(storage, data, n);
}

void settings_set_defaults(Settings& s, const DisplayInfo& display) {
    s = Settings{};
    s.def_view = CMD_FIT_TO_WINDOW;
    s.custom_view = 25;
    s.animation_rate = kAnimationRateDefault;
    s.gamma = s.brightness = 128;
    s.thumb_size = default_thumb_size(display.screen_width);
    s.thumb_shape = 1;
    s.thumb_font = make_font("Arial", -16, 800);
    s.font = make_font("Arial", -12, 400);
    s.font_color = 255;
    s.main_keys = default_key_binding(KeySet::Main);
    s.fullscreen_keys = default_key_binding(KeySet::Fullscreen);
    s.thumb_keys = default_key_binding(KeySet::Thumb);
    s.toolbars = default_toolbar_layout();
    s.toolbar_names = default_toolbar_names();
    const OptionWords words = default_option_words(display.bits_per_pixel);
    s.options = words.options;
    s.options2 = words.options2;
    s.flags = decode_options(words);
    s.zoom_cx = s.zoom_cy = 74;
    s.slide_delay = 2000;
    s.transition_effect = default_transition_effect(display.bits_per_pixel);
    s.transition_speed = 1;
    s.video_size = 1;
    s.print_position = 5;
    s.print_res = 2;
    s.batch_cx = s.batch_cy = 256;
    s.capture_delay = 5;
    std::strcpy(s.capture_name, "CAP");
    std::strcpy(s.capture_dir, "\\My Documents");
}

void settings_after_load(Settings& s, const DisplayInfo& display) {
    Settings defaults;
    settings_set_defaults(defaults, display);
    for (const Range& r : kRanges)
        if (s.*r.field < r.low || s.*r.field > r.high) s.*r.field = defaults.*r.field;
    if (!is_default_view(s.def_view)) s.def_view = defaults.def_view;
    s.custom_view = clamp_custom_view(s.custom_view);
    for (char* text : {s.cur_dir, s.save_dir, s.print_comment, s.batch_dir, s.batch_log}) text[255] = 0;
    end_text(s.capture_name);
    end_text(s.capture_dir);
    end_text(s.thumb_font.face_name);
    end_text(s.font.face_name);
    terminate_toolbar_names(s.toolbar_names);
    s.flags = decode_options({s.options, s.options2});
}

void settings_before_save(Settings& s) {
    const OptionWords words = encode_options(s.flags);
    s.options = words.options;
    s.options2 = words.options2;
}
