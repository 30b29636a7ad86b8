// Start-up and command rules of the viewer: the command line, decode options, fax
// aspect correction, auto-rotation, tag bytes, menu state, and the consistency of
// the menus with the string table.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "settings/command_list.h"
#include "app/command_table.h"
#include "app/startup_rules.h"
#include "test_support.h"

TEST(StartupCommandLine, UpperCaseSlideshowAndCaption) {
    char line[] = "c:\\Pics\\show.gls";
    upper_case_in_place(line);
    EXPECT_STREQ(line, "C:\\PICS\\SHOW.GLS");
    EXPECT_TRUE(is_slideshow_path(line));
    EXPECT_FALSE(is_slideshow_path("C:\\PICS\\SHOW.GLS\""));  // quotes are part of the path
    EXPECT_FALSE(is_slideshow_path("GLS"));
    EXPECT_FALSE(is_slideshow_path("C:\\A.GIF"));

    char name[128];
    file_name_part("\"C:\\DIR\\A B.TIF\"", name, sizeof name);
    EXPECT_STREQ(name, "A B.TIF\"");
    file_name_part("D:PLAIN.BMP", name, sizeof name);
    EXPECT_STREQ(name, "PLAIN.BMP");
    char small[4];
    file_name_part("C:\\LONGNAME.JPG", small, sizeof small);
    EXPECT_STREQ(small, "LON");
}

TEST(StartupCommandLine, ErrorStringsCoverEveryLibraryCode) {
    EXPECT_EQ(error_string_id(-1), 5001);
    EXPECT_EQ(error_string_id(-2), 5002);
    EXPECT_EQ(error_string_id(-10), 5010);
    EXPECT_EQ(error_string_id(-11), 5003);
    EXPECT_EQ(error_string_id(0), 5003);
}

TEST(StartupDecodeOptions, SizeChoicesAndAddedFlags) {
    DecodeInputs in{};
    in.screen_width = 1000;
    in.page_width = 1999;
    in.optimize_jpeg_size = true;
    EXPECT_EQ(decode_flags(in), 0);
    in.page_width = 2000;
    EXPECT_EQ(decode_flags(in), 0x20);
    in.page_width = 7999;
    EXPECT_EQ(decode_flags(in), 0x20);
    in.page_width = 8000;
    EXPECT_EQ(decode_flags(in), 0x40);
    in.screen_width = 0;  // no screen width known: full size, no division by zero
    EXPECT_EQ(decode_flags(in), 0);

    in = DecodeInputs{};
    const int by_setting[] = {0, 0x20, 0x40, 0x80, 0};
    for (int size = 0; size < 5; ++size) {
        in.jpeg_size = size;
        EXPECT_EQ(decode_flags(in), by_setting[size]) << "JPEGSize " << size;
    }
    in.jpeg_size = 2;
    in.compositing = true;  // compositing ignores the size setting
    EXPECT_EQ(decode_flags(in), 0x08);
    in.is_avi = true;
    in.ignore_errors = true;
    EXPECT_EQ(decode_flags(in), 0x08 | 0x01 | 0x04);
    in = DecodeInputs{};
    in.load_16bpp = true;
    EXPECT_EQ(decode_flags(in), 0x01);
}

TEST(StartupPageFixes, FaxDoublingAndAutoRotation) {
    EXPECT_TRUE(needs_fax_doubling(1, 204, 98, 1728, 1100));
    EXPECT_TRUE(needs_fax_doubling(1, 200, 100, 100, 100));
    EXPECT_FALSE(needs_fax_doubling(1, 204, 196, 1728, 1100));
    EXPECT_FALSE(needs_fax_doubling(8, 204, 98, 1728, 1100));
    EXPECT_TRUE(needs_fax_doubling(1, 0, 0, 1728, 1199));
    EXPECT_FALSE(needs_fax_doubling(1, 0, 0, 1728, 1200));
    EXPECT_FALSE(needs_fax_doubling(1, 204, 0, 1700, 1000));

    EXPECT_EQ(auto_rotation(0, true, 640, 480, 240, 320, 1), 90);
    EXPECT_EQ(auto_rotation(0, true, 640, 480, 240, 320, 0), 270);
    EXPECT_EQ(auto_rotation(180, true, 480, 640, 240, 320, 1), 180);  // portrait page
    EXPECT_EQ(auto_rotation(180, true, 640, 480, 1024, 768, 1), 180);  // landscape screen
    EXPECT_EQ(auto_rotation(0, false, 640, 480, 240, 320, 1), 0);
}

TEST(StartupTags, EachCommandKeepsTheOtherTags) {
    EXPECT_EQ(new_tag_byte(40099, 0xFF), (0xFF & 0xE5) | 0x01);
    EXPECT_EQ(new_tag_byte(40100, 0x00), 0x02);
    EXPECT_EQ(new_tag_byte(40101, 0x01), 0x05);
    EXPECT_EQ(new_tag_byte(40102, 0x61), 0x21);  // rotations replace each other
    EXPECT_EQ(new_tag_byte(40103, 0x21), 0x41);
    EXPECT_EQ(new_tag_byte(40104, 0x01), 0x61);
    EXPECT_EQ(new_tag_byte(40120, 0x0B), 0x12);  // crop drops copy and delete
    EXPECT_EQ(new_tag_byte(40105, 0x77), 0x08);  // delete drops everything else
    EXPECT_EQ(new_tag_byte(40109, 0x7F), 0x00);
    EXPECT_EQ(new_tag_byte(40004, 0x01), -1);
    EXPECT_EQ(new_tag_byte(0, 0x01), -1);
}

namespace {

std::map<int, bool> states_of(const MenuInputs& in) {
    std::map<int, bool> out;
    for (const MenuItemState& s : menu_item_states(in)) out[s.command] = s.enabled;
    return out;
}

}  // namespace

TEST(StartupMenuState, ImagePagesSelectionAndClipboard) {
    MenuInputs in{};
    auto none = states_of(in);
    for (auto [id, enabled] : none)
        EXPECT_FALSE(enabled) << id << " enabled without an image";
    in.clipboard_has_bitmap = true;
    EXPECT_TRUE(states_of(in)[40095]);  // "Paste" needs no image

    in = MenuInputs{};
    in.image_loaded = true;
    in.page_count = 1;
    in.bits_per_pixel = 24;
    in.is_jfif = true;
    auto single = states_of(in);
    EXPECT_TRUE(single[40006] && single[40010] && single[40090] && single[40040]);
    EXPECT_FALSE(single[40021] || single[40022] || single[40023]);
    EXPECT_TRUE(single[40133]);
    EXPECT_FALSE(single[40058]);
    EXPECT_FALSE(single[40097]);

    in.has_selection = true;
    auto selected = states_of(in);
    EXPECT_TRUE(selected[40058]);
    EXPECT_TRUE(selected[40097]);
    in.bits_per_pixel = 8;
    EXPECT_FALSE(states_of(in)[40097]);  // red eye needs more than 15 bits

    in.page_count = 3;
    auto pages = states_of(in);
    EXPECT_TRUE(pages[40021] && pages[40022] && pages[40023]);
    EXPECT_FALSE(pages[40133]);
    in.page_count = 1;
    in.is_jfif = false;
    EXPECT_FALSE(states_of(in)[40133]);
}

namespace {

std::set<int> ids_in(const std::string& text, const std::regex& pattern) {
    std::set<int> ids;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        ids.insert(std::stoi((*it)[1]));
    return ids;
}

std::string read_text(const char* relative) {
    std::ifstream in(source_dir() / relative);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

}  // namespace

TEST(StartupResources, MenusNameOnlyCommandsWithStrings) {
    const std::string menus = read_text("resources/menus.rc");
    const std::string strings = read_text("resources/strings.rc");
    ASSERT_FALSE(menus.empty());
    ASSERT_FALSE(strings.empty());
    const std::set<int> named = ids_in(strings, std::regex(R"(\n\s*(\d+)\s+")"));
    const std::set<int> items = ids_in(menus, std::regex(R"(MENUITEM\s+"[^"]*",\s*(\d+))"));
    EXPECT_GT(items.size(), 70u);
    for (int id : items) EXPECT_TRUE(named.count(id)) << "menu item " << id << " has no name";
    // Every command of the bindable list is reachable from the menu bar, except the
    // ones without an effect on the desktop and the toolbar switches (named macros).
    const std::set<int> not_in_menu = {40065, 40077, 40043, 40089, 40031, 40003, 40059, 40060};
    for (int id : CommandList)
        if (!not_in_menu.count(id)) EXPECT_TRUE(items.count(id)) << "command " << id << " missing from the menus";
    for (int id : {5013, 5014, 5015, 5016, 5017, 5022, 5023, 5029, 5030, 5031, 5038, 5039})
        EXPECT_TRUE(named.count(id)) << "message " << id << " missing";
}
