// Settings: option-word encoding, display-dependent defaults, the value table that
// drives the registry, and the repair of damaged values after loading.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "app/help_topics.h"
#include "settings/settings_table.h"

namespace {

uint32_t bits(std::initializer_list<int> list) {
    uint32_t word = 0;
    for (int b : list) word |= 1u << b;
    return word;
}

Settings defaults_for(int bits_per_pixel, int width) {
    Settings s;
    settings_set_defaults(s, {bits_per_pixel, width});
    return s;
}

}  // namespace

TEST(OptionWords, FirstStartWordOnA32BitDisplay) {
    const OptionWords w = default_option_words(32);
    EXPECT_EQ(w.options, bits({2, 3, 4, 6, 8, 9, 10, 11, 12, 15, 17, 18, 20, 21, 28, 29, 30, 31}));
    EXPECT_EQ(w.options2, bits({0, 1, 2}));
    const OptionFlags f = decode_options(w);
    EXPECT_TRUE(f.IgnoreErrors && f.ScaleToGray && f.FaxCorrect && f.ThumbsEnabled && f.ComboView);
    EXPECT_FALSE(f.OptimizeColors || f.Load16Bpp || f.AutoRotate || f.PlayLoop || f.SaveToCurrentDir);
    EXPECT_TRUE(f.BatchScaleMode && f.ConfirmDelete && f.SlideSounds);
    EXPECT_FALSE(f.BatchOverwrite);
}

TEST(OptionWords, OptimizeColorsOnBelow16Bits) {
    EXPECT_TRUE(default_option_words(8).options & (1u << 5));
    EXPECT_TRUE(default_option_words(15).options & (1u << 5));
    EXPECT_FALSE(default_option_words(16).options & (1u << 5));
}

TEST(OptionWords, EachFlagRoundTripsThroughItsOwnBit) {
    // Every single bit of "Options" except 14 survives decode and encode, alone.
    for (int b = 0; b < 32; ++b) {
        const OptionWords in{1u << b, 0};
        const OptionWords out = encode_options(decode_options(in));
        EXPECT_EQ(out.options, b == 14 ? 0u : in.options) << "Options bit " << b;
        EXPECT_EQ(out.options2, 0u);
    }
    for (int b = 0; b < 32; ++b) {
        const OptionWords out = encode_options(decode_options({0, 1u << b}));
        EXPECT_EQ(out.options2, b < 5 ? 1u << b : 0u) << "Options2 bit " << b;
        EXPECT_EQ(out.options, 0u);
    }
    const OptionWords all = encode_options(decode_options({0xFFFFFFFFu, 0xFFFFFFFFu}));
    EXPECT_EQ(all.options, 0xFFFFBFFFu);
    EXPECT_EQ(all.options2, 0x1Fu);
}

TEST(OptionWords, NamedFlagsLandOnTheirBits) {
    OptionFlags f = decode_options({0, 0});
    f.Load16Bpp = true;
    f.OptimizeJpegSize = true;
    f.FitToPage = true;
    f.SaveToCurrentDir = true;
    const OptionWords w = encode_options(f);
    EXPECT_EQ(w.options, bits({1, 7, 31}));
    EXPECT_EQ(w.options2, bits({3}));
}

TEST(SettingsDefaults, DisplayDependentValues) {
    EXPECT_EQ(defaults_for(32, 1024).thumb_size, 3);
    EXPECT_EQ(defaults_for(32, 800).thumb_size, 2);
    EXPECT_EQ(defaults_for(32, 801).thumb_size, 3);
    EXPECT_EQ(defaults_for(32, 1024).transition_effect, 1);
    EXPECT_EQ(defaults_for(4, 1024).transition_effect, 0);
    EXPECT_TRUE(defaults_for(8, 640).flags.OptimizeColors);
    EXPECT_FALSE(defaults_for(24, 640).flags.OptimizeColors);
}

TEST(SettingsDefaults, ListedValues) {
    const Settings s = defaults_for(32, 1024);
    EXPECT_EQ(s.def_view, 40026);
    EXPECT_EQ(s.custom_view, 25);
    EXPECT_EQ(s.animation_rate, 4);
    EXPECT_EQ(s.gamma, 128);
    EXPECT_EQ(s.thumb_shape, 1);
    EXPECT_STREQ(s.thumb_font.face_name, "Arial");
    EXPECT_EQ(s.thumb_font.height, -16);
    EXPECT_EQ(s.thumb_font.weight, 800);
    EXPECT_EQ(s.font.height, -12);
    EXPECT_EQ(s.font.weight, 400);
    EXPECT_EQ(s.font_color, 255);
    EXPECT_EQ(s.zoom_cx, 74);
    EXPECT_EQ(s.slide_delay, 2000);
    EXPECT_EQ(s.print_position, 5);
    EXPECT_EQ(s.print_res, 2);
    EXPECT_EQ(s.batch_cx, 256);
    EXPECT_EQ(s.capture_delay, 5);
    EXPECT_STREQ(s.capture_name, "CAP");
    EXPECT_STREQ(s.capture_dir, "\\My Documents");
    EXPECT_STREQ(s.cur_dir, "");
    EXPECT_EQ(s.main_keys[4], 40);
    EXPECT_EQ(s.toolbars[99], 52);
}

TEST(SettingsTable, EveryValueOnceWithItsSizes) {
    std::set<std::string> names;
    for (const SettingEntry& e : settings_entries()) {
        EXPECT_TRUE(names.insert(e.name).second) << e.name << " twice";
        EXPECT_LE(e.offset + e.read_size, sizeof(Settings)) << e.name;
        if (e.kind == SettingKind::Number) EXPECT_EQ(e.read_size, 4) << e.name;
    }
    EXPECT_EQ(names.size(), 65u);  // every value of the settings, "Cmdline" aside
    EXPECT_EQ(names.count("Cmdline"), 0u);  // a hand-over value, not a setting
    auto find = [](const char* name) {
        for (const SettingEntry& e : settings_entries())
            if (std::strcmp(e.name, name) == 0) return e;
        return SettingEntry{};
    };
    EXPECT_EQ(find("ToolBars").read_size, 128);
    EXPECT_EQ(find("ToolBars").write_size, 100);
    EXPECT_EQ(find("ToolbarNames").kind, SettingKind::Names);
    EXPECT_EQ(find("ToolbarNames").write_size, 200);
    EXPECT_EQ(find("ThumbFont").write_size, 60);
    EXPECT_EQ(find("MainKeys").write_size, 256);
    EXPECT_EQ(find("CaptureDir").read_size, 512);
    EXPECT_EQ(find("PrintComment").kind, SettingKind::String);
    // The storage an entry names is the field of the same setting.
    Settings s = defaults_for(32, 1024);
    EXPECT_EQ(*static_cast<int32_t*>(setting_storage(s, find("SlideDelay"))), 2000);
    EXPECT_STREQ(static_cast<char*>(setting_storage(s, find("CaptureName"))), "CAP");
}

TEST(SettingsLoad, AnimationRateOutsideItsRangeBecomes4) {
    Settings s = defaults_for(32, 1024);
    s.animation_rate = 17;
    settings_after_load(s, {32, 1024});
    EXPECT_EQ(s.animation_rate, 17);
    s.animation_rate = 18;
    settings_after_load(s, {32, 1024});
    EXPECT_EQ(s.animation_rate, 4);
    s.animation_rate = -1;
    settings_after_load(s, {32, 1024});
    EXPECT_EQ(s.animation_rate, 4);
    EXPECT_EQ(animation_period_ms(0), 1000);
    EXPECT_EQ(animation_period_ms(4), 200);
    EXPECT_EQ(animation_period_ms(17), 55);
}

TEST(SettingsLoad, CustomViewLimits) {
    EXPECT_EQ(clamp_custom_view(2), 5);
    EXPECT_EQ(clamp_custom_view(1000), 800);
    EXPECT_EQ(clamp_custom_view(5), 5);
    EXPECT_EQ(clamp_custom_view(800), 800);
    EXPECT_EQ(clamp_custom_view(-7), 5);
    Settings s = defaults_for(32, 1024);
    s.custom_view = 0;  // would divide by zero when the view is computed
    settings_after_load(s, {32, 1024});
    EXPECT_EQ(s.custom_view, 5);
}

TEST(SettingsLoad, DamagedValuesAreRepaired) {
    Settings s = defaults_for(32, 1024);
    s.toolbar = 12;
    s.last_pref_page = 9;
    s.def_view = 40027;
    s.thumb_size = 7;
    s.transition_effect = 20;
    s.options = 0;
    s.options2 = 0xFFFFFFFF;
    std::memset(s.cur_dir, 'a', sizeof s.cur_dir);
    std::memset(s.capture_dir, 'b', sizeof s.capture_dir);
    std::memset(s.thumb_font.face_name, 'c', sizeof s.thumb_font.face_name);
    settings_after_load(s, {32, 1024});
    EXPECT_EQ(s.toolbar, 0);
    EXPECT_EQ(s.last_pref_page, 0);
    EXPECT_EQ(s.def_view, 40026);
    EXPECT_EQ(s.thumb_size, 3);
    EXPECT_EQ(s.transition_effect, 1);
    EXPECT_EQ(std::strlen(s.cur_dir), 255u);
    EXPECT_EQ(std::strlen(s.capture_dir), 511u);
    EXPECT_EQ(std::strlen(s.thumb_font.face_name), 31u);
    EXPECT_FALSE(s.flags.ThumbsEnabled);  // the loaded word is decoded, not the default
    EXPECT_TRUE(s.flags.BatchOverwrite);
    settings_before_save(s);
    EXPECT_EQ(s.options2, 0x1Fu);
}

TEST(SettingsLoad, ValidChoicesAreKept) {
    Settings s = defaults_for(32, 1024);
    s.def_view = 40033;
    s.toolbar = 9;
    s.last_pref_page = 8;
    s.custom_view = 333;
    s.batch_format = 13;
    settings_after_load(s, {32, 1024});
    EXPECT_EQ(s.def_view, 40033);
    EXPECT_EQ(s.toolbar, 9);
    EXPECT_EQ(s.last_pref_page, 8);
    EXPECT_EQ(s.custom_view, 333);
    EXPECT_EQ(s.batch_format, 13);
}

TEST(SettingsValues, JpegQualityPacking) {
    EXPECT_EQ(make_jpeg_quality(2, true), 6);
    EXPECT_EQ(jpeg_quality_level(6), 2);
    EXPECT_TRUE(jpeg_subsampling(6));
    EXPECT_FALSE(jpeg_subsampling(3));
}

TEST(HelpTopics, PagesOfTheSettingsSheet) {
    EXPECT_STREQ(help_topic_page(3), "prefs.htm");
    EXPECT_STREQ(help_topic_page(4), "prefs.htm#jpegprefs");
    EXPECT_STREQ(help_topic_page(10), "prefs.htm#batchprefs");
    EXPECT_STREQ(help_topic_page(24), "save.htm");
    EXPECT_EQ(help_topic_page(0), nullptr);
    EXPECT_EQ(help_topic_page(18), nullptr);
}

TEST(SettingsLoad, LoadedValuesReplaceTextAndOverwriteBytesOnlyAsFarAsTheyReach) {
    Settings s = defaults_for(32, 1024);
    const SettingEntry* dir = nullptr;
    const SettingEntry* keys = nullptr;
    const SettingEntry* delay = nullptr;
    for (const SettingEntry& e : settings_entries()) {
        if (std::strcmp(e.name, "CaptureDir") == 0) dir = &e;
        if (std::strcmp(e.name, "MainKeys") == 0) keys = &e;
        if (std::strcmp(e.name, "SlideDelay") == 0) delay = &e;
    }
    ASSERT_TRUE(dir && keys && delay);
    store_loaded_value(s, *dir, "C:", 2);  // no NUL stored with it
    EXPECT_STREQ(s.capture_dir, "C:");
    const uint8_t two_keys[2] = {79, 79};
    store_loaded_value(s, *keys, two_keys, 2);
    EXPECT_EQ(s.main_keys[0], 79);
    EXPECT_EQ(s.main_keys[2], 7);  // the rest keeps its default
    const uint32_t delay_value = 5000;
    uint8_t oversized[8] = {};
    std::memcpy(oversized, &delay_value, 4);
    oversized[4] = 0xAA;
    store_loaded_value(s, *delay, oversized, sizeof oversized);  // never more than its buffer
    EXPECT_EQ(s.slide_delay, 5000);
    EXPECT_EQ(s.transition_effect, 1);
}
