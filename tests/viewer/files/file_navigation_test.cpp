// Previous/next/first/last file index steps, the strip start, and the size and
// time texts of the file list.
#include <gtest/gtest.h>

#include "files/file_navigation.h"
#include "files/file_size_text.h"

namespace {

void expect_step(NavStep s, NavAction action, int32_t index) {
    EXPECT_EQ(s.action, action);
    if (action == NavAction::Move) {
        EXPECT_EQ(s.index, index);
    }
}

}  // namespace

TEST(FileNavigation, PreviousAndNextWalkTheListAndBeepAtTheEnds) {
    expect_step(next_file(-1, 5), NavAction::Move, 0);
    expect_step(previous_file(-1, 5), NavAction::Move, 4);
    expect_step(next_file(2, 5), NavAction::Move, 3);
    expect_step(previous_file(2, 5), NavAction::Move, 1);
    expect_step(next_file(4, 5), NavAction::Beep, 4);
    expect_step(previous_file(0, 5), NavAction::Beep, 0);
    expect_step(next_file(-1, 0), NavAction::None, -1);
    expect_step(previous_file(-1, 0), NavAction::None, -1);
    expect_step(next_file(-1, 1), NavAction::Move, 0);
    expect_step(next_file(0, 1), NavAction::Beep, 0);
}

TEST(FileNavigation, IndexBeyondAShrunkListCountsAsNoFile) {
    expect_step(next_file(9, 5), NavAction::Move, 0);
    expect_step(previous_file(9, 5), NavAction::Move, 4);
    expect_step(next_file(5, 5), NavAction::Move, 0);
}

TEST(FileNavigation, FirstAndLastThumbnail) {
    expect_step(first_thumbnail(3, true, 10), NavAction::Move, 0);
    expect_step(first_thumbnail(0, true, 10), NavAction::None, 0);
    expect_step(first_thumbnail(3, false, 10), NavAction::None, 0);
    expect_step(first_thumbnail(3, true, 0), NavAction::None, 0);
    expect_step(last_thumbnail(3, true, 10), NavAction::Move, 9);
    expect_step(last_thumbnail(-1, true, 10), NavAction::Move, 9);
    expect_step(last_thumbnail(9, true, 10), NavAction::None, 0);
    EXPECT_EQ(strip_start_for(9, 10, 4), 6);
    EXPECT_EQ(strip_start_for(2, 10, 4), 2);
    EXPECT_EQ(strip_start_for(1, 3, 4), 0);
}

TEST(FileSizeText, UnitsAndTruncatedTenths) {
    const struct {
        uint32_t bytes;
        const char* text;
    } cases[] = {{0, "0"},          {1, "1B"},           {500, "500B"},          {1023, "1023B"},
                 {1024, "1.0K"},    {1536, "1.5K"},      {2047, "1.9K"},         {1048575, "1023.9K"},
                 {1048576, "1.0M"}, {1572864, "1.5M"},   {4294967295u, "4095.9M"}};
    for (const auto& c : cases) {
        char text[16];
        format_size(c.bytes, text);
        EXPECT_STREQ(text, c.text) << c.bytes;
    }
}

TEST(FileSizeText, ListTimeIsTheStoredUtcTime) {
    char text[20];
    format_list_time(0, 0, text);
    EXPECT_STREQ(text, "1601/01/01 00:00:00");
    const uint64_t leap_day_noon = 133536816000000000ull;  // 2024-02-29 12:00:00
    format_list_time(static_cast<uint32_t>(leap_day_noon), static_cast<uint32_t>(leap_day_noon >> 32), text);
    EXPECT_STREQ(text, "2024/02/29 12:00:00");
    const uint64_t end_of_1999 = (946684799ull + 11644473600ull) * 10000000 + 9999999;
    format_list_time(static_cast<uint32_t>(end_of_1999), static_cast<uint32_t>(end_of_1999 >> 32), text);
    EXPECT_STREQ(text, "1999/12/31 23:59:59");
}
