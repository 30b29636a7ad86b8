// Command list, key bindings and toolbar layout: stored positions, defaults, the
// handling of damaged bytes and the toolbar page's edits.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "settings/command_list.h"
#include "settings/key_table.h"
#include "test_support.h"
#include "settings/toolbar_layout.h"

TEST(CommandList, PositionsThatStoredSettingsDependOn) {
    EXPECT_EQ(CommandList[0], 40004);   // "Open..."
    EXPECT_EQ(CommandList[19], 40031);  // "Preferences..."
    EXPECT_EQ(CommandList[46], 40027);  // "Zoom In"
    EXPECT_EQ(CommandList[52], 40003);  // "Exit"
    EXPECT_EQ(CommandList[78], 40133);  // "Losslessly Rotate JPEG"
    EXPECT_EQ(CommandList[79], kUndefinedCommand);
    std::set<int> distinct(CommandList.begin(), CommandList.end());
    EXPECT_EQ(distinct.size(), 80u) << "a command appears twice";
    for (int i = 0; i < kCommandCount; ++i) EXPECT_EQ(index_of_command(CommandList[i]), i);
}

TEST(CommandList, DamagedBytesAndMenuOnlyCommands) {
    EXPECT_EQ(command_of_index(79), kUndefinedCommand);
    EXPECT_EQ(command_of_index(80), kUndefinedCommand);
    EXPECT_EQ(command_of_index(255), kUndefinedCommand);
    EXPECT_EQ(command_of_index(-1), kUndefinedCommand);
    EXPECT_EQ(index_of_command(40029), -1);  // "Scale to Gray" lives on the menu only
    EXPECT_EQ(index_of_command(40121), -1);  // toolbar selection
}

// Every command the lists can name needs its name in the string table, since the
// key and toolbar pages show those names.
TEST(CommandList, EveryCommandHasAStringTableName) {
    std::ifstream in(source_dir() / "resources" / "strings.rc");
    ASSERT_TRUE(in) << "resources/strings.rc not found";
    std::stringstream text;
    text << in.rdbuf();
    const std::string rc = text.str();
    for (int id : CommandList) {
        const std::regex entry("\\n\\s*" + std::to_string(id) + "\\s+\"[^\"]+\"");
        EXPECT_TRUE(std::regex_search(rc, entry)) << "no string for command " << id;
    }
    EXPECT_NE(rc.find("40089 \"Undefined\""), std::string::npos);
    EXPECT_NE(rc.find("40031 \"Preferences...\""), std::string::npos);
}

TEST(KeyList, PositionsOfBindableKeys) {
    EXPECT_EQ(key_position(0x26), 0);   // VK_UP
    EXPECT_EQ(key_position(0x0D), 4);   // VK_RETURN
    EXPECT_EQ(key_position(0x09), 7);   // VK_TAB
    EXPECT_EQ(key_position(0x22), 9);   // VK_NEXT
    EXPECT_EQ(key_position(0x2E), 12);  // VK_DELETE
    EXPECT_EQ(key_position(0x41), -1);  // 'A'
    EXPECT_EQ(key_position(0x70), -1);  // F1
    EXPECT_STREQ(key_name(9), "Page Dn");
    EXPECT_STREQ(key_name(5), "ESC");
    EXPECT_STREQ(key_name(13), "");
}

TEST(KeyBindings, DefaultsAndLookUp) {
    const KeyBinding main = default_key_binding(KeySet::Main);
    const KeyBinding full = default_key_binding(KeySet::Fullscreen);
    const KeyBinding thumb = default_key_binding(KeySet::Thumb);
    EXPECT_EQ(bound_command(main, 0x0D), 40010);   // Enter prints
    EXPECT_EQ(bound_command(full, 0x0D), 40077);   // Enter toggles full screen
    EXPECT_EQ(bound_command(main, 0x1B), 40003);   // ESC exits
    EXPECT_EQ(bound_command(main, 0x2E), 40061);   // Delete deletes the file
    EXPECT_EQ(bound_command(full, 0x22), 40004);   // Page Dn: "Open..."
    EXPECT_EQ(bound_command(main, 0x41), 0);       // not bindable
    EXPECT_EQ(thumb[0], 0);
    EXPECT_EQ(thumb[3], 3);
    EXPECT_EQ(thumb[12], 15);
    for (int i = kKeyCount; i < kKeyBindingSize; ++i) ASSERT_EQ(main[i], 0) << i;
}

TEST(KeyBindings, DamagedByteSendsUndefined) {
    KeyBinding binding = default_key_binding(KeySet::Main);
    binding[0] = 200;
    EXPECT_EQ(bound_command(binding, 0x26), kUndefinedCommand);
}

TEST(ToolbarLayout, DefaultsAndLookUp) {
    const ToolbarLayout layout = default_toolbar_layout();
    EXPECT_EQ(toolbar_button_command(layout, 0, 0), 40004);
    EXPECT_EQ(toolbar_button_command(layout, 0, 1), 40117);  // "Open Slideshow"
    EXPECT_EQ(toolbar_button_index(layout, 8, 0), 57);       // batch toolbar starts with "Tag for copy"
    EXPECT_EQ(toolbar_button_index(layout, 9, 9), 52);       // ... Extras ends with "Exit"
    EXPECT_EQ(toolbar_button_index(layout, 10, 0), kUndefinedIndex);
    EXPECT_EQ(toolbar_button_index(layout, 0, 10), kUndefinedIndex);
    for (int i = kToolbarLayoutSize; i < kToolbarLayoutReadSize; ++i) ASSERT_EQ(layout[i], 0);
    const ToolbarNames names = default_toolbar_names();
    EXPECT_STREQ(toolbar_name(names, 0), "General");
    EXPECT_STREQ(toolbar_name(names, 8), "Batch Process");
    EXPECT_EQ(names[8 * 20 + 13], 0);  // NUL-padded to 20 bytes
}

TEST(ToolbarLayout, EditedDownToFourButtons) {
    ToolbarLayout layout = default_toolbar_layout();
    ToolbarButtons buttons = toolbar_buttons(layout, 2);
    ASSERT_EQ(buttons.count, 10);
    int selected = 9;
    while (buttons.count > 4) ASSERT_EQ(toolbar_remove(buttons, &selected), 0);
    store_toolbar(layout, 2, buttons);
    const uint8_t expected[10] = {0, 1, 17, 18, 79, 79, 79, 79, 79, 79};
    for (int b = 0; b < 10; ++b) EXPECT_EQ(layout[20 + b], expected[b]) << b;
    EXPECT_EQ(layout[19], 37);  // neighbours untouched
    EXPECT_EQ(layout[30], 0);
    EXPECT_EQ(toolbar_button_command(layout, 2, 7), kUndefinedCommand);
    EXPECT_EQ(toolbar_buttons(layout, 2).count, 4);
}

TEST(ToolbarLayout, ReadingKeepsInnerGapsAndMapsDamagedBytes) {
    ToolbarLayout layout = default_toolbar_layout();
    layout[1] = 79;
    layout[2] = 250;
    for (int b = 5; b < 10; ++b) layout[b] = 79;
    const ToolbarButtons buttons = toolbar_buttons(layout, 0);
    ASSERT_EQ(buttons.count, 5);
    EXPECT_EQ(buttons.index[1], 79);
    EXPECT_EQ(buttons.index[2], 79);
    EXPECT_EQ(buttons.index[4], 14);
}

TEST(ToolbarLayout, PageEditsRefuseAtTheEnds) {
    ToolbarButtons buttons;
    int selected = -1;
    EXPECT_EQ(toolbar_remove(buttons, &selected), -1);
    EXPECT_EQ(toolbar_move_up(buttons, &selected), -1);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(toolbar_add(buttons, 30 + i, &selected), 0);
    EXPECT_EQ(selected, 9);
    EXPECT_EQ(toolbar_add(buttons, 5, &selected), -1);  // full
    EXPECT_EQ(toolbar_move_down(buttons, &selected), -1);
    ASSERT_EQ(toolbar_move_up(buttons, &selected), 0);
    EXPECT_EQ(selected, 8);
    EXPECT_EQ(buttons.index[8], 39);
    EXPECT_EQ(buttons.index[9], 38);
    selected = 0;
    EXPECT_EQ(toolbar_move_up(buttons, &selected), -1);
    ASSERT_EQ(toolbar_move_down(buttons, &selected), 0);
    EXPECT_EQ(buttons.index[0], 31);
    selected = 9;
    ASSERT_EQ(toolbar_remove(buttons, &selected), 0);
    EXPECT_EQ(selected, 8);  // the selection follows to the new last button
    ToolbarButtons one;
    selected = -1;
    toolbar_add(one, 3, &selected);
    ASSERT_EQ(toolbar_remove(one, &selected), 0);
    EXPECT_EQ(selected, -1);
    EXPECT_EQ(one.count, 0);
}

TEST(ToolbarLayout, NamesAreCutTo19CharactersAndWrapAround) {
    ToolbarNames names = default_toolbar_names();
    set_toolbar_name(names, 3, "A name that is far too long");
    EXPECT_STREQ(toolbar_name(names, 3), "A name that is far ");
    EXPECT_STREQ(toolbar_name(names, 4), "File2");
    names.fill('x');
    terminate_toolbar_names(names);
    EXPECT_EQ(std::string(toolbar_name(names, 9)).size(), 19u);
    EXPECT_EQ(next_toolbar(9), 0);
    EXPECT_EQ(next_toolbar(3), 4);
    EXPECT_EQ(previous_toolbar(0), 9);
}
