// The identifier header against the resource scripts and the command table: every
// number a menu item or accelerator sends is a named command, every named command
// has its name in the string table under its own number (so a number changed on one
// side only is caught), and the command table serves each command exactly once, with
// worker jobs for exactly the commands the worker thread runs.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "app/command_table.h"
#include "resource_ids.h"
#include "settings/command_list.h"
#include "test_support.h"

namespace {

std::string read_text(const char* relative) {
    std::ifstream in(source_dir() / relative);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

struct NamedId {
    const char* name;
    int id;
};

constexpr NamedId kCommands[] = {
#define GLIMRA_NAMED(name, number) {#name, number},
    GLIMRA_COMMAND_IDS(GLIMRA_NAMED)
#undef GLIMRA_NAMED
};

// String-table entries by number (the quoted text, doubled quotes kept).
std::map<int, std::string> string_table() {
    const std::string rc = read_text("resources/strings.rc");
    std::map<int, std::string> out;
    const std::regex entry(R"(\n\s*(\d+)\s+"((?:[^"]|"")*)\")");
    for (std::sregex_iterator it(rc.begin(), rc.end(), entry), end; it != end; ++it)
        out[std::stoi((*it)[1])] = (*it)[2];
    return out;
}

// "Fit To Custom %" -> "FIT_TO_CUSTOM_PERCENT": the name a string suggests.
std::string name_of_text(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%') out += out.empty() || out.back() == '_' ? "PERCENT" : "_PERCENT";
        else if (std::isalnum(static_cast<unsigned char>(c))) out += char(std::toupper(static_cast<unsigned char>(c)));
        else if (!out.empty() && out.back() != '_') out += '_';
    }
    while (!out.empty() && out.back() == '_') out.pop_back();
    return out;
}

// Macro names the resource scripts use instead of numbers.
std::map<std::string, int> rc_macros() {
    const std::string header = read_text("resources/resource_ids.h");
    std::map<std::string, int> out;
    const std::regex define(R"(#define\s+(ID[MS]_\w+)\s+(\d+))");
    for (std::sregex_iterator it(header.begin(), header.end(), define), end; it != end; ++it)
        out[(*it)[1]] = std::stoi((*it)[2]);
    return out;
}

}  // namespace

TEST(CommandIds, MenusAndAcceleratorsSendOnlyNamedCommands) {
    std::set<int> named;
    for (const NamedId& c : kCommands) named.insert(c.id);
    const std::map<std::string, int> macros = rc_macros();
    const std::string menus = read_text("resources/menus.rc");
    ASSERT_FALSE(menus.empty());
    const std::regex item(R"(MENUITEM\s+"[^"]*",\s*(\w+))"), accel(R"(\n\s*VK_\w+,\s*(\w+),\s*VIRTKEY)");
    int items = 0;
    for (const std::regex* pattern : {&item, &accel}) {
        for (std::sregex_iterator it(menus.begin(), menus.end(), *pattern), end; it != end; ++it, ++items) {
            const std::string token = (*it)[1];
            const bool number = std::isdigit(static_cast<unsigned char>(token[0]));
            ASSERT_TRUE(number || macros.count(token)) << token << " is not defined in resource_ids.h";
            const int id = number ? std::stoi(token) : macros.at(token);
            EXPECT_TRUE(named.count(id)) << "menus.rc sends " << token << ", which is not a named command";
        }
    }
    EXPECT_GT(items, 100);
}

TEST(CommandIds, EachNamedCommandHasItsOwnNameInTheStringTable) {
    const std::map<int, std::string> strings = string_table();
    // Names shortened from their strings.
    const std::map<std::string, std::string> shortened = {
        {"CMD_VIEW_100", "100_PERCENT_VIEW"},  {"CMD_FIT_TO_CUSTOM", "FIT_TO_CUSTOM_PERCENT"},
        {"CMD_LIGHTEN", "LIGHTEN_10_PERCENT"}, {"CMD_DARKEN", "DARKEN_10_PERCENT"},
        {"CMD_COLOR_TO_GRAY", "COLOR_GRAY"},
    };
    for (const NamedId& c : kCommands) {
        const std::string name = c.name;
        if (c.id >= CMD_TOOLBAR_FIRST && c.id <= CMD_TOOLBAR_LAST) continue;  // named from the settings
        ASSERT_TRUE(strings.count(c.id)) << name << " (" << c.id << ") has no string";
        const std::string expected = shortened.count(name) ? shortened.at(name) : name.substr(4);
        EXPECT_EQ(name_of_text(strings.at(c.id)), expected) << name << " is " << c.id << ", whose string is \""
                                                           << strings.at(c.id) << "\"";
    }
    for (int id : {IDS_ERROR_IO, IDS_ASK_LEAVE_GLIMRA_MODE, IDS_GLIMRA_MODE, IDS_ASK_ENABLE_THUMBNAILS,
                   IDS_THUMBNAILS_DISABLED, IDS_NO_MATCHING_FILES, IDS_NO_MAIL, IDS_EMAIL, IDS_NOTHING_TAGGED,
                   IDS_BATCH_PROCESS, IDS_ASK_DELETE_TAGGED, IDS_NO_SLIDES, IDS_ASK_DROP_SLIDES, IDS_PAGE_RANGE,
                   IDS_INVALID_PAGE})
        EXPECT_TRUE(strings.count(id)) << "message " << id << " missing";
    EXPECT_EQ(strings.at(IDS_GLIMRA_MODE), "Glimra Mode");
    EXPECT_EQ(strings.at(IDS_INVALID_PAGE), "Invalid Page");
    for (int code = -10; code <= -1; ++code) EXPECT_TRUE(strings.count(IDS_ERROR_BASE - code)) << code;
}

TEST(CommandTable, ServesEveryCommandOnceAndNamesTheWorkerJobs) {
    int count = 0;
    const CommandRule* rules = command_rules(&count);
    ASSERT_GT(count, 80);
    std::map<int, int> served;
    std::set<int> jobs;
    for (int r = 0; r < count; ++r) {
        ASSERT_LE(rules[r].first, rules[r].last);
        for (int id = rules[r].first; id <= rules[r].last; ++id) {
            ++served[id];
            if (rules[r].worker_job) jobs.insert(id);
        }
    }
    for (const auto& [id, times] : served) EXPECT_EQ(times, 1) << id << " is served by " << times << " rows";
    for (const NamedId& c : kCommands) EXPECT_EQ(served.count(c.id), 1u) << c.name << " has no row";
    for (int id : CommandList) EXPECT_NE(command_rule(id), nullptr) << "key or toolbar command " << id;
    EXPECT_EQ(command_rule(40001), nullptr);
    EXPECT_EQ(command_rule(CMD_TOOLBAR_FIRST + 4)->first, CMD_TOOLBAR_FIRST);
    // The worker thread's messages: end, print, thumbnails, movie, both slideshows, batch.
    const std::set<int> expected = {CMD_EXIT,     CMD_PRINT,      CMD_TOGGLE_THUMBNAIL_VIEW, CMD_PLAY_PAUSE,
                                    CMD_SLIDE_SHOW, CMD_START_CUSTOM_SLIDESHOW, CMD_START_BATCH_PROCESS};
    EXPECT_EQ(jobs, expected);
    // What a command needs before it runs, for a few of each kind.
    EXPECT_EQ(command_rule(CMD_INVERT)->need, NEED_IMAGE);
    EXPECT_EQ(command_rule(CMD_NEXT_PAGE)->need, NEED_IMAGE);
    EXPECT_EQ(command_rule(CMD_OPEN)->need, NEED_NONE);
    EXPECT_EQ(command_rule(CMD_CLOSE)->need, NEED_NONE);
    EXPECT_EQ(command_rule(CMD_CLOSE)->menu, MENU_IMAGE);
    EXPECT_EQ(command_rule(CMD_PASTE)->menu, MENU_CLIPBOARD);
}
